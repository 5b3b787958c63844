// LoadTgaFile's keyed decoder against the general one (DecodeImage with the
// module's arguments into a zero-filled image) on generated files: random
// headers, sizes, depths, row orders, packet mixes and truncations. Both
// must give the same pixels and the same reads, seeks and beeps.
#include <gtest/gtest.h>

#include <random>

#include "tga_builder.h"
#include "memory_tga_platform.h"
#include "tga_reader.h"

namespace {

using Words = std::vector<uint32_t>;

struct Outcome {
  Words pixels;
  std::string log;  // reads, seeks and beeps after the header
};

Outcome General(const Bytes& file) {
  MemoryTgaPlatform platform;
  platform.AddFile("g.tga", file);
  auto f = platform.Open("g.tga");
  const TgaHeader h = TgaImageReader::ReadHeader(*f, "g.tga");
  platform.stats().keepLog = true;
  Words image(size_t(h.width) * h.height, 0);
  TgaImageReader reader(platform);
  reader.DecodeImage(*f, h, nullptr, image.data(), h.width, h.height, h.width, TgaImageReader::DataOffset(h),
                     TgaImageReader::DecodeOptions());
  return {image, platform.stats().log};
}

Outcome Keyed(const Bytes& file) {
  MemoryTgaPlatform platform;
  platform.AddFile("k.tga", file);
  platform.stats().keepLog = true;
  MemoryImageHolder holder;
  TgaImageReader reader(platform);
  EXPECT_EQ(TgaLoadResult::Loaded, reader.LoadTgaFile("k.tga", holder));
  std::string log = platform.stats().log;
  // The header's twelve reads come first.
  for (int i = 0; i < 12; ++i) log.erase(0, log.find(' ') + 1);
  return {holder.pixels(), log};
}

void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

// A random file of type 2 or 10 and depth 16, 24 or 32.
Bytes RandomFile(std::mt19937& rng) {
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  const int depth = 16 + 8 * pick(3);
  const int bpp = depth / 8;
  TgaHeader h = TgaHead(pick(2) ? 10 : 2, pick(8) == 0 ? pick(3) : 1 + pick(pick(4) ? 40 : 400),
                        pick(8) == 0 ? pick(3) : 1 + pick(30), depth, pick(256));
  h.idLength = uint8_t(pick(4) ? 0 : pick(20));
  h.colorMapType = uint8_t(pick(3));
  h.colorMapLength = uint16_t(pick(5));
  h.colorMapEntrySize = uint8_t(pick(33));
  const size_t skip = TgaImageReader::DataOffset(h) - 18;

  // Pixels: black with or without alpha, one of a few colours, or noise.
  auto pixel = [&]() {
    Bytes p(size_t(bpp), 0);
    const int kind = pick(4);
    for (int b = 0; b < bpp; ++b)
      p[size_t(b)] = kind == 0 ? 0 : kind == 1 ? uint8_t(b == bpp - 1 ? 0x80 : 0) : uint8_t(rng());
    return p;
  };
  Bytes data;
  const size_t pixels = size_t(h.width) * h.height;
  if (h.imageType == 2) {
    for (size_t i = 0; i < pixels; ++i) Append(data, pixel());
  } else {
    // Packets of every length, runs and raw, past the last pixel too.
    for (size_t n = 0; n < pixels + size_t(pick(200));) {
      const int count = pick(3) ? 1 + pick(128) : 1 + pick(4);
      if (pick(2)) {
        Append(data, RunPacket(count, pixel()));
      } else {
        Bytes raw;
        for (int i = 0; i < count; ++i) Append(raw, pixel());
        Append(data, RawPacket(count, raw));
      }
      n += size_t(count);
    }
  }
  Bytes file = TgaBytes(h, {Bytes(skip, 0xA5), data});
  // Whole, cut anywhere, or followed by more bytes.
  const int end = pick(4);
  if (end == 0) file.resize(18 + size_t(pick(int(file.size()))));
  if (end == 1) file.resize(file.size() + size_t(pick(5000)), uint8_t(rng()));
  return file;
}

TEST(TgaKeyed, MatchesTheGeneralDecoderOnGeneratedFiles) {
  std::mt19937 rng(20261208);
  for (int i = 0; i < 3000; ++i) {
    const Bytes file = RandomFile(rng);
    const Outcome general = General(file);
    const Outcome keyed = Keyed(file);
    ASSERT_EQ(general.log, keyed.log) << "file " << i;
    ASSERT_EQ(general.pixels, keyed.pixels) << "file " << i;
  }
}

TEST(TgaKeyed, MatchesOnLongFilesAcrossManyBlocks) {
  // Wide rows and long packets cross the 4,096-byte blocks at every
  // alignment of 3- and 4-byte pixels.
  std::mt19937 rng(7);
  for (int depth : {24, 32}) {
    for (int type : {2, 10}) {
      Bytes data;
      const int w = 1001, h = 37;
      for (int n = 0; n < w * h; n += 128) {
        Bytes raw;
        for (int i = 0; i < 128 * depth / 8; ++i) raw.push_back(uint8_t(rng() % 3 ? rng() : 0));
        data = Concat({data, type == 2       ? raw
                             : (n / 128) % 2 ? RawPacket(128, raw)
                                             : RunPacket(128, Bytes(raw.begin(), raw.begin() + depth / 8))});
      }
      for (size_t cut : {data.size(), data.size() / 2, size_t(4096 - 18 - 1)}) {
        const Bytes file = TgaBytes(TgaHead(type, w, h, depth, 0x20), {Bytes(data.begin(), data.begin() + long(cut))});
        const Outcome general = General(file), keyed = Keyed(file);
        EXPECT_EQ(general.log, keyed.log) << depth << " " << type << " " << cut;
        EXPECT_EQ(general.pixels, keyed.pixels) << depth << " " << type << " " << cut;
      }
    }
  }
}

}  // namespace
