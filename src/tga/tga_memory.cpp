#include "tga_memory.h"

#include <algorithm>
#include <cstring>
#include <new>

void MemoryImageHolder::Clear() {
  pixels_.reset();
  width_ = height_ = 0;
  size_ = 0;
}

bool MemoryImageHolder::Create(int width, int height, const uint32_t* pixels) {
  Clear();
  if (width <= 0 || height <= 0 || !pixels) return false;
  const size_t count = size_t(width) * size_t(height);
  PixelBuffer copy(static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t))));
  if (!copy) return false;
  std::memcpy(copy.get(), pixels, count * sizeof(uint32_t));
  return Adopt(width, height, std::move(copy));
}

bool MemoryImageHolder::Adopt(int width, int height, PixelBuffer pixels) {
  Clear();
  if (width <= 0 || height <= 0 || !pixels) return false;
  pixels_ = std::move(pixels);
  width_ = width;
  height_ = height;
  size_ = size_t(width) * size_t(height);
  return true;
}

bool MemoryImageHolder::GetSize(int& width, int& height) const {
  if (!pixels_) return false;
  width = width_;
  height = height_;
  return true;
}

long MemoryImageHolder::GetPixels(void* buffer, long size) const {
  if (!pixels_ || size <= 0) return 0;
  size_t n = std::min(size_t(size), size_ * sizeof(uint32_t));
  std::memcpy(buffer, pixels_.get(), n);
  return long(n);
}
