#include "memory_tga_platform.h"

#include <algorithm>
#include <cstring>

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

void MemoryTgaPlatform::AddFile(const std::filesystem::path& path, std::vector<uint8_t> bytes, long errorFrom) {
  Entry& e = files_[path];
  e.bytes = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
  e.errorFrom = errorFrom;
}

void MemoryTgaPlatform::SetBusy(const std::filesystem::path& path, bool busy) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second.busy = busy;
}

std::unique_ptr<TgaFile> MemoryTgaPlatform::Open(const std::filesystem::path& path) {
  auto it = files_.find(path);
  if (it == files_.end() || it->second.busy) return nullptr;
  return std::make_unique<MemoryTgaFile>(it->second.bytes, it->second.errorFrom, &stats_);
}

void MemoryTgaPlatform::Beep() {
  ++stats_.beeps;
  if (stats_.keepLog) stats_.log += "b ";
}

std::unique_ptr<ImageHolder> MemoryTgaPlatform::NewImageHolder() { return std::make_unique<MemoryImageHolder>(); }
