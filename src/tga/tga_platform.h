// What the TGA reader and the alpha test need of the platform: a file read as
// raw bytes, a beep, and a holder for the finished 32-bit image. The Win32
// build binds these to the system (files, MessageBeep, CreateBitmap with
// GetObjectA and GetBitmapBits); the native build has plain implementations
// for tests and tools.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>

// An open file, read as raw bytes.
class TgaFile {
 public:
  virtual ~TgaFile() = default;
  // Reads up to size bytes; returns how many were delivered (0 at the end of
  // the file), or -1 on a read error.
  virtual long Read(void* buffer, long size) = 0;
  // Positions the file at an absolute offset from its start; false on error.
  virtual bool Seek(long offset) = 0;
};

// A block of pixels from std::malloc, given back with std::free.
struct FreePixels {
  void operator()(uint32_t* p) const { std::free(p); }
};
using PixelBuffer = std::unique_ptr<uint32_t[], FreePixels>;

// The caller's bitmap holder: owns at most one image of 32-bit pixels
// 0xAARRGGBB, rows top to bottom, and releases it when it is destroyed.
class ImageHolder {
 public:
  virtual ~ImageHolder() = default;
  // Drops the held image, if any.
  virtual void Clear() = 0;
  // Makes a new image of width x height pixels from pixels (the holder keeps
  // its own copy). Returns false, leaving the holder empty, when the
  // platform cannot make it.
  virtual bool Create(int width, int height, const uint32_t* pixels) = 0;
  // The same from a block the holder may keep instead of copying; by
  // default it is copied and freed.
  virtual bool Adopt(int width, int height, PixelBuffer pixels) { return Create(width, height, pixels.get()); }
  // Size of the held image; false when the holder is empty.
  virtual bool GetSize(int& width, int& height) const = 0;
  // Copies up to size bytes of the image's pixels; returns the bytes copied.
  virtual long GetPixels(void* buffer, long size) const = 0;
};

class TgaPlatform {
 public:
  virtual ~TgaPlatform() = default;
  // Opens an existing file for reading, shared with no other opener; null
  // when it cannot be opened.
  virtual std::unique_ptr<TgaFile> Open(const std::filesystem::path& path) = 0;
  // The default beep.
  virtual void Beep() = 0;
  // A new, empty bitmap holder.
  virtual std::unique_ptr<ImageHolder> NewImageHolder() = 0;
};
