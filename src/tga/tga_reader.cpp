#include "tga_reader.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

TgaImageReader::TgaImageReader(TgaPlatform& platform) : platform_(platform) {}

void TgaImageReader::BufferFree::operator()(uint8_t* p) const { std::free(p); }

TgaImageReader::Buffer TgaImageReader::AllocBuffer(uint64_t size, bool zeroFill) {
  if (size > SIZE_MAX) throw std::bad_alloc();
  // calloc or malloc, not new: a failure comes back as null (also under
  // AddressSanitizer) for us to report.
  const size_t n = std::max<size_t>(size_t(size), 1);
  void* p = zeroFill ? std::calloc(n, 1) : std::malloc(n);
  if (!p) throw std::bad_alloc();
  return Buffer(static_cast<uint8_t*>(p));
}

namespace {

// Reads the header's fields one by one. A field counts only when all its
// bytes arrive; at the end of the file every further read delivers nothing,
// so the rest stays zero.
uint16_t ReadField(TgaFile& file, long size, const std::filesystem::path& path, bool& complete) {
  uint8_t bytes[2] = {0, 0};
  long got = file.Read(bytes, size);
  if (got < 0) throw TgaReadError(path);
  if (got < size) {
    complete = false;
    return 0;
  }
  return uint16_t(bytes[0] | bytes[1] << 8);
}

void ConvertRow(int srcBits, int destBits, const uint8_t* src, uint8_t* dest, int count) {
  if (srcBits == 16 && destBits == 32)
    Convert16To32(src, dest, count);
  else if (srcBits == 32 && destBits == 16)
    Convert32To16(src, dest, count);
  else if (srcBits == 24 && destBits == 32)
    Convert24To32(src, dest, count);
  else if (srcBits == 24 && destBits == 16)
    Convert24To16(src, dest, count);
}

// One source pixel of 2, 3 or 4 bytes as the module keeps it: converted to
// 32 bits by the rules of tga_pixels (16 to 32, 24 to 32, 32 as it is), and black
// (no colour bits) made 0x00000000 whatever its alpha.
template <int Bytes>
inline uint32_t Keyed(const uint8_t* p) {
  if (Bytes == 4) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return (v & 0x00FFFFFFu) ? v : 0;
  }
  if (Bytes == 3) {
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return v ? v | 0xFF000000u : 0;
  }
  const uint32_t q = uint32_t(p[0]) | uint32_t(p[1]) << 8;
  if ((q & 0x7FFF) == 0) return 0;
  return ((q >> 10) & 0x1F) << 19 | ((q >> 5) & 0x1F) << 11 | (q & 0x1F) << 3 | ((q & 0x8000) ? 0xFF000000u : 0);
}

// 3-byte pixels but the last are read as a 32-bit word whose top byte
// (the next pixel's first) is masked off: one load instead of three.
inline uint32_t Keyed24Word(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  v &= 0x00FFFFFFu;
  return v ? v | 0xFF000000u : 0;
}

template <int Bytes>
void KeyPixels(const uint8_t* src, uint32_t* out, int count, int step) {
  if (Bytes == 3 && count > 1) {
    for (int i = 0; i < count - 1; ++i) out[i * step] = Keyed24Word(src + 3 * i);
    out[(count - 1) * step] = Keyed<3>(src + 3 * (count - 1));
    return;
  }
  if (step > 0) {
    for (int i = 0; i < count; ++i) out[i] = Keyed<Bytes>(src + Bytes * i);
  } else {
    for (int i = 0; i < count; ++i) out[-i] = Keyed<Bytes>(src + Bytes * i);
  }
}

// count pixels of bpp (2, 3 or 4) bytes into out, out + step, ...
void KeyPixels(int bpp, const uint8_t* src, uint32_t* out, int count, int step) {
  if (bpp == 4)
    KeyPixels<4>(src, out, count, step);
  else if (bpp == 3)
    KeyPixels<3>(src, out, count, step);
  else
    KeyPixels<2>(src, out, count, step);
}

void FillPixels(uint32_t value, uint32_t* out, int count, int step) {
  if (step > 0) {
    std::fill_n(out, count, value);
  } else {
    for (int i = 0; i < count; ++i) out[-i] = value;
  }
}

}  // namespace

TgaHeader TgaImageReader::ReadHeader(TgaFile& file, const std::filesystem::path& path, bool* complete) {
  bool whole = true;
  auto field = [&](long size) { return ReadField(file, size, path, whole); };
  TgaHeader h;
  h.idLength = uint8_t(field(1));
  h.colorMapType = uint8_t(field(1));
  h.imageType = uint8_t(field(1));
  h.colorMapFirst = field(2);
  h.colorMapLength = field(2);
  h.colorMapEntrySize = uint8_t(field(1));
  h.xOrigin = field(2);
  h.yOrigin = field(2);
  h.width = field(2);
  h.height = field(2);
  h.pixelDepth = uint8_t(field(1));
  h.descriptor = uint8_t(field(1));
  if (complete) *complete = whole;
  return h;
}

uint32_t TgaImageReader::DataOffset(const TgaHeader& header) {
  uint32_t offset = 18u + header.idLength;
  if (header.colorMapType == 1) offset += uint32_t(header.colorMapLength) * ((header.colorMapEntrySize + 7u) / 8u);
  return offset;
}

TgaLoadResult TgaImageReader::LoadTgaFile(const std::filesystem::path& path, ImageHolder& holder) {
  std::unique_ptr<TgaFile> file = platform_.Open(path);
  if (!file) return TgaLoadResult::CannotOpen;
  // A file too short to hold a whole header is no image of ours.
  bool complete = false;
  TgaHeader header = ReadHeader(*file, path, &complete);
  if (!complete || (header.imageType != 2 && header.imageType != 10)) return TgaLoadResult::NotTrueColour;

  uint64_t imageBytes = uint64_t(header.width) * header.height * 4;
  if (imageBytes > imageByteLimit_) throw TgaImageTooLarge();
  Buffer image;
  if (header.pixelDepth == 16 || header.pixelDepth == 24 || header.pixelDepth == 32) {
    // The keyed decoder writes every pixel, so the image needs no zero fill.
    image = AllocBuffer(imageBytes, false);
    DecodeKeyed(*file, header, reinterpret_cast<uint32_t*>(image.get()), DataOffset(header));
  } else {
    image = AllocBuffer(imageBytes);
    DecodeImage(*file, header, nullptr, image.get(), header.width, header.height, header.width, DataOffset(header),
                DecodeOptions());
  }

  holder.Clear();
  if (header.width > 0 && header.height > 0)
    holder.Adopt(header.width, header.height, PixelBuffer(reinterpret_cast<uint32_t*>(image.release())));
  return TgaLoadResult::Loaded;
}

void TgaImageReader::DecodeKeyed(TgaFile& file, const TgaHeader& header, uint32_t* dest, uint32_t dataOffset) {
  const int width = header.width;
  const int height = header.height;
  const int bpp = header.pixelDepth / 8;
  const long rowBytes = long(width) * bpp;
  const bool topDown = (header.descriptor & 0x20) != 0;
  const int step = (header.descriptor & 0x10) ? -1 : 1;
  Buffer rawRow = header.imageType == 2 ? AllocBuffer(uint64_t(rowBytes)) : Buffer();

  file.Seek(long(dataOffset));
  readBuffer_ = AllocBuffer(kReadBlockSize);
  readPos_ = -1;
  readEnd_ = kReadBlockSize;
  if (header.imageType == 10 && height > 0) FillReadBuffer(file);
  RlePacket packet;
  bool ended = false;

  for (int y = 0; y < height; ++y) {
    uint32_t* row = dest + size_t(topDown ? y : height - 1 - y) * size_t(width);
    uint32_t* first = step > 0 ? row : row + width - 1;
    if (header.imageType == 2) {
      // After the end of the file rawRow keeps the last bytes that came.
      if (!ended) ended = !ReadRow(file, dataOffset, y, rawRow.get(), rowBytes);
      KeyPixels(bpp, rawRow.get(), first, width, step);
    } else {
      ReadRleRowKeyed(file, bpp, first, step, width, packet);
    }
  }
  // A raw packet that runs past the last row is still taken from the data.
  if (!packet.run) SkipBytes(file, packet.left * bpp);

  readBuffer_.reset();
  readPos_ = -1;
  readEnd_ = kReadBlockSize;
}

void TgaImageReader::ReadRleRowKeyed(TgaFile& file, int bpp, uint32_t* out, int step, int width, RlePacket& packet) {
  int column = 0;
  while (column < width) {
    if (packet.left == 0) {
      if (DataEnded()) {
        FillPixels(0, out + column * step, width - column, step);
        return;
      }
      const uint8_t h = TakeByte(file);
      packet.left = (h & 0x7F) + 1;
      packet.run = (h & 0x80) != 0;
      if (packet.run) {
        uint8_t pixel[4];
        for (int b = 0; b < bpp; ++b) pixel[b] = TakeByte(file);
        KeyPixels(bpp, pixel, &packet.value, 1, 1);
      }
    }
    const int n = std::min(packet.left, width - column);
    if (packet.run)
      FillPixels(packet.value, out + column * step, n, step);
    else
      TakeKeyed(file, bpp, out + column * step, step, n);
    column += n;
    packet.left -= n;
  }
}

void TgaImageReader::TakeKeyed(TgaFile& file, int bpp, uint32_t* out, int step, int count) {
  while (count > 0) {
    if (readPos_ >= readEnd_) {  // the data has ended: zero bytes, black
      FillPixels(0, out, count, step);
      return;
    }
    const int whole = std::min(count, (readEnd_ - readPos_) / bpp);
    if (whole == 0) {  // a pixel split between two blocks
      uint8_t pixel[4];
      for (int b = 0; b < bpp; ++b) pixel[b] = TakeByte(file);
      KeyPixels(bpp, pixel, out, 1, 1);
      out += step;
      --count;
      continue;
    }
    KeyPixels(bpp, readBuffer_.get() + readPos_, out, whole, step);
    out += whole * step;
    count -= whole;
    readPos_ += whole * bpp;
    if (readPos_ >= kReadBlockSize) FillReadBuffer(file);
  }
}

void TgaImageReader::SkipBytes(TgaFile& file, int count) {
  while (count > 0 && readPos_ < readEnd_) {
    const int n = std::min(count, readEnd_ - readPos_);
    readPos_ += n;
    count -= n;
    if (readPos_ >= kReadBlockSize) FillReadBuffer(file);
  }
}

void TgaImageReader::DecodeImage(TgaFile& file, const TgaHeader& header, const uint8_t* mask, void* dest, int destWidth,
                                 int destHeight, int rowPitch, uint32_t dataOffset, const DecodeOptions& options) {
  const int destBits = options.destBits;
  if (destBits != 16 && destBits != 32) return;
  const bool noMask = options.noMask || !mask;
  destWidth = std::max(destWidth, 0);
  destHeight = std::max(destHeight, 0);
  rowPitch = std::max(rowPitch, 0);
  const int width = header.width;
  const int height = header.height;
  const int srcBytes = header.pixelDepth / 8;
  const int destBytes = destBits / 8;
  const long rowBytes = long(width) * srcBytes;
  // Room for a run-length packet of up to 127 pixels past the row's end.
  const uint64_t rawPixels = width > 256 ? 2 * uint64_t(width) : 512;
  const uint64_t rawBytes = rawPixels * srcBytes;
  const uint64_t maskPitch = (uint64_t(width) + 7) / 8;

  Buffer convertedRow = AllocBuffer(uint64_t(width) * destBytes);
  Buffer rawRow = AllocBuffer(rawBytes);
  Buffer columnBuffer = AllocBuffer(uint64_t(destWidth) * sizeof(int32_t));
  Buffer rowBuffer = AllocBuffer(uint64_t(destHeight) * sizeof(int32_t));
  int32_t* columnTable = reinterpret_cast<int32_t*>(columnBuffer.get());
  int32_t* rowTable = reinterpret_cast<int32_t*>(rowBuffer.get());
  BuildScaleTables(width, height, destWidth, destHeight, columnTable, rowTable);

  const bool topDown = (header.descriptor & 0x20) != 0;
  const int columnStep = (header.descriptor & 0x10) ? -1 : 1;
  const size_t destPitch = size_t(rowPitch) * size_t(destBytes);

  file.Seek(long(dataOffset));
  int lastSourceRow = -1;
  int rowsDecoded = 0;
  int rleCarry = 0;
  bool ended = false;
  readBuffer_ = AllocBuffer(kReadBlockSize);
  readPos_ = -1;
  readEnd_ = kReadBlockSize;

  for (int j = 0; j < destHeight; ++j) {
    const int y = rowTable[j];
    if (header.imageType == 2 && y != lastSourceRow) {
      if (!ended) ended = !ReadRow(file, dataOffset, y, rawRow.get(), rowBytes);
    } else if (header.imageType == 10 && y != lastSourceRow && rowsDecoded <= y) {
      for (; rowsDecoded <= y; ++rowsDecoded)
        ReadRleRow(file, rawRow.get(), size_t(rawBytes), width, header.pixelDepth, rleCarry);
    }

    const uint8_t* maskRow = nullptr;
    if (!noMask) {
      if (y < 0 || y >= height) continue;
      maskRow = mask + maskPitch * uint64_t(topDown ? y : height - 1 - y);
    }

    const uint8_t* source = rawRow.get();
    if (header.pixelDepth != destBits) {
      if (y != lastSourceRow) ConvertRow(header.pixelDepth, destBits, rawRow.get(), convertedRow.get(), width);
      source = convertedRow.get();
    }
    lastSourceRow = y;

    const int destRow = topDown ? j : destHeight - 1 - j;
    uint8_t* out = static_cast<uint8_t*>(dest) + size_t(destRow) * destPitch;
    BlitRow(header, source, out, maskRow, columnTable, destWidth, options.opaqueBlack, noMask, columnStep, destBits,
            options.alphaKey);
  }

  readBuffer_.reset();
  readPos_ = -1;
  readEnd_ = kReadBlockSize;
}

bool TgaImageReader::ReadRow(TgaFile& file, uint32_t dataOffset, int y, uint8_t* rawRow, long rowBytes) {
  // Rows come in file order, so once one is short the file has ended (or
  // fails) for every later row too: one beep, and the caller reads no more.
  const uint64_t offset = dataOffset + uint64_t(y) * uint64_t(rowBytes);
  const bool placed = offset <= uint64_t(LONG_MAX) && file.Seek(long(offset));
  if (placed && file.Read(rawRow, rowBytes) == rowBytes) return true;
  platform_.Beep();
  return false;
}

void TgaImageReader::FillReadBuffer(TgaFile& file) {
  // A short read (the end of the file, or an error) marks the end of the
  // data: nothing more is read, and the bytes past it read as zero.
  const long got = file.Read(readBuffer_.get(), kReadBlockSize);
  readEnd_ = got > 0 ? int(got) : 0;
  readPos_ = 0;
}

uint8_t TgaImageReader::TakeByte(TgaFile& file) {
  if (readPos_ >= readEnd_) return 0;
  uint8_t b = readBuffer_[readPos_];
  if (++readPos_ >= kReadBlockSize) FillReadBuffer(file);
  return b;
}

void TgaImageReader::ReadRleRow(TgaFile& file, uint8_t* rawRow, size_t rawRowBytes, int width, int pixelDepth,
                                int& rleCarry) {
  const size_t bpp = size_t(std::max(pixelDepth, 0) / 8);
  // Pixels that fit in rawRow; with 0-byte pixels nothing is ever stored.
  const uint64_t capacity = bpp ? rawRowBytes / bpp : UINT64_MAX;
  if (uint64_t(std::max(rleCarry, 0)) > capacity) rleCarry = int(capacity);

  int column = 0;
  if (rleCarry > width) {
    std::memmove(rawRow, rawRow + size_t(width) * bpp, size_t(rleCarry - width) * bpp);
    rleCarry -= width;
    if (rleCarry >= width) return;
    column = rleCarry;
  }

  if (!readBuffer_) {
    readBuffer_ = AllocBuffer(kReadBlockSize);
    readPos_ = -1;
    readEnd_ = kReadBlockSize;
  }
  if (readPos_ < 0) FillReadBuffer(file);

  // Up to 31 bytes per pixel (a depth of 255).
  uint8_t pixel[32];
  while (column < width) {
    if (DataEnded()) {
      // Only zero bytes are left: raw packets of one black pixel each, up
      // to the row's end, which need not be taken one by one.
      const uint64_t end = std::min<uint64_t>(uint64_t(width), capacity);
      if (uint64_t(column) < end) std::memset(rawRow + size_t(column) * bpp, 0, size_t(end - column) * bpp);
      column = width;
      break;
    }
    const uint8_t h = TakeByte(file);
    const int count = (h & 0x7F) + 1;
    const bool run = (h & 0x80) != 0;
    if (run)
      for (size_t b = 0; b < bpp; ++b) pixel[b] = TakeByte(file);
    for (int k = 0; k < count; ++k, ++column) {
      if (!run)
        for (size_t b = 0; b < bpp; ++b) pixel[b] = TakeByte(file);
      if (uint64_t(column) < capacity) std::memcpy(rawRow + size_t(column) * bpp, pixel, bpp);
    }
  }
  rleCarry = column;
}
