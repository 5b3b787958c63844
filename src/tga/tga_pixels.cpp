#include "tga_pixels.h"

#include <cstring>

namespace {

// Rows are plain byte buffers (the file's rows have no alignment), so words
// are moved with memcpy.
uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

uint32_t Bgr24(const uint8_t* p) { return 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

bool MaskBitSet(const TgaHeader& header, const uint8_t* maskRow, int x, int columnStep) {
  int seen = columnStep < 0 ? header.width - 1 - x : x;
  return (maskRow[seen >> 3] >> (7 - (seen & 7))) & 1;
}

// The 32-bit word to write for source pixel p, or false to skip it.
bool Blit32(uint32_t p, bool opaqueBlack, bool masked, bool alphaKey, uint32_t& out) {
  out = p;
  if ((p & 0x00FFFFFFu) != 0) return true;
  if (masked) {
    if (!opaqueBlack) return false;
    out = alphaKey ? 0xFF000000u : 0x00000000u;
    return true;
  }
  if (!alphaKey) return true;
  if (!opaqueBlack) return false;
  out = 0xFF000000u;
  return true;
}

// The same for a 16-bit source pixel; a red field of 0 becomes 1.
bool Blit16(uint16_t p, bool opaqueBlack, bool alphaKey, uint16_t& out) {
  if ((p & 0x7FFF) == 0 && !opaqueBlack) return false;
  out = alphaKey ? uint16_t(p | 0x8000) : uint16_t(p & 0x7FFF);
  if ((p & 0x7C00) == 0) out |= 0x0400;
  return true;
}

}  // namespace

void Pixel32To16(const uint32_t* src, uint16_t* dest) {
  uint32_t p = *src;
  uint32_t v = ((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F);
  if (p & 0x80000000u) v |= 0x8000;
  *dest = uint16_t(v);
}

void Pixel16To32(const uint16_t* src, uint32_t* dest) {
  uint32_t p = *src;
  uint32_t v = ((p >> 10) & 0x1F) << 19 | ((p >> 5) & 0x1F) << 11 | (p & 0x1F) << 3;
  if (p & 0x8000) v |= 0xFF000000u;
  *dest = v;
}

namespace {

uint16_t To16(uint32_t p) {
  uint16_t q;
  Pixel32To16(&p, &q);
  return q;
}
uint32_t To32(uint16_t p) {
  uint32_t q;
  Pixel16To32(&p, &q);
  return q;
}

// Converts count pixels between byte buffers of srcBytes and destBytes a
// pixel; convert takes one pixel's bytes to the other's.
template <typename Convert>
void ConvertPixels(const void* src, int srcBytes, void* dest, int destBytes, int count, Convert convert) {
  const uint8_t* s = static_cast<const uint8_t*>(src);
  uint8_t* d = static_cast<uint8_t*>(dest);
  for (int i = 0; i < count; ++i) convert(s + srcBytes * i, d + destBytes * i);
}

}  // namespace

void Convert32To16(const void* src, void* dest, int count) {
  ConvertPixels(src, 4, dest, 2, count, [](const uint8_t* s, uint8_t* d) { Store16(d, To16(Load32(s))); });
}

void Convert16To32(const void* src, void* dest, int count) {
  ConvertPixels(src, 2, dest, 4, count, [](const uint8_t* s, uint8_t* d) { Store32(d, To32(Load16(s))); });
}

void Convert24To32(const void* src, void* dest, int count) {
  ConvertPixels(src, 3, dest, 4, count, [](const uint8_t* s, uint8_t* d) { Store32(d, Bgr24(s)); });
}

void Convert24To16(const void* src, void* dest, int count) {
  ConvertPixels(src, 3, dest, 2, count, [](const uint8_t* s, uint8_t* d) { Store16(d, To16(Bgr24(s))); });
}

static void BuildScaleTable(int srcSize, int destSize, int32_t* table) {
  if (destSize <= 0) return;
  double step = double(srcSize) / double(destSize);
  double sum = 0.0;
  for (int i = 0; i < destSize; ++i) {
    table[i] = int32_t(sum);
    sum += step;
  }
}

void BuildScaleTables(int srcWidth, int srcHeight, int destWidth, int destHeight, int32_t* columnTable,
                      int32_t* rowTable) {
  BuildScaleTable(srcWidth, destWidth, columnTable);
  BuildScaleTable(srcHeight, destHeight, rowTable);
}

void BlitRow(const TgaHeader& header, const void* src, void* dest, const uint8_t* maskRow, const int32_t* columnTable,
             int destWidth, int opaqueBlack, int noMask, int columnStep, int destBits, int alphaKey) {
  const uint8_t* s = static_cast<const uint8_t*>(src);
  uint8_t* d = static_cast<uint8_t*>(dest);
  const bool masked = noMask == 0;
  const bool wide = destBits == 32;
  for (int i = 0; i < destWidth; ++i) {
    int x = columnTable[columnStep < 0 ? destWidth - 1 - i : i];
    if (x < 0 || x >= header.width) continue;
    if (masked && !MaskBitSet(header, maskRow, x, columnStep)) continue;
    if (wide) {
      uint32_t out;
      if (Blit32(Load32(s + 4 * x), opaqueBlack != 0, masked, alphaKey != 0, out)) Store32(d + 4 * i, out);
    } else {
      uint16_t out;
      if (Blit16(Load16(s + 2 * x), opaqueBlack != 0, alphaKey != 0, out)) Store16(d + 2 * i, out);
    }
  }
}
