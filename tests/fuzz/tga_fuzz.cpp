// libFuzzer target: the TGA reader over an in-memory file. Every input is
// loaded as the module loads it and compared with the general decoder (the
// same pixels, reads, seeks and beeps), then decoded once more through the parts
// the module does not use (scaling, 16-bit destinations, masks), driven by
// header fields the reader ignores: xOrigin and yOrigin give the
// destination size (below 512), bits 0-3 of colorMapFirst pick 16 bits,
// a mask, opaqueBlack and alphaKey.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "memory_tga_platform.h"
#include "tga_reader.h"

namespace {

// At most 256 K pixels per load (still room for rows wider than 32,767), so
// the fuzzer spends its time on many inputs rather than on big zero images.
constexpr uint64_t kImageLimit = 1u << 20;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// What remains of a log after its first n entries.
std::string DropEntries(std::string log, int n) {
  for (; n > 0 && !log.empty(); --n) log.erase(0, log.find(' ') + 1);
  return log;
}

// DecodeImage with LoadTgaFile's arguments into a zero-filled image: the
// general path, which the keyed decoder must match pixel for pixel, read
// for read, seek for seek and beep for beep.
void CheckAgainstGeneralPath(MemoryTgaPlatform& platform, const MemoryImageHolder& holder, const std::string& log) {
  std::unique_ptr<TgaFile> file = platform.Open("f.tga");
  const TgaHeader h = TgaImageReader::ReadHeader(*file, "f.tga");
  platform.stats().log.clear();
  platform.stats().keepLog = true;
  std::vector<uint32_t> image(size_t(h.width) * h.height, 0);
  TgaImageReader reader(platform);
  reader.DecodeImage(*file, h, nullptr, image.data(), h.width, h.height, h.width, TgaImageReader::DataOffset(h),
                     TgaImageReader::DecodeOptions());
  platform.stats().keepLog = false;
  Check(platform.stats().log == DropEntries(log, 12));
  Check(image.size() == holder.size() || (holder.empty() && (h.width == 0 || h.height == 0)));
  for (size_t i = 0; i < holder.size(); ++i) Check(image[i] == holder.data()[i]);
}

void LoadLikeTheModule(MemoryTgaPlatform& platform) {
  MemoryImageHolder holder;
  TgaImageReader reader(platform);
  reader.SetImageByteLimit(kImageLimit);
  platform.stats().keepLog = true;
  TgaLoadResult result = TgaLoadResult::CannotOpen;
  try {
    result = reader.LoadTgaFile("f.tga", holder);
  } catch (const std::bad_alloc&) {
    return;
  }
  const std::string log = platform.stats().log;
  platform.stats().keepLog = false;
  Check(result == TgaLoadResult::Loaded || result == TgaLoadResult::NotTrueColour);
  if (result != TgaLoadResult::Loaded) return;
  CheckAgainstGeneralPath(platform, holder, log);
  int w = 0, h = 0;
  if (!holder.GetSize(w, h)) return;
  Check(holder.size() == size_t(w) * size_t(h));
  for (size_t i = 0; i < holder.size(); ++i) Check(holder.data()[i] == 0 || (holder.data()[i] & 0x00FFFFFF) != 0);
}

void DecodeScaled(MemoryTgaPlatform& platform) {
  std::unique_ptr<TgaFile> file = platform.Open("f.tga");
  TgaHeader header = TgaImageReader::ReadHeader(*file, "f.tga");
  if (uint64_t(header.width) * header.height * 4 > kImageLimit) return;
  const int destWidth = header.xOrigin % 512;
  const int destHeight = header.yOrigin % 512;
  const int flags = header.colorMapFirst;
  TgaImageReader::DecodeOptions options;
  options.destBits = (flags & 1) ? 16 : 32;
  options.noMask = !(flags & 2);
  options.opaqueBlack = (flags >> 2) & 1;
  options.alphaKey = (flags >> 3) & 1;
  const int rowPitch = destWidth + 3;
  std::vector<uint8_t> dest(size_t(rowPitch) * destHeight * options.destBits / 8 + 1, 0x5A);
  std::vector<uint8_t> mask(size_t(header.width + 7) / 8 * header.height + 1, 0xA5);
  TgaImageReader reader(platform);
  reader.DecodeImage(*file, header, options.noMask ? nullptr : mask.data(), dest.data(), destWidth, destHeight,
                     rowPitch, TgaImageReader::DataOffset(header), options);
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
