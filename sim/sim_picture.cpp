#include "sim_picture.h"

#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

bool WritePicturePng(const char* path, const unsigned* pixels, int width, int height) {
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned shown = PixelOverCheckerboard(pixels[static_cast<size_t>(y) * width + x], x, y);
      unsigned char* out = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      out[0] = static_cast<unsigned char>(shown >> 16);
      out[1] = static_cast<unsigned char>(shown >> 8);
      out[2] = static_cast<unsigned char>(shown);
    }
  }
  return stbi_write_png(path, width, height, 3, rgb.data(), width * 3) != 0;
}
