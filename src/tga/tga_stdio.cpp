#include "tga_stdio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file of the C library, closed with the object.
class StdioTgaFile : public TgaFile {
 public:
  explicit StdioTgaFile(std::FILE* file) : file_(file) {}
  ~StdioTgaFile() override { std::fclose(file_); }
  StdioTgaFile(const StdioTgaFile&) = delete;
  StdioTgaFile& operator=(const StdioTgaFile&) = delete;

  long Read(void* buffer, long size) override {
    if (size < 0) return -1;
    size_t n = std::fread(buffer, 1, size_t(size), file_);
    if (n < size_t(size) && std::ferror(file_)) return -1;
    return long(n);
  }
  bool Seek(long offset) override { return offset >= 0 && std::fseek(file_, offset, SEEK_SET) == 0; }

 private:
  std::FILE* file_;
};

}  // namespace

std::unique_ptr<TgaFile> StdioTgaPlatform::Open(const std::filesystem::path& path) {
  // Only a regular file, opened without waiting: a FIFO or a terminal would
  // never end a read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat info;
  if (fd < 0) return nullptr;
  std::FILE* f = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? ::fdopen(fd, "rb") : nullptr;
  if (!f) {
    ::close(fd);
    return nullptr;
  }
  // The reader takes the data in blocks of 4,096 bytes; a larger buffer
  // gets them from the system in fewer calls.
  std::setvbuf(f, nullptr, _IOFBF, 64 * 1024);
  return std::make_unique<StdioTgaFile>(f);
}

std::unique_ptr<ImageHolder> StdioTgaPlatform::NewImageHolder() { return std::make_unique<MemoryImageHolder>(); }
