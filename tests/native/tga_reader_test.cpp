#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "tga_builder.h"
#include "memory_tga_platform.h"
#include "tga_reader.h"

namespace {

using Words = std::vector<uint32_t>;

class TgaLoad : public ::testing::Test {
 protected:
  TgaLoadResult Load(const Bytes& file, long errorFrom = -1) {
    platform.AddFile("a.tga", file, errorFrom);
    TgaImageReader reader(platform);
    return reader.LoadTgaFile("a.tga", holder);
  }
  int Width() const {
    int w = -1, h = -1;
    holder.GetSize(w, h);
    return w;
  }
  int Height() const {
    int w = -1, h = -1;
    holder.GetSize(w, h);
    return h;
  }
  // Puts a 1 x 1 image in the holder, to see whether a load replaced it.
  void Prefill() {
    const uint32_t p = 0xCAFEF00D;
    ASSERT_TRUE(holder.Create(1, 1, &p));
  }
  MemoryTgaPlatform platform;
  MemoryImageHolder holder;
};

// ---- Results, file handling, header ----

TEST_F(TgaLoad, ResultsAndTheHolder) {
  Prefill();
  TgaImageReader reader(platform);
  EXPECT_EQ(TgaLoadResult::CannotOpen, reader.LoadTgaFile("missing.tga", holder));

  platform.AddFile("busy.tga", TgaBytes(TgaHead(2, 1, 1, 32), {Pixels(32, {1})}));
  platform.SetBusy("busy.tga", true);
  EXPECT_EQ(TgaLoadResult::CannotOpen, reader.LoadTgaFile("busy.tga", holder));

  for (int type : {0, 1, 3, 9, 11, 255}) {
    platform.AddFile("other.tga", TgaBytes(TgaHead(type, 1, 1, 32), {Pixels(32, {1})}));
    EXPECT_EQ(TgaLoadResult::NotTrueColour, reader.LoadTgaFile("other.tga", holder)) << "type " << type;
  }
  EXPECT_EQ(Words{0xCAFEF00D}, holder.pixels());
  EXPECT_EQ(0, platform.stats().openFiles);
  EXPECT_EQ(0, platform.stats().beeps);

  platform.SetBusy("busy.tga", false);
  EXPECT_EQ(TgaLoadResult::Loaded, reader.LoadTgaFile("busy.tga", holder));
  EXPECT_EQ(Words{0x00000001}, holder.pixels());
  EXPECT_EQ(0, platform.stats().openFiles);
}

TEST_F(TgaLoad, HeaderIsReadFieldByField) {
  TgaHeader h = TgaHead(10, 0x1234, 0x0201, 24, 0x28);
  h.idLength = 7;
  h.colorMapType = 1;
  h.colorMapFirst = 0xA1B2;
  h.colorMapLength = 0x0102;
  h.colorMapEntrySize = 15;
  h.xOrigin = 0xC3D4;
  h.yOrigin = 0xE5F6;
  platform.AddFile("h.tga", TgaBytes(h));
  auto file = platform.Open("h.tga");
  TgaHeader r = TgaImageReader::ReadHeader(*file, "h.tga");
  EXPECT_EQ(12, platform.stats().reads);
  EXPECT_EQ(1, platform.stats().lastReadSize);
  EXPECT_EQ(TgaBytes(h), TgaBytes(r));
}

TEST_F(TgaLoad, ShortHeaderLeavesUnreadFieldsZero) {
  TgaHeader h = TgaHead(2, 3, 4, 32, 0x20);
  h.idLength = 1;
  h.xOrigin = 9;
  const Bytes full = TgaBytes(h);
  for (size_t n = 0; n < full.size(); ++n) {
    platform.AddFile("s.tga", Bytes(full.begin(), full.begin() + n));
    auto file = platform.Open("s.tga");
    TgaHeader r = TgaImageReader::ReadHeader(*file, "s.tga");
    // A field counts only when all its bytes arrived.
    EXPECT_EQ(n >= 1 ? 1 : 0, r.idLength);
    EXPECT_EQ(n >= 3 ? 2 : 0, r.imageType);
    EXPECT_EQ(n >= 10 ? 9 : 0, r.xOrigin);
    EXPECT_EQ(n >= 14 ? 3 : 0, r.width);
    EXPECT_EQ(n >= 16 ? 4 : 0, r.height);
    EXPECT_EQ(n >= 17 ? 32 : 0, r.pixelDepth);
    EXPECT_EQ(0, r.descriptor);
  }
  // A file that ends anywhere in the header is refused, the holder untouched.
  for (size_t n : {0, 2, 3, 15, 17}) {
    Prefill();
    EXPECT_EQ(TgaLoadResult::NotTrueColour, Load(Bytes(full.begin(), full.begin() + n))) << n << " bytes";
    EXPECT_EQ(Words{0xCAFEF00D}, holder.pixels());
  }
  EXPECT_EQ(TgaLoadResult::Loaded, Load(full)) << "the whole header with no pixel data still loads";
}

TEST_F(TgaLoad, ReadErrorInHeaderThrows) {
  Prefill();
  const Bytes file = TgaBytes(TgaHead(2, 1, 1, 32), {Pixels(32, {1})});
  for (long at : {0L, 2L, 13L, 17L}) {
    EXPECT_THROW(Load(file, at), TgaReadError) << "error at byte " << at;
    EXPECT_EQ(0, platform.stats().openFiles);
  }
  EXPECT_EQ(Words{0xCAFEF00D}, holder.pixels());
  try {
    Load(file, 4);
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("a.tga")) << e.what();
  }
}

TEST_F(TgaLoad, DataOffsetSkipsIdentificationAndColourMap) {
  TgaHeader h = TgaHead(2, 1, 1, 32);
  h.idLength = 5;
  h.colorMapType = 1;
  h.colorMapLength = 256;
  h.colorMapEntrySize = 24;
  EXPECT_EQ(791u, TgaImageReader::DataOffset(h));
  h.colorMapEntrySize = 15;
  EXPECT_EQ(535u, TgaImageReader::DataOffset(h));
  h.colorMapEntrySize = 16;
  EXPECT_EQ(535u, TgaImageReader::DataOffset(h));
  h.colorMapEntrySize = 1;
  EXPECT_EQ(279u, TgaImageReader::DataOffset(h));
  h.colorMapType = 0;
  EXPECT_EQ(23u, TgaImageReader::DataOffset(h));
  h.colorMapType = 2;
  EXPECT_EQ(23u, TgaImageReader::DataOffset(h));
  h.idLength = 255;
  h.colorMapType = 1;
  h.colorMapLength = 65535;
  h.colorMapEntrySize = 255;
  EXPECT_EQ(18u + 255 + 65535u * 32, TgaImageReader::DataOffset(h));
}

TEST_F(TgaLoad, PixelsFollowIdentificationAndColourMap) {
  // An identification field of 3 bytes and a 2-entry colour map of 15-bit
  // (2-byte) entries come before the pixels, for both types.
  TgaHeader h = TgaHead(2, 2, 1, 24);
  h.idLength = 3;
  h.colorMapType = 1;
  h.colorMapLength = 2;
  h.colorMapEntrySize = 15;
  const Bytes junk = {0x55, 0x66, 0x77, 1, 2, 3, 4};
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(h, {junk, Pixels(24, {0x0A0B0C, 0x0D0E0F})})));
  EXPECT_EQ((Words{0xFF0A0B0C, 0xFF0D0E0F}), holder.pixels());

  h.imageType = 10;
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(h, {junk, RunPacket(2, Pixels(24, {0x123456}))})));
  EXPECT_EQ((Words{0xFF123456, 0xFF123456}), holder.pixels());

  // Colour map type 2 skips no colour map.
  h.colorMapType = 2;
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(h, {{9, 9, 9}, RunPacket(2, Pixels(24, {0x654321}))})));
  EXPECT_EQ((Words{0xFF654321, 0xFF654321}), holder.pixels());
}

// ---- Row order, depths, black ----

// A 3 x 2 image whose stored pixels are 1..6 in file order.
Bytes Ordered(int type, int descriptor) {
  const Bytes px = Pixels(32, {0x01000001, 0x01000002, 0x01000003, 0x01000004, 0x01000005, 0x01000006});
  if (type == 2) return TgaBytes(TgaHead(2, 3, 2, 32, descriptor), {px});
  return TgaBytes(TgaHead(10, 3, 2, 32, descriptor), {RawPacket(6, px)});
}

TEST_F(TgaLoad, RowAndColumnOrder) {
  for (int type : {2, 10}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(TgaLoadResult::Loaded, Load(Ordered(type, 0x00)));  // bottom to top
    EXPECT_EQ((Words{0x01000004, 0x01000005, 0x01000006, 0x01000001, 0x01000002, 0x01000003}), holder.pixels());
    ASSERT_EQ(TgaLoadResult::Loaded, Load(Ordered(type, 0x20)));  // top to bottom
    EXPECT_EQ((Words{0x01000001, 0x01000002, 0x01000003, 0x01000004, 0x01000005, 0x01000006}), holder.pixels());
    ASSERT_EQ(TgaLoadResult::Loaded, Load(Ordered(type, 0x30)));  // top to bottom, right to left
    EXPECT_EQ((Words{0x01000003, 0x01000002, 0x01000001, 0x01000006, 0x01000005, 0x01000004}), holder.pixels());
    ASSERT_EQ(TgaLoadResult::Loaded, Load(Ordered(type, 0x10 | 0xCF)));  // other bits ignored
    EXPECT_EQ((Words{0x01000006, 0x01000005, 0x01000004, 0x01000003, 0x01000002, 0x01000001}), holder.pixels());
    EXPECT_EQ(3, Width());
    EXPECT_EQ(2, Height());
  }
}

TEST_F(TgaLoad, DepthsAndTheBlackRule) {
  for (int type : {2, 10}) {
    SCOPED_TRACE(type);
    auto load = [&](int depth, std::initializer_list<uint32_t> px) {
      Bytes data = Pixels(depth, px);
      if (type == 10) data = RawPacket(int(px.size()), data);
      EXPECT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(type, int(px.size()), 1, depth, 0x20), {data})));
      return holder.pixels();
    };
    EXPECT_EQ((Words{0xFF010000, 0, 0xFF000001, 0xFFFFFFFF}), load(24, {0x010000, 0x000000, 0x000001, 0xFFFFFF}));
    EXPECT_EQ((Words{0, 0, 0x00000100, 0x80FFFFFF, 0x7F000001}),
              load(32, {0x80000000, 0xFF000000, 0x00000100, 0x80FFFFFF, 0x7F000001}));
    EXPECT_EQ((Words{0xFFF8F8F8, 0x00F8F8F8, 0, 0, 0x00F80000, 0xFF000008}),
              load(16, {0xFFFF, 0x7FFF, 0x8000, 0x0000, 0x7C00, 0x8001}));
  }
}

TEST_F(TgaLoad, OtherDepthsGiveZeroPixels) {
  for (int depth : {0, 1, 8, 15, 17, 31, 33, 40, 48, 255}) {
    SCOPED_TRACE(depth);
    const int bpp = depth / 8;
    Bytes raw(size_t(4 * 3 * bpp), 0xEE);
    ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(2, 4, 3, depth), {raw})));
    EXPECT_EQ(Words(12, 0), holder.pixels());
    EXPECT_EQ(0, platform.stats().beeps);

    Bytes rle = Concat({RunPacket(5, Bytes(bpp, 0xEE)), RawPacket(7, Bytes(7 * bpp, 0xEE))});
    ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(10, 4, 3, depth), {rle})));
    EXPECT_EQ(Words(12, 0), holder.pixels());
  }
}

// ---- Uncompressed rows ----

TEST_F(TgaLoad, UncompressedReadsEachRowOnce) {
  const Bytes file = TgaBytes(TgaHead(2, 5, 4, 24), {Bytes(5 * 4 * 3, 0x40)});
  ASSERT_EQ(TgaLoadResult::Loaded, Load(file));
  // 12 header fields, then one positioned read of exactly one row per row.
  EXPECT_EQ(12 + 4, platform.stats().reads);
  EXPECT_EQ(1 + 4, platform.stats().seeks);
  EXPECT_EQ(15, platform.stats().lastReadSize);
  EXPECT_EQ(Words(20, 0xFF404040), holder.pixels());
}

TEST_F(TgaLoad, ShortUncompressedRowsBeepAndKeepEarlierBytes) {
  // Top to bottom, 3 x 4: row 0 whole, row 1 one pixel and a half, rows 2
  // and 3 missing. A short row is the bytes that arrived followed by what
  // the row before left; the file has ended there, so the rows after it are
  // that row again, neither read nor beeped for.
  const Bytes data = Concat({Pixels(24, {0x111111, 0x222222, 0x333333, 0x444444}), {0x55}});
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(2, 3, 4, 24, 0x20), {data})));
  EXPECT_EQ(1, platform.stats().beeps);
  EXPECT_EQ(12 + 2, platform.stats().reads);
  const Words row0 = {0xFF111111, 0xFF222222, 0xFF333333};
  const Words row1 = {0xFF444444, 0xFF222255, 0xFF333333};
  Words want = row0;
  for (int i = 0; i < 3; ++i) want.insert(want.end(), row1.begin(), row1.end());
  EXPECT_EQ(want, holder.pixels());

  // A read error in the pixel data beeps like a short row.
  const Bytes file = TgaBytes(TgaHead(2, 2, 2, 32, 0x20), {Pixels(32, {1, 2, 3, 4})});
  ASSERT_EQ(TgaLoadResult::Loaded, Load(file, 18 + 8));
  EXPECT_EQ(1 + 1, platform.stats().beeps);
  EXPECT_EQ((Words{1, 2, 1, 2}), holder.pixels());
}

TEST_F(TgaLoad, EmptyImages) {
  for (int type : {2, 10}) {
    for (auto size : {std::pair<int, int>{0, 5}, {5, 0}, {0, 0}}) {
      Prefill();
      ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(type, size.first, size.second, 32))));
      EXPECT_TRUE(holder.empty());
      EXPECT_EQ(0, platform.stats().beeps);
    }
  }
}

// ---- Run-length rows ----

TEST_F(TgaLoad, RunLengthPacketsAcrossRows) {
  // 4 x 3, top to bottom. Row 0: a run of 4 that ends at the row's end.
  // Row 1: a raw packet of 2, then a run of 5 that runs 3 into row 2, which
  // finishes with a raw packet of 1.
  const Bytes data = Concat({RunPacket(4, Pixels(32, {0x0A})), RawPacket(2, Pixels(32, {1, 2})),
                             RunPacket(5, Pixels(32, {0x0B})), RawPacket(1, Pixels(32, {3}))});
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(10, 4, 3, 32, 0x20), {data})));
  EXPECT_EQ((Words{0x0A, 0x0A, 0x0A, 0x0A, 1, 2, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 3}), holder.pixels());
}

TEST_F(TgaLoad, OneRunFillsSeveralNarrowRows) {
  // 10 pixels wide: a run of 128 fills 12 rows and 8 pixels of the 13th,
  // and a raw packet of 2 ends that row.
  const Bytes data = Concat({RunPacket(128, Pixels(24, {0x0000FF})), RawPacket(2, Pixels(24, {0x00FF00, 0xFF0000}))});
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(10, 10, 13, 24, 0x20), {data})));
  Words want(130, 0xFF0000FF);
  want[128] = 0xFF00FF00;
  want[129] = 0xFFFF0000;
  EXPECT_EQ(want, holder.pixels());

  // A raw packet across rows of 3, bottom to top.
  const Bytes raw = RawPacket(9, Pixels(16, {0x8001, 0x8002, 0x8003, 0x8004, 0x8005, 0x8006, 0x8007, 0x8008, 0x8009}));
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(10, 3, 3, 16), {raw})));
  EXPECT_EQ((Words{0xFF000038, 0xFF000040, 0xFF000048, 0xFF000020, 0xFF000028, 0xFF000030, 0xFF000008, 0xFF000010,
                   0xFF000018}),
            holder.pixels());
}

TEST_F(TgaLoad, RunLengthDataIsReadInBlocks) {
  // 64 x 64 raw pixels of 4 bytes: over 16 KB, so the packets cross the
  // 4,096-byte blocks at odd places.
  Bytes data;
  Words want;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; x += 32) {
      Bytes px;
      for (int i = 0; i < 32; ++i) {
        uint32_t p = 0x01000000u * uint32_t(y) + uint32_t(x + i + 1);
        want.push_back(p);
        Bytes one = Pixels(32, {p});
        px.insert(px.end(), one.begin(), one.end());
      }
      Bytes packet = RawPacket(32, px);
      data.insert(data.end(), packet.begin(), packet.end());
    }
  }
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(10, 64, 64, 32, 0x20), {data})));
  EXPECT_EQ(want, holder.pixels());
  EXPECT_EQ(4096, platform.stats().lastReadSize);
  EXPECT_EQ(12 + 5, platform.stats().reads);  // 16,512 bytes after offset 18
}

TEST_F(TgaLoad, TruncatedRunLengthDataStillLoads) {
  // Past the end of the file the data reads as zero bytes: a packet cut
  // short is finished with them, and the rest of the image is black, so
  // transparent. No beep.
  const Bytes data = Concat({RunPacket(3, Pixels(24, {0x123456})), RawPacket(2, {0x77, 0x66})});
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(10, 3, 50, 24, 0x20), {data})));
  EXPECT_EQ(0, platform.stats().beeps);
  Words want(150, 0);
  want[0] = want[1] = want[2] = 0xFF123456;
  want[3] = 0xFF006677;
  EXPECT_EQ(want, holder.pixels());
}

TEST_F(TgaLoad, AFileThatEndsEarlyCostsOnlyWhatItHolds) {
  // 1,000 x 1,000 declared. Uncompressed with half a row of data: one read
  // and one beep, not one per row.
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(2, 1000, 1000, 32, 0x20), {Bytes(2000, 0x40)})));
  EXPECT_EQ(12 + 1, platform.stats().reads);
  EXPECT_EQ(1 + 1, platform.stats().seeks);
  EXPECT_EQ(1, platform.stats().beeps);
  EXPECT_EQ(0x40404040u, holder.pixels()[999 * 1000]);

  // Run-length data of 4,500 bytes: two block reads, however many rows are
  // left; nothing is taken again from the stale block.
  Bytes rle;
  for (int i = 0; i < 900; ++i) rle = Concat({rle, RunPacket(128, Pixels(32, {0x01020304}))});
  platform.stats() = MemoryTgaStats();
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(10, 1000, 1000, 32, 0x20), {rle})));
  EXPECT_EQ(12 + 2, platform.stats().reads);
  const Words image = holder.pixels();
  EXPECT_EQ(size_t(900 * 128), size_t(std::count(image.begin(), image.end(), 0x01020304u)));
  EXPECT_EQ(size_t(1000000 - 900 * 128), size_t(std::count(image.begin(), image.end(), 0u)));
}

// ---- Sizes ----

TEST_F(TgaLoad, SizesBeyondSixteenSignedBits) {
  // 40,000 x 2 uncompressed, and as run-length data whose packets cross
  // column 32,768.
  const int w = 40000;
  Bytes raw = Bytes(size_t(w) * 2 * 3, 0);
  raw[3 * 32768] = 0x7F;            // row 0 (the bottom row), column 32,768
  raw[3 * (w + 39999) + 2] = 0x80;  // row 1 (the top row), last column
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(2, w, 2, 24), {raw})));
  ASSERT_EQ(size_t(2 * w), holder.pixels().size());
  EXPECT_EQ(0xFF800000u, holder.pixels()[w - 1]);
  EXPECT_EQ(0xFF00007Fu, holder.pixels()[w + 32768]);
  EXPECT_EQ(2u, size_t(std::count_if(holder.data(), holder.data() + holder.size(), [](uint32_t p) { return p != 0; })));

  Bytes rle;
  for (int n = 0; n < 2 * w; n += 128) {
    Bytes p = RunPacket(std::min(128, 2 * w - n), Pixels(32, {uint32_t(n / 128 + 1)}));
    rle.insert(rle.end(), p.begin(), p.end());
  }
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(10, w, 2, 32, 0x20), {rle})));
  EXPECT_EQ(uint32_t(32768 / 128 + 1), holder.pixels()[32768]);
  EXPECT_EQ(uint32_t((2 * w - 1) / 128 + 1), holder.pixels().back());

  // 1 x 40,000, bottom to top.
  Bytes tall = Pixels(32, {7});
  tall.resize(4 * 40000, 0);
  ASSERT_EQ(TgaLoadResult::Loaded, Load(TgaBytes(TgaHead(2, 1, 40000, 32), {tall})));
  EXPECT_EQ(7u, holder.pixels().back());
  EXPECT_EQ(40000, Height());
}

TEST_F(TgaLoad, ImageAboveTheLimitIsOutOfMemory) {
  Prefill();
  platform.AddFile("big.tga", TgaBytes(TgaHead(2, 65535, 65535, 32)));
  TgaImageReader reader(platform);
  reader.SetImageByteLimit(64u << 20);
  EXPECT_THROW(reader.LoadTgaFile("big.tga", holder), std::bad_alloc);
  EXPECT_EQ(Words{0xCAFEF00D}, holder.pixels());
  EXPECT_EQ(0, platform.stats().openFiles);

  // Exactly at the limit it loads.
  reader.SetImageByteLimit(4 * 3 * 2);
  platform.AddFile("ok.tga", TgaBytes(TgaHead(2, 3, 2, 32), {Bytes(24, 1)}));
  EXPECT_EQ(TgaLoadResult::Loaded, reader.LoadTgaFile("ok.tga", holder));
}

TEST(TgaBuffers, AllocBufferIsZeroedAndRefusesTheImpossible) {
  TgaImageReader::Buffer b = TgaImageReader::AllocBuffer(100);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(0, b[i]);
  EXPECT_NE(nullptr, TgaImageReader::AllocBuffer(0).get());
  if (sizeof(size_t) < 8) {
    EXPECT_THROW(TgaImageReader::AllocBuffer(uint64_t(1) << 32), std::bad_alloc);
  }
}

}  // namespace
