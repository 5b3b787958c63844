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

MemoryTgaFile::MemoryTgaFile(std::shared_ptr<const std::vector<uint8_t>> bytes, long errorFrom, MemoryTgaStats* stats)
    : bytes_(std::move(bytes)), errorFrom_(errorFrom), stats_(stats) {
  ++stats_->opens;
  ++stats_->openFiles;
}

MemoryTgaFile::~MemoryTgaFile() { --stats_->openFiles; }

long MemoryTgaFile::Read(void* buffer, long size) {
  ++stats_->reads;
  stats_->lastReadSize = size;
  if (size < 0) return -1;
  long end = long(bytes_->size());
  if (errorFrom_ >= 0 && size > errorFrom_ - pos_) {
    if (stats_->keepLog) stats_->log += "r" + std::to_string(size) + ":-1 ";
    return -1;
  }
  long n = pos_ < end ? std::min(size, end - pos_) : 0;
  if (n > 0) std::memcpy(buffer, bytes_->data() + pos_, size_t(n));
  pos_ += n;
  if (stats_->keepLog) stats_->log += "r" + std::to_string(size) + ":" + std::to_string(n) + " ";
  return n;
}

bool MemoryTgaFile::Seek(long offset) {
  ++stats_->seeks;
  if (stats_->keepLog) stats_->log += "s" + std::to_string(offset) + " ";
  if (offset < 0) return false;
  pos_ = offset;
  return true;
}

void MemoryTgaPlatform::AddFile(const std::string& path, std::vector<uint8_t> bytes, long errorFrom) {
  Entry& e = files_[path];
  e.bytes = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
  e.errorFrom = errorFrom;
}

void MemoryTgaPlatform::SetBusy(const std::string& path, bool busy) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second.busy = busy;
}

std::unique_ptr<TgaFile> MemoryTgaPlatform::Open(const std::string& path) {
  auto it = files_.find(path);
  if (it == files_.end() || it->second.busy) return nullptr;
  return std::make_unique<MemoryTgaFile>(it->second.bytes, it->second.errorFrom, &stats_);
}

void MemoryTgaPlatform::Beep() {
  ++stats_.beeps;
  if (stats_.keepLog) stats_.log += "b ";
}

std::unique_ptr<ImageHolder> MemoryTgaPlatform::NewImageHolder() { return std::make_unique<MemoryImageHolder>(); }
