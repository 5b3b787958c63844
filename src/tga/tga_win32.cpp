#include "tga_win32.h"

#include "host_path.h"

namespace {

// A file handle, closed with the object.
class Win32TgaFile : public TgaFile {
 public:
  explicit Win32TgaFile(HANDLE handle) : handle_(handle) {}
  ~Win32TgaFile() override { CloseHandle(handle_); }
  Win32TgaFile(const Win32TgaFile&) = delete;
  Win32TgaFile& operator=(const Win32TgaFile&) = delete;

  long Read(void* buffer, long size) override {
    DWORD got = 0;
    if (size < 0 || !ReadFile(handle_, buffer, DWORD(size), &got, nullptr)) return -1;
    return long(got);
  }
  bool Seek(long offset) override {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return offset >= 0 && SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN);
  }

 private:
  HANDLE handle_;
};

}  // namespace

BitmapHolder::~BitmapHolder() { Clear(); }

void BitmapHolder::Clear() {
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
}

bool BitmapHolder::Create(int width, int height, const uint32_t* pixels) {
  Clear();
  // CreateBitmap(0, 0, ...) would hand back the stock 1 x 1 monochrome
  // bitmap; an image without pixels is simply not made.
  if (width <= 0 || height <= 0 || !pixels) return false;
  bitmap_ = CreateBitmap(width, height, 1, 32, pixels);
  return bitmap_ != nullptr;
}

bool BitmapHolder::GetSize(int& width, int& height) const {
  BITMAP bm;
  if (!bitmap_ || GetObjectA(bitmap_, sizeof bm, &bm) != sizeof bm) return false;
  width = bm.bmWidth;
  height = bm.bmHeight;
  return true;
}

long BitmapHolder::GetPixels(void* buffer, long size) const {
  if (!bitmap_ || size <= 0) return 0;
  return GetBitmapBits(bitmap_, size, buffer);
}

std::unique_ptr<TgaFile> Win32TgaPlatform::Open(const std::filesystem::path& path) {
  // Only a regular file: a device name or a pipe would never end a read.
  HANDLE h = OpenRegularFile(path, GENERIC_READ, 0);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32TgaFile>(h);
}

void Win32TgaPlatform::Beep() { MessageBeep(0); }

std::unique_ptr<ImageHolder> Win32TgaPlatform::NewImageHolder() { return std::make_unique<BitmapHolder>(); }
