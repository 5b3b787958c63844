#include "sim_picture.h"

#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

bool WritePicturePng(const char* path, const unsigned* pixels, int width, int height) {
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned p = pixels[static_cast<size_t>(y) * width + x];
      unsigned a = p >> 24;
      unsigned back = ((x / 16 + y / 16) % 2) ? 0x99 : 0x66;
      unsigned char* out = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      for (int c = 0; c < 3; ++c) {
        unsigned v = (p >> (16 - 8 * c)) & 0xFF;  // red, green, blue
        out[c] = static_cast<unsigned char>((v * a + back * (255 - a) + 127) / 255);
      }
    }
  }
  return stbi_write_png(path, width, height, 3, rgb.data(), width * 3) != 0;
}
