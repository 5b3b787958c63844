// LoadTgaFile on generated files (random headers, sizes, depths, row
// orders, packet mixes and truncations) against the pixels and beeps worked
// out in this test from the file's bytes, as the TGA format lays them out.
#include <gtest/gtest.h>

#include <random>

#include "tga_builder.h"
#include "memory_tga_platform.h"
#include "tga_reader.h"

namespace {

using Words = std::vector<uint32_t>;

struct Outcome {
  Words pixels;
  int beeps = 0;
};

Outcome Loaded(const Bytes& file) {
  MemoryTgaPlatform platform;
  platform.AddFile("k.tga", file);
  MemoryImageHolder holder;
  TgaImageReader reader(platform);
  EXPECT_EQ(TgaLoadResult::Loaded, reader.LoadTgaFile("k.tga", holder));
  return {holder.pixels(), platform.stats().beeps};
}

// A pixel of 2, 3 or 4 little-endian bytes as 0xAARRGGBB: 16 bits are
// A1 R5 G5 B5 (each five bits shifted up by three), 24 bits are opaque,
// 32 bits as they are; and a pixel without colour bits is 0.
uint32_t Keyed(const uint8_t* p, int bpp) {
  uint32_t v = 0;
  for (int b = 0; b < bpp; ++b) v |= uint32_t(p[b]) << (8 * b);
  if (bpp == 4) return (v & 0xFFFFFFu) ? v : 0;
  if (bpp == 3) return v ? v | 0xFF000000u : 0;
  if ((v & 0x7FFFu) == 0) return 0;
  return (v & 0x8000u ? 0xFF000000u : 0) | ((v >> 10) & 31) << 19 | ((v >> 5) & 31) << 11 | (v & 31) << 3;
}

// The image of a file of type 2 or 10 and depth 16, 24 or 32. Pixels come
// in file order, the first row at the bottom unless descriptor bit 5 says
// top, each row left to right unless bit 4 says right to left. Type 2: a
// row the file does not hold whole beeps once, takes what bytes there are
// over the row before, and every later row repeats it. Type 10: packets run
// on across rows, and the data reads as zero bytes (black) past the end.
Outcome Expected(const Bytes& file) {
  auto u16 = [&](size_t at) { return int(file[at] | file[at + 1] << 8); };
  const int type = file[2], width = u16(12), height = u16(14), bpp = file[16] / 8;
  const bool topDown = file[17] & 0x20, rightToLeft = file[17] & 0x10;
  const size_t data = 18 + file[0] + (file[1] == 1 ? size_t(u16(5)) * ((file[7] + 7) / 8) : 0);
  size_t at = data;
  auto byte = [&]() { return at < file.size() ? file[at++] : uint8_t(0); };

  Outcome expected;
  expected.pixels.resize(size_t(width) * height);
  Bytes row(size_t(width) * bpp, 0), pixel(size_t(bpp), 0);
  bool ended = false, run = false;
  int left = 0;  // pixels of the packet still to come
  for (int y = 0; y < height; ++y) {
    if (type == 2 && !ended) {
      const size_t from = data + size_t(y) * row.size();
      const size_t got = from < file.size() ? std::min(row.size(), file.size() - from) : 0;
      if (got) std::copy_n(file.begin() + long(from), got, row.begin());
      if (got < row.size()) ++expected.beeps, ended = true;
    }
    uint32_t* out = expected.pixels.data() + size_t(topDown ? y : height - 1 - y) * width;
    for (int i = 0; i < width; ++i) {
      if (type == 10 && left == 0) {
        const uint8_t h = byte();
        left = (h & 0x7F) + 1;
        run = h & 0x80;
        if (run)
          for (uint8_t& b : pixel) b = byte();
      }
      if (type == 10 && !run)
        for (uint8_t& b : pixel) b = byte();
      left -= type == 10;
      out[rightToLeft ? width - 1 - i : i] = Keyed(type == 2 ? &row[size_t(i) * bpp] : pixel.data(), bpp);
    }
  }
  return expected;
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

TEST(TgaKeyed, GivesThePixelsOfGeneratedFiles) {
  std::mt19937 rng(20261208);
  for (int i = 0; i < 3000; ++i) {
    const Bytes file = RandomFile(rng);
    const Outcome expected = Expected(file), loaded = Loaded(file);
    ASSERT_EQ(expected.beeps, loaded.beeps) << "file " << i;
    ASSERT_EQ(expected.pixels, loaded.pixels) << "file " << i;
  }
}

TEST(TgaKeyed, GivesThePixelsOfLongFilesAcrossManyBlocks) {
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
        const Outcome expected = Expected(file), loaded = Loaded(file);
        EXPECT_EQ(expected.beeps, loaded.beeps) << depth << " " << type << " " << cut;
        EXPECT_EQ(expected.pixels, loaded.pixels) << depth << " " << type << " " << cut;
      }
    }
  }
}

}  // namespace
