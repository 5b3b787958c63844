#include "sim_picture.h"

#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

bool WritePng(const char* path, const uint32_t* pixels, int width, int height) {
  std::vector<unsigned char> rgb;
  rgb.reserve(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
    for (int shift : {16, 8, 0}) rgb.push_back(static_cast<unsigned char>(pixels[i] >> shift));
  return stbi_write_png(path, width, height, 3, rgb.data(), width * 3) != 0;
}

bool WritePicturePng(const char* path, const uint32_t* pixels, int width, int height) {
  std::vector<uint32_t> shown(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      shown[static_cast<size_t>(y) * width + x] =
          PixelOverCheckerboard(pixels[static_cast<size_t>(y) * width + x], x, y);
  return WritePng(path, shown.data(), width, height);
}
