// DecodeImage and ReadRleRow beyond what LoadTgaFile asks of them: scaling,
// 16-bit destinations, masks, row pitch, wide pixels.
#include <gtest/gtest.h>

#include "tga_builder.h"
#include "memory_tga_platform.h"
#include "tga_reader.h"

namespace {

using Words = std::vector<uint32_t>;
using Halves = std::vector<uint16_t>;

struct Decode {
  MemoryTgaPlatform platform;
  TgaImageReader reader{platform};

  // Decodes file (its header is parsed from it) into dest.
  template <typename Pixel>
  void Run(const Bytes& file, std::vector<Pixel>& dest, int destWidth, int destHeight, int rowPitch, int opaqueBlack,
           int alphaKey, const uint8_t* mask = nullptr) {
    platform.AddFile("d.tga", file);
    auto f = platform.Open("d.tga");
    TgaHeader h = TgaImageReader::ReadHeader(*f, "d.tga");
    platform.stats() = MemoryTgaStats();
    platform.stats().openFiles = 1;
    TgaImageReader::DecodeOptions options;
    options.opaqueBlack = opaqueBlack != 0;
    options.noMask = !mask;
    options.destBits = int(sizeof(Pixel) * 8);
    options.alphaKey = alphaKey != 0;
    reader.DecodeImage(*f, h, mask, dest.data(), destWidth, destHeight, rowPitch, TgaImageReader::DataOffset(h),
                       options);
  }
};

// A 2 x 2 image, top to bottom: A B / C D.
const Words kQuad = {0x010000AA, 0x010000BB, 0x010000CC, 0x010000DD};

TEST(TgaDecode, UpscaledRowsAreReadOnce) {
  Decode d;
  Words dest(4 * 4, 0);
  d.Run(TgaBytes(TgaHead(2, 2, 2, 32, 0x20), {Pixels(32, {kQuad[0], kQuad[1], kQuad[2], kQuad[3]})}), dest, 4, 4, 4, 0,
        1);
  const uint32_t A = kQuad[0], B = kQuad[1], C = kQuad[2], D = kQuad[3];
  EXPECT_EQ((Words{A, A, B, B, A, A, B, B, C, C, D, D, C, C, D, D}), dest);
  EXPECT_EQ(2, d.platform.stats().reads);
  EXPECT_EQ(1 + 2, d.platform.stats().seeks);
}

TEST(TgaDecode, DownscaledRunLengthRowsAreReadThrough) {
  // Rows 1 and 3 of a 1 x 4 image are decoded and dropped on the way.
  Decode d;
  Words dest(2, 0);
  const Bytes data =
      Concat({RawPacket(1, Pixels(32, {0x11})), RunPacket(2, Pixels(32, {0x22})), RawPacket(1, Pixels(32, {0x33}))});
  d.Run(TgaBytes(TgaHead(10, 1, 4, 32, 0x20), {data}), dest, 1, 2, 1, 0, 1);
  EXPECT_EQ((Words{0x11, 0x22}), dest);
  // The same, bottom to top: destination row 1 takes source row 0.
  d.Run(TgaBytes(TgaHead(10, 1, 4, 32), {data}), dest, 1, 2, 1, 0, 1);
  EXPECT_EQ((Words{0x22, 0x11}), dest);
}

TEST(TgaDecode, SixteenBitDestinations) {
  Decode d;
  Halves dest(3, 0x7777);
  // From 24 bits (converted, alpha set) with black written opaque.
  d.Run(TgaBytes(TgaHead(2, 3, 1, 24), {Pixels(24, {0x000000, 0x0080FF, 0xFFFFFF})}), dest, 3, 1, 3, 1, 0);
  EXPECT_EQ((Halves{0x0400, 0x061F, 0x7FFF}), dest);
  // From 16 bits (taken as stored), black skipped.
  dest.assign(3, 0x7777);
  d.Run(TgaBytes(TgaHead(10, 3, 1, 16), {RawPacket(3, Pixels(16, {0x8000, 0x001F, 0x7C00}))}), dest, 3, 1, 3, 0, 1);
  EXPECT_EQ((Halves{0x7777, 0x841F, 0xFC00}), dest);
  // From 32 bits (converted).
  d.Run(TgaBytes(TgaHead(2, 3, 1, 32), {Pixels(32, {0xFF102030, 0x00000008, 0x80FF0000})}), dest, 3, 1, 3, 0, 0);
  EXPECT_EQ((Halves{0x0886, 0x0401, 0x7C00}), dest);
}

TEST(TgaDecode, RowPitchAndUnsupportedDestinations) {
  Decode d;
  const Bytes file = TgaBytes(TgaHead(2, 2, 2, 32), {Pixels(32, {1, 2, 3, 4})});
  Words dest(2 * 3, 0xEE);
  d.Run(file, dest, 2, 2, 3, 0, 1);
  EXPECT_EQ((Words{3, 4, 0xEE, 1, 2, 0xEE}), dest);

  std::vector<uint8_t> bytes(8, 0xEE);
  d.Run(file, bytes, 2, 2, 2, 0, 1);  // 8 bits per pixel: nothing is decoded
  EXPECT_EQ(std::vector<uint8_t>(8, 0xEE), bytes);
}

TEST(TgaDecode, MaskRowsAreInSeenOrder) {
  // 2 x 2, bottom to top: stored rows C D, then A B. The mask is top row
  // first: row 0 lets only column 0 through, row 1 only column 1.
  Decode d;
  const uint8_t mask[] = {0x80, 0x40};
  Words dest(4, 0);
  d.Run(TgaBytes(TgaHead(2, 2, 2, 32), {Pixels(32, {kQuad[2], kQuad[3], kQuad[0], kQuad[1]})}), dest, 2, 2, 2, 0, 1,
        mask);
  EXPECT_EQ((Words{kQuad[0], 0, 0, kQuad[3]}), dest);
}

TEST(TgaDecode, WideRunLengthPixelsStayInStep) {
  // 6-byte pixels: a run of 3 and a raw packet of 2 in rows of 4, so one
  // pixel carries into the next row.
  MemoryTgaPlatform platform;
  TgaImageReader reader(platform);
  const Bytes run = {1, 2, 3, 4, 5, 6}, a = {7, 7, 7, 7, 7, 7}, b = {8, 8, 8, 8, 8, 8};
  platform.AddFile("w", Concat({RunPacket(3, run), RawPacket(2, Concat({a, b})), RawPacket(3, Bytes(18, 9))}));
  auto f = platform.Open("w");
  Bytes row(6 * 512, 0);
  int carry = 0;
  reader.ReadRleRow(*f, row.data(), row.size(), 4, 48, carry);
  EXPECT_EQ(5, carry);
  EXPECT_EQ(Concat({run, run, run, a, b}), Bytes(row.begin(), row.begin() + 30));
  reader.ReadRleRow(*f, row.data(), row.size(), 4, 48, carry);
  EXPECT_EQ(4, carry);
  EXPECT_EQ(Concat({b, Bytes(18, 9)}), Bytes(row.begin(), row.begin() + 24));
}

TEST(TgaDecode, RunLengthRowNeverWritesPastItsBuffer) {
  // A row buffer too small for the packet's overrun: what does not fit is
  // dropped, and the stream stays in step.
  MemoryTgaPlatform platform;
  TgaImageReader reader(platform);
  platform.AddFile("r", Concat({RunPacket(128, {5}), RunPacket(1, {6})}));
  auto f = platform.Open("r");
  Bytes row(12, 0);
  row.push_back(0xEE);  // guard
  int carry = 0;
  reader.ReadRleRow(*f, row.data(), 12, 10, 8, carry);
  EXPECT_EQ(128, carry);
  EXPECT_EQ(0xEE, row[12]);
  EXPECT_EQ(Bytes(12, 5), Bytes(row.begin(), row.begin() + 12));
  // A carry beyond the buffer is cut to what it holds: 2 more pixels of 5,
  // then the next packet; the rest of the row comes from the zero bytes
  // behind the end of the data.
  reader.ReadRleRow(*f, row.data(), 12, 10, 8, carry);
  EXPECT_EQ(10, carry);
  EXPECT_EQ((Bytes{5, 5, 6, 0, 0, 0, 0, 0, 0, 0}), Bytes(row.begin(), row.begin() + 10));
  EXPECT_EQ(0xEE, row[12]);
}

}  // namespace
