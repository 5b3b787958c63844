// Pixel-level operations of the TGA reader: converters between the 16-, 24-
// and 32-bit pixel formats, the index tables that scale an image, and the
// row writer. All of them work on memory the caller owns; none allocates.
//
// Formats (little-endian): 32-bit 0xAARRGGBB; 24-bit bytes blue, green, red;
// 16-bit 1-5-5-5 (bit 15 alpha, then red, green, blue).
#pragma once

#include <cstdint>

// The 18-byte file header, field by field, in file order.
struct TgaHeader {
  uint8_t idLength = 0;
  uint8_t colorMapType = 0;
  uint8_t imageType = 0;
  uint16_t colorMapFirst = 0;
  uint16_t colorMapLength = 0;
  uint8_t colorMapEntrySize = 0;
  uint16_t xOrigin = 0;
  uint16_t yOrigin = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t pixelDepth = 0;
  uint8_t descriptor = 0;
};

void Pixel32To16(const uint32_t* src, uint16_t* dest);
void Pixel16To32(const uint16_t* src, uint32_t* dest);

// Row converters; a count of 0 or less does nothing. Rows are byte buffers
// of count pixels in the formats named.
void Convert32To16(const void* src, void* dest, int count);
void Convert16To32(const void* src, void* dest, int count);
void Convert24To32(const void* src, void* dest, int count);
void Convert24To16(const void* src, void* dest, int count);

// Fills columnTable[destWidth] and rowTable[destHeight] with source indices.
// The step is summed in double precision and each entry is the running sum
// truncated, so 2 -> 12 gives 0,0,0,0,0,0,0,1,... (six sixths fall just
// short of 1). A destination size of 0 or less leaves its table alone.
void BuildScaleTables(int srcWidth, int srcHeight, int destWidth, int destHeight, int32_t* columnTable,
                      int32_t* rowTable);

// Writes destWidth pixels of one destination row from one source row of
// header.width pixels: destination column i takes source column
// columnTable[i] (columnStep +1) or columnTable[destWidth - 1 - i]
// (columnStep -1). destBits 32 means 32-bit words, anything else 16-bit.
// Skipped pixels leave the destination unchanged. A table entry outside the
// source row is skipped.
//
// maskRow (used when noMask is 0) has one bit per source column, most
// significant bit first, in the order the image is seen: for a row walked
// right to left (columnStep -1) source column x is seen at column
// header.width - 1 - x, and that is the bit it uses.
void BlitRow(const TgaHeader& header, const void* src, void* dest, const uint8_t* maskRow, const int32_t* columnTable,
             int destWidth, int opaqueBlack, int noMask, int columnStep, int destBits, int alphaKey);
