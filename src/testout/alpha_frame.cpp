#include <climits>
#include <cstring>
#include <memory>

#include "korvio.h"
#include "pixel_memory.h"
#include "test_pictures.h"
#include "tga_reader.h"

void PlaceImageInFrame(const uint32_t* pixels, int width, int height, VideoFrame& frame) {
  const int W = VideoFrame::kWidth;
  const int H = VideoFrame::kHeight;
  if (!pixels || width <= 0 || height <= 0) width = height = 0;
  const int xoff = width < W ? (W - width) / 2 : 0;
  const int yoff = height < H ? (H - height) / 2 : 0;
  // The image's columns and rows that land in the frame.
  const int shownWidth = width < W ? width : W;
  const int shownHeight = height < H ? height : H;

  if (width == W) {
    // Rows as long as the frame's: the shown rows are one block in both.
    const size_t above = size_t(yoff) * W, shown = size_t(shownHeight) * W;
    std::memset(frame.pixels[0], 0, above * sizeof(uint32_t));
    std::memcpy(frame.pixels[0] + above, pixels, shown * sizeof(uint32_t));
    std::memset(frame.pixels[0] + above + shown, 0, (size_t(H) * W - above - shown) * sizeof(uint32_t));
    return;
  }
  // Each row: zeros left of the image, its pixels, zeros right of it.
  const size_t left = size_t(xoff), right = size_t(W - xoff - shownWidth);
  for (int y = 0; y < H; ++y) {
    uint32_t* row = frame.pixels[y];
    const int sy = y - yoff;
    if (sy < 0 || sy >= shownHeight) {
      std::memset(row, 0, sizeof frame.pixels[y]);
      continue;
    }
    std::memset(row, 0, left * sizeof *row);
    std::memcpy(row + left, pixels + size_t(sy) * size_t(width), size_t(shownWidth) * sizeof *row);
    std::memset(row + left + shownWidth, 0, right * sizeof *row);
  }
}

bool AnyFrameMemory(void*, size_t) { return true; }

AlphaTestResult RunAlphaTest(const std::filesystem::path& moduleDirectory, int board, TgaPlatform& platform,
                             FrameMemoryCheck usable) {
  return RunAlphaTestFile(moduleDirectory / "TestAlpha.tga", board, platform, usable);
}

AlphaTestResult RunAlphaTestFile(const std::filesystem::path& path, int board, TgaPlatform& platform,
                                 FrameMemoryCheck usable) {
  std::unique_ptr<ImageHolder> holder = platform.NewImageHolder();
  if (!holder) return AlphaTestResult::NoMemory;
  TgaImageReader reader(platform);
  reader.SetImageByteLimit(kAlphaTestImageLimit);
  const TgaLoadResult loaded = reader.LoadTgaFile(path, *holder);
  if (loaded == TgaLoadResult::CannotOpen) return AlphaTestResult::CannotOpen;
  if (loaded != TgaLoadResult::Loaded) return AlphaTestResult::Unsupported;

  PixelBlock<VideoFrame> frame = AllocatePixelBlock<VideoFrame>(sizeof(VideoFrame));
  if (!frame) return AlphaTestResult::NoMemory;

  int width = 0;
  int height = 0;
  if (!holder->GetSize(width, height) || width <= 0 || height <= 0) return AlphaTestResult::NoImage;

  // At most (2^31 - 1)^2 x 4 bytes, which 64 bits hold. A size that this
  // process cannot address, or that the holder cannot count, is memory we
  // cannot have.
  const uint64_t bytes = uint64_t(width) * uint64_t(height) * 4;
  if (bytes > SIZE_MAX || bytes > uint64_t(LONG_MAX)) return AlphaTestResult::NoMemory;
  PixelBlock<uint32_t> pixels = AllocatePixelBlock<uint32_t>(size_t(bytes));
  if (!pixels) return AlphaTestResult::NoMemory;
  // An image that cannot deliver the pixels its size promises is not used:
  // the frame would be placed from bytes that never arrived.
  if (holder->GetPixels(pixels.get(), long(bytes)) != long(bytes)) return AlphaTestResult::NoImage;

  PlaceImageInFrame(pixels.get(), width, height, *frame);

  // Written only where the device library says it has put an address, and
  // only when a whole frame there is memory we may write: a wrong address
  // must not bring the host down.
  void* address = nullptr;
  const int given = Orbel_GetMemAddress(&address, board);
  if (!given || !address || !usable(address, sizeof(VideoFrame))) return AlphaTestResult::NoFrameMemory;

  // The board's memory: every word written once, in ascending address order,
  // row 0 first, pixels as they are.
  // Eight words a turn (a row is 90 turns), each still its own store.
  volatile uint32_t* out = static_cast<volatile uint32_t*>(address);
  const uint32_t* in = frame->pixels[0];
  for (size_t i = 0; i < size_t(VideoFrame::kWidth) * VideoFrame::kHeight; i += 8) {
    out[i] = in[i];
    out[i + 1] = in[i + 1];
    out[i + 2] = in[i + 2];
    out[i + 3] = in[i + 3];
    out[i + 4] = in[i + 4];
    out[i + 5] = in[i + 5];
    out[i + 6] = in[i + 6];
    out[i + 7] = in[i + 7];
  }
  return AlphaTestResult::Written;
}
