// The reader's platform on Win32: regular files opened read-only, unshared and
// only if they exist; MessageBeep(0); images held as 32-bit bitmaps.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "tga_platform.h"

// Owns at most one bitmap (CreateBitmap: 1 plane, 32 bits per pixel) and
// deletes it when it is replaced or the holder is destroyed.
class BitmapHolder : public ImageHolder {
 public:
  BitmapHolder() = default;
  ~BitmapHolder() override;
  BitmapHolder(const BitmapHolder&) = delete;
  BitmapHolder& operator=(const BitmapHolder&) = delete;

  void Clear() override;
  bool Create(int width, int height, const uint32_t* pixels) override;
  bool GetSize(int& width, int& height) const override;
  long GetPixels(void* buffer, long size) const override;

  HBITMAP handle() const { return bitmap_; }

 private:
  HBITMAP bitmap_ = nullptr;
};

class Win32TgaPlatform : public TgaPlatform {
 public:
  std::unique_ptr<TgaFile> Open(const std::filesystem::path& path) override;
  void Beep() override;
  std::unique_ptr<ImageHolder> NewImageHolder() override;
};
