#include "tga_stdio.h"

StdioTgaFile::~StdioTgaFile() { std::fclose(file_); }

long StdioTgaFile::Read(void* buffer, long size) {
  if (size < 0) return -1;
  size_t n = std::fread(buffer, 1, size_t(size), file_);
  if (n < size_t(size) && std::ferror(file_)) return -1;
  return long(n);
}

bool StdioTgaFile::Seek(long offset) { return offset >= 0 && std::fseek(file_, offset, SEEK_SET) == 0; }

std::unique_ptr<TgaFile> StdioTgaPlatform::Open(const std::filesystem::path& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  // The reader takes the data in blocks of 4,096 bytes; a larger buffer
  // gets them from the system in fewer calls.
  std::setvbuf(f, nullptr, _IOFBF, 64 * 1024);
  return std::make_unique<StdioTgaFile>(f);
}

std::unique_ptr<ImageHolder> StdioTgaPlatform::NewImageHolder() { return std::make_unique<MemoryImageHolder>(); }
