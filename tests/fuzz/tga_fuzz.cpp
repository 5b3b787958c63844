// libFuzzer target: the TGA reader over an in-memory file. Every input is
// loaded as the module loads it, then decoded once more through the parts
// the module does not use (scaling, 16-bit destinations, masks), driven by
// header fields the reader ignores: xOrigin and yOrigin give the
// destination size (below 512), bits 0-3 of colorMapFirst pick 16 bits,
// a mask, opaqueBlack and alphaKey.
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "tga_memory.h"
#include "tga_reader.h"

namespace {

// At most 256 K pixels per load (still room for rows wider than 32,767), so
// the fuzzer spends its time on many inputs rather than on big zero images.
constexpr uint64_t kImageLimit = 1u << 20;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void LoadLikeTheModule(MemoryTgaPlatform& platform) {
  MemoryImageHolder holder;
  TgaImageReader reader(platform);
  reader.SetImageByteLimit(kImageLimit);
  int result = 0;
  try {
    result = reader.LoadTgaFile("f.tga", holder);
  } catch (const std::bad_alloc&) {
    return;
  }
  Check(result == 1 || result == 255);
  int w = 0, h = 0;
  if (result != 1 || !holder.GetSize(w, h)) return;
  Check(holder.pixels().size() == size_t(w) * size_t(h));
  for (uint32_t p : holder.pixels()) Check(p == 0 || (p & 0x00FFFFFF) != 0);  // black is keyed to 0
}

void DecodeScaled(MemoryTgaPlatform& platform) {
  std::unique_ptr<TgaFile> file = platform.Open("f.tga");
  TgaHeader header = TgaImageReader::ReadHeader(*file, "f.tga");
  if (uint64_t(header.width) * header.height * 4 > kImageLimit) return;
  const int destWidth = header.xOrigin % 512;
  const int destHeight = header.yOrigin % 512;
  const int flags = header.colorMapFirst;
  const int destBits = (flags & 1) ? 16 : 32;
  const int rowPitch = destWidth + 3;
  std::vector<uint8_t> dest(size_t(rowPitch) * destHeight * destBits / 8 + 1, 0x5A);
  std::vector<uint8_t> mask(size_t(header.width + 7) / 8 * header.height + 1, 0xA5);
  TgaImageReader reader(platform);
  reader.DecodeImage(*file, header, (flags & 2) ? mask.data() : nullptr, dest.data(), destWidth, destHeight, rowPitch,
                     (flags >> 2) & 1, TgaImageReader::DataOffset(header), (flags & 2) ? 0 : 1, destBits,
                     (flags >> 3) & 1);
  Check(dest.back() == 0x5A);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryTgaPlatform platform;
  platform.AddFile("f.tga", std::vector<uint8_t>(data, data + size));
  LoadLikeTheModule(platform);
  DecodeScaled(platform);
  Check(platform.stats().openFiles == 0);
  return 0;
}
