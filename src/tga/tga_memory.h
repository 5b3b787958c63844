// An image holder in memory, for the reader's platforms of the native build
// (tga_stdio.h, and the tests' in-memory platform).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "tga_platform.h"

// Holds the image as a block of 0xAARRGGBB words, and keeps an adopted
// block as it is. An image without pixels (width or height 0 or less) is
// refused, as a bitmap of them would be.
class MemoryImageHolder : public ImageHolder {
 public:
  void Clear() override;
  bool Create(int width, int height, const uint32_t* pixels) override;
  bool Adopt(int width, int height, PixelBuffer pixels) override;
  bool GetSize(int& width, int& height) const override;
  long GetPixels(void* buffer, long size) const override;

  bool empty() const { return !pixels_; }
  const uint32_t* data() const { return pixels_.get(); }
  size_t size() const { return size_; }
  // A copy of the pixels.
  std::vector<uint32_t> pixels() const { return std::vector<uint32_t>(data(), data() + size_); }

 private:
  int width_ = 0;
  int height_ = 0;
  size_t size_ = 0;
  PixelBuffer pixels_;
};
