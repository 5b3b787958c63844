// Board pictures (0xAARRGGBB pixels, rows top to bottom) as a person sees
// them: each pixel blended by its alpha over a grey checkerboard of 16-pixel
// squares, so transparent parts show as the checkerboard.
#pragma once

#include <cstdint>

// The colour 0x00RRGGBB that pixel (x, y) shows.
inline unsigned PixelOverCheckerboard(unsigned pixel, int x, int y) {
  unsigned a = pixel >> 24;
  unsigned back = ((x / 16 + y / 16) % 2) ? 0x99 : 0x66;
  unsigned rgb = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    unsigned v = (pixel >> shift) & 0xFF;
    rgb |= ((v * a + back * (255 - a) + 127) / 255) << shift;
  }
  return rgb;
}

// Writes 0x00RRGGBB pixels, rows top to bottom, as a PNG file.
bool WritePng(const char* path, const uint32_t* pixels, int width, int height);
// Writes the board's picture so blended as a PNG file.
bool WritePicturePng(const char* path, const uint32_t* pixels, int width, int height);
