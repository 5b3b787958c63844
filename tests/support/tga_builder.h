// Builds TGA files in memory for the reader's tests and the fuzzer's seeds.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "tga_pixels.h"

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, unsigned v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

// The 18 header bytes followed by everything in parts.
inline Bytes TgaBytes(const TgaHeader& h, std::initializer_list<Bytes> parts = {}) {
  Bytes b = {h.idLength, h.colorMapType, h.imageType};
  Put16(b, h.colorMapFirst);
  Put16(b, h.colorMapLength);
  b.push_back(h.colorMapEntrySize);
  Put16(b, h.xOrigin);
  Put16(b, h.yOrigin);
  Put16(b, h.width);
  Put16(b, h.height);
  b.push_back(h.pixelDepth);
  b.push_back(h.descriptor);
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

inline TgaHeader TgaHead(int type, int width, int height, int depth, int descriptor = 0) {
  TgaHeader h;
  h.imageType = uint8_t(type);
  h.width = uint16_t(width);
  h.height = uint16_t(height);
  h.pixelDepth = uint8_t(depth);
  h.descriptor = uint8_t(descriptor);
  return h;
}

// Pixels as stored: 0xAARRGGBB words written at the given depth (32: four
// bytes, 24: blue, green, red, 16: the low 16 bits of the word).
inline Bytes Pixels(int depth, std::initializer_list<uint32_t> words) {
  Bytes b;
  for (uint32_t w : words) {
    if (depth == 16) {
      Put16(b, w);
    } else {
      for (int i = 0; i < depth / 8; ++i) b.push_back(uint8_t(w >> (8 * i)));
    }
  }
  return b;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

// A run-length packet of count copies of one pixel, and a raw packet.
inline Bytes RunPacket(int count, const Bytes& pixel) { return Concat({Bytes{uint8_t(0x80 | (count - 1))}, pixel}); }
inline Bytes RawPacket(int count, const Bytes& pixels) { return Concat({Bytes{uint8_t(count - 1)}, pixels}); }
