// Reads Truevision TGA files of image types 2 (uncompressed true-colour) and
// 10 (run-length encoded true-colour), 16, 24 or 32 bits per pixel, into an
// upright 32-bit image with black keyed to 0x00000000.
//
// Sizes are those of the header (up to 65,535 x 65,535) and are computed in
// 64 bits; every buffer is bounded by its own size, so a malformed file gives
// a wrong picture at worst, never a read or write outside a buffer. Pixels
// of more than 4 bytes (a depth of 40 and up) are read and skipped correctly
// in both types; like every depth other than 16, 24 and 32 they come out as
// 0x00000000.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

#include "tga_pixels.h"
#include "tga_platform.h"

// A read error (not an early end) inside the file header of the file at
// path. what() is English; a user interface words it from Path().
class TgaReadError : public std::runtime_error {
 public:
  explicit TgaReadError(const std::filesystem::path& path)
      : std::runtime_error("Cannot read the header of the TGA file " + path.u8string()), path_(path) {}
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The image is above the reader's byte limit: memory it will not ask for.
class TgaImageTooLarge : public std::bad_alloc {
 public:
  const char* what() const noexcept override { return "TGA image above the size limit"; }
};

// What LoadTgaFile did, with the values the reader has always given.
enum class TgaLoadResult : int {
  CannotOpen = 0,       // the file cannot be opened
  Loaded = 1,           // the image is in the holder
  NotTrueColour = 255,  // the file is not of type 2 or 10
};

class TgaImageReader {
 public:
  explicit TgaImageReader(TgaPlatform& platform);

  // Loaded: the image was decoded into the holder (its previous image is
  // dropped; the holder stays empty if the platform could not make the new
  // one, or the image has no pixels). NotTrueColour: the file is not of type
  // 2 or 10; the holder is untouched. CannotOpen: the file cannot be opened.
  // Throws TgaReadError when reading the header fails, and std::bad_alloc
  // when the image or a working buffer cannot be allocated (or the image is
  // above the byte limit); the holder is untouched then.
  TgaLoadResult LoadTgaFile(const std::filesystem::path& path, ImageHolder& holder);

  // Largest image buffer (width x height x 4 bytes) LoadTgaFile will ask
  // for; larger images raise TgaImageTooLarge, a std::bad_alloc. Unlimited
  // unless set.
  void SetImageByteLimit(uint64_t bytes) { imageByteLimit_ = bytes; }

  // The header, field by field. A file that ends inside the header leaves
  // the field it ends in and all later ones zero, and clears *complete.
  static TgaHeader ReadHeader(TgaFile& file, const std::filesystem::path& path, bool* complete = nullptr);
  // Where the pixel data starts: after the header, the identification field
  // and (colour map type 1) the colour map, whose entries take whole bytes.
  static uint32_t DataOffset(const TgaHeader& header);

  // How DecodeImage writes pixels; BlitRow (tga_pixels.h) says what
  // opaqueBlack and alphaKey do. The defaults are LoadTgaFile's: 32-bit
  // pixels, no mask, black keyed to 0.
  struct DecodeOptions {
    bool opaqueBlack = false;
    bool noMask = true;  // false: use the mask
    int destBits = 32;   // 16 or 32; any other value decodes nothing
    bool alphaKey = true;
  };

  // Decodes the image into dest: destHeight rows of destWidth pixels of
  // destBits bits, rows rowPitch (0 or more) pixels apart, top row first
  // whatever the file's row order, scaled through the index tables. dest
  // must hold that many rows; mask (used unless noMask; null means no mask)
  // one bit per source pixel, rows of (width + 7) / 8 bytes, top row first.
  // The first short row of a type 2 file beeps once; the file has ended
  // there, so the rows after it are not read and keep that row's bytes.
  void DecodeImage(TgaFile& file, const TgaHeader& header, const uint8_t* mask, void* dest, int destWidth,
                   int destHeight, int rowPitch, uint32_t dataOffset, const DecodeOptions& options);

  // Decodes the next row of a type 10 image into rawRow (rawRowBytes long;
  // nothing is written past it) through the 4,096-byte read block. rleCarry
  // is the number of pixels already in rawRow: a packet that ran past the
  // previous row left its overrun behind that row's width pixels. Once the
  // file has ended the data reads as zero bytes (black pixels), without
  // further reads.
  void ReadRleRow(TgaFile& file, uint8_t* rawRow, size_t rawRowBytes, int width, int pixelDepth, int& rleCarry);

  static constexpr int kReadBlockSize = 4096;

  // Working memory, zero-filled unless told otherwise; std::bad_alloc when
  // it cannot be had.
  struct BufferFree {
    void operator()(uint8_t* p) const;
  };
  using Buffer = std::unique_ptr<uint8_t[], BufferFree>;
  static Buffer AllocBuffer(uint64_t size, bool zeroFill = true);

 private:
  // A run-length packet that continues into the next row.
  struct RlePacket {
    int left = 0;  // pixels of it still to come
    bool run = false;
    uint32_t value = 0;  // a run's pixel, keyed
  };

  // LoadTgaFile's own case, depths 16, 24 and 32: DecodeImage at the
  // image's size with the default options, with the same reads, seeks,
  // beeps and pixels, but row by row without tables or intermediate rows,
  // and writing every pixel of dest (black as 0), so dest needs no zero
  // fill.
  void DecodeKeyed(TgaFile& file, const TgaHeader& header, uint32_t* dest, uint32_t dataOffset);
  // One row of a type 10 image into out, out + step, ...: ReadRleRow and
  // the keyed BlitRow in one, packets carried across rows in packet.
  void ReadRleRowKeyed(TgaFile& file, int bpp, uint32_t* out, int step, int width, RlePacket& packet);
  // count raw pixels from the read block, keyed, as TakeByte would take
  // their bytes; past the end of the data they are black.
  void TakeKeyed(TgaFile& file, int bpp, uint32_t* out, int step, int count);
  // Takes count bytes of the data unused.
  void SkipBytes(TgaFile& file, int count);

  // Reads source row y of a type 2 image into rawRow; false, after one
  // beep, when it is short.
  bool ReadRow(TgaFile& file, uint32_t dataOffset, int y, uint8_t* rawRow, long rowBytes);
  uint8_t TakeByte(TgaFile& file);
  void FillReadBuffer(TgaFile& file);
  // The run-length data has ended: the last block was short and is used up.
  bool DataEnded() const { return readEnd_ < kReadBlockSize && readPos_ >= readEnd_; }

  TgaPlatform& platform_;
  uint64_t imageByteLimit_ = std::numeric_limits<uint64_t>::max();
  int readPos_ = 0;
  int readEnd_ = kReadBlockSize;  // bytes of the block that came from the file
  Buffer readBuffer_;
};
