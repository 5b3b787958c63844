#include <gtest/gtest.h>

#include <vector>

#include "tga_pixels.h"

namespace {

using Words = std::vector<uint32_t>;
using Halves = std::vector<uint16_t>;
using Table = std::vector<int32_t>;

uint32_t To32(uint16_t p) {
  uint32_t q = 0xDEADBEEF;
  Pixel16To32(&p, &q);
  return q;
}
uint16_t To16(uint32_t p) {
  uint16_t q = 0xBEEF;
  Pixel32To16(&p, &q);
  return q;
}

TEST(TgaPixels, SinglePixelConversions) {
  EXPECT_EQ(0xFFF8F8F8u, To32(0xFFFF));
  EXPECT_EQ(0x00F8F8F8u, To32(0x7FFF));
  EXPECT_EQ(0xFF000000u, To32(0x8000));
  EXPECT_EQ(0x00F80000u, To32(0x7C00));
  EXPECT_EQ(0x00001018u, To32(0x0043));  // green 2, blue 3: no bit replication

  EXPECT_EQ(0xFC00, To16(0x80FF0000));
  EXPECT_EQ(0x7FFF, To16(0x7FFFFFFF));
  EXPECT_EQ(0x0000, To16(0x00070707));
  EXPECT_EQ(0x8886, To16(0xFF102030));
}

TEST(TgaPixels, RowConverters) {
  const uint8_t bgr[] = {0x10, 0x20, 0x30, 0xFF, 0x80, 0x00};
  Words w(3, 0x11111111);
  Convert24To32(bgr, w.data(), 2);
  EXPECT_EQ((Words{0xFF302010, 0xFF0080FF, 0x11111111}), w);

  Halves h(3, 0x1111);
  Convert24To16(bgr, h.data(), 2);
  EXPECT_EQ(0x821F, h[1]);  // red 0, green 16, blue 31, alpha set
  EXPECT_EQ(To16(0xFF302010), h[0]);
  EXPECT_EQ(0x1111, h[2]);

  const Halves sixteen = {0xFFFF, 0x7C00};
  Convert16To32(sixteen.data(), w.data(), 2);
  EXPECT_EQ((Words{0xFFF8F8F8, 0x00F80000, 0x11111111}), w);

  const Words wide = {0x80FF0000, 0xFF102030};
  Convert32To16(wide.data(), h.data(), 2);
  EXPECT_EQ((Halves{0xFC00, 0x8886, 0x1111}), h);

  // A count of 0 or less writes nothing.
  Words untouched(2, 0x5A5A5A5A);
  Convert24To32(bgr, untouched.data(), 0);
  Convert16To32(sixteen.data(), untouched.data(), -1);
  Convert32To16(wide.data(), untouched.data(), -5);
  Convert24To16(bgr, untouched.data(), 0);
  EXPECT_EQ(Words(2, 0x5A5A5A5A), untouched);
}

Table Scale(int from, int to) {
  Table columns(std::max(to, 0) + 1, -7), rows(1, -7);
  BuildScaleTables(from, 1, to, 1, columns.data(), rows.data());
  EXPECT_EQ(-7, columns.back()) << "wrote past the table";
  columns.pop_back();
  return columns;
}

TEST(TgaPixels, ScaleTablesComeFromRepeatedAddition) {
  EXPECT_EQ((Table{0, 1, 2, 3}), Scale(4, 4));
  EXPECT_EQ((Table{0, 1}), Scale(3, 2));
  EXPECT_EQ((Table{0, 0, 1, 1}), Scale(2, 4));
  EXPECT_EQ((Table{0, 3, 6}), Scale(10, 3));
  EXPECT_EQ((Table{0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1}), Scale(2, 12));
  EXPECT_EQ(Table{}, Scale(5, 0));
  EXPECT_EQ(Table{}, Scale(5, -3));

  // Both tables, and sizes beyond 16 bits.
  Table columns(3), rows(40000);
  BuildScaleTables(3, 40000, 3, 40000, columns.data(), rows.data());
  EXPECT_EQ((Table{0, 1, 2}), columns);
  EXPECT_EQ(39999, rows.back());
  EXPECT_EQ(32768, rows[32768]);
}

// BlitRow over a source of 32-bit words with an identity column table.
struct Blit32Case {
  Words src, dest;
  int opaqueBlack = 0, noMask = 1, step = 1, alphaKey = 1;
  std::vector<uint8_t> mask;
  Words Run() {
    TgaHeader h;
    h.width = uint16_t(src.size());
    Table columns(dest.size());
    for (size_t i = 0; i < columns.size(); ++i) columns[i] = int32_t(i);
    BlitRow(h, src.data(), dest.data(), mask.empty() ? nullptr : mask.data(), columns.data(), int(dest.size()),
            opaqueBlack, noMask, step, 32, alphaKey);
    return dest;
  }
};

TEST(TgaPixels, BlitRow32WithoutMask) {
  const Words src = {0x00000000, 0x80000000, 0x00000001, 0x7F123456};
  const Words bg = {0x11111111, 0x22222222, 0x33333333, 0x44444444};
  // opaqueBlack, alphaKey -> expected
  struct {
    int opaque, key;
    Words want;
  } cases[] = {
      {0, 0, src},
      {0, 1, {0x11111111, 0x22222222, 0x00000001, 0x7F123456}},
      {1, 0, src},
      {1, 1, {0xFF000000, 0xFF000000, 0x00000001, 0x7F123456}},
  };
  for (auto& c : cases) {
    Blit32Case b{src, bg, c.opaque, 1, 1, c.key, {}};
    EXPECT_EQ(c.want, b.Run()) << "opaqueBlack " << c.opaque << " alphaKey " << c.key;
  }
}

TEST(TgaPixels, BlitRow32WithMask) {
  const Words src = {0x00000000, 0x80000000, 0x00000001, 0x7F123456, 0, 0, 0, 0, 0x00ABCDEF};
  const Words bg(9, 0x11111111);
  // Bits (MSB first) for columns 0..8: 1 1 1 0 0 0 0 0 | 1.
  const std::vector<uint8_t> mask = {0xE0, 0x80};
  struct {
    int opaque, key;
    uint32_t black;  // what the two black pixels become
  } cases[] = {{0, 0, 0x11111111}, {0, 1, 0x11111111}, {1, 0, 0}, {1, 1, 0xFF000000}};
  for (auto& c : cases) {
    Blit32Case b{src, bg, c.opaque, 0, 1, c.key, mask};
    Words want = {c.black, c.black, 0x00000001, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x11111111, 0x00ABCDEF};
    EXPECT_EQ(want, b.Run()) << "opaqueBlack " << c.opaque << " alphaKey " << c.key;
  }
}

TEST(TgaPixels, BlitRowStepsBackwardsToMirror) {
  Blit32Case b{{1, 2, 3, 4}, Words(4, 0), 0, 1, -1, 1, {}};
  EXPECT_EQ((Words{4, 3, 2, 1}), b.Run());

  // Mirrored with a mask: source column x is seen at column 3 - x, and
  // takes that column's bit. Bits 1 0 0 1 -> seen columns 0 and 3, which
  // hold source columns 3 and 0.
  Blit32Case m{{1, 2, 3, 4}, Words(4, 0), 0, 0, -1, 1, {0x90}};
  EXPECT_EQ((Words{4, 0, 0, 1}), m.Run());
  // Bits 1 1 0 0: seen columns 0 and 1, source columns 3 and 2.
  m.dest = Words(4, 0);
  m.mask = {0xC0};
  EXPECT_EQ((Words{4, 3, 0, 0}), m.Run());
}

TEST(TgaPixels, BlitRowScalesThroughTheTable) {
  TgaHeader h;
  h.width = 2;
  const Words src = {0xA, 0xB};
  Words dest(5, 0);
  // Entries outside the source row (negative, or at its width) are skipped.
  const Table columns = {1, 1, 0, -1, 2};
  BlitRow(h, src.data(), dest.data(), nullptr, columns.data(), 5, 0, 1, 1, 32, 1);
  EXPECT_EQ((Words{0xB, 0xB, 0xA, 0, 0}), dest);
  BlitRow(h, src.data(), dest.data(), nullptr, columns.data(), 0, 0, 1, 1, 32, 1);
  BlitRow(h, src.data(), dest.data(), nullptr, columns.data(), -2, 0, 1, -1, 32, 1);
  EXPECT_EQ((Words{0xB, 0xB, 0xA, 0, 0}), dest);
}

Halves Blit16(const Halves& src, int opaqueBlack, int alphaKey, int noMask = 1, const std::vector<uint8_t>& mask = {}) {
  TgaHeader h;
  h.width = uint16_t(src.size());
  Table columns(src.size());
  for (size_t i = 0; i < columns.size(); ++i) columns[i] = int32_t(i);
  Halves dest(src.size(), 0x1234);
  BlitRow(h, src.data(), dest.data(), mask.empty() ? nullptr : mask.data(), columns.data(), int(src.size()),
          opaqueBlack, noMask, 1, 16, alphaKey);
  return dest;
}

TEST(TgaPixels, BlitRow16) {
  const Halves src = {0x0000, 0x8000, 0x001F, 0x7C01, 0xFFFF, 0x83E0};
  EXPECT_EQ((Halves{0x1234, 0x1234, 0x041F, 0x7C01, 0x7FFF, 0x07E0}), Blit16(src, 0, 0));
  EXPECT_EQ((Halves{0x1234, 0x1234, 0x841F, 0xFC01, 0xFFFF, 0x87E0}), Blit16(src, 0, 1));
  EXPECT_EQ((Halves{0x0400, 0x0400, 0x041F, 0x7C01, 0x7FFF, 0x07E0}), Blit16(src, 1, 0));
  EXPECT_EQ((Halves{0x8400, 0x8400, 0x841F, 0xFC01, 0xFFFF, 0x87E0}), Blit16(src, 1, 1));
  // The mask skips the columns whose bit is clear; the rest as above.
  EXPECT_EQ((Halves{0x8400, 0x1234, 0x841F, 0x1234, 0xFFFF, 0x1234}), Blit16(src, 1, 1, 0, {0xA8}));
  // Any depth other than 32 means 16-bit words.
  TgaHeader h;
  h.width = 1;
  const Table one = {0};
  uint16_t in = 0x001F, out = 0;
  BlitRow(h, &in, &out, nullptr, one.data(), 1, 0, 1, 1, 24, 1);
  EXPECT_EQ(0x841F, out);
}

}  // namespace
