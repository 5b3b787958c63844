#include <algorithm>
#include <cstring>

#include "korvio.h"
#include "pixel_memory.h"
#include "test_pictures.h"

namespace {

// Which of red, green and blue (bits 4, 2, 1) belong to each bar's colour.
constexpr int kBarComponents[8] = {7, 6, 3, 2, 5, 4, 1, 0};

}  // namespace

uint32_t ColorBarValue(ColorBarPattern pattern, int bar) {
  if (bar < 0 || bar > 7) return 0;
  const BarLevels& levels = kTestPictures[int(pattern)].levels;
  uint32_t r, g, b;
  if (bar == 0) {
    r = g = b = levels.white;
  } else if (bar == 7) {
    r = g = b = levels.black;
  } else {
    const int c = kBarComponents[bar];
    r = (c & 4) ? levels.high : levels.low;
    g = (c & 2) ? levels.high : levels.low;
    b = (c & 1) ? levels.high : levels.low;
  }
  return 0xFF000000u | r << 16 | g << 8 | b;
}

void FillColorBars(ColorBarPattern pattern, VideoFrame& frame) {
  // The first row bar by bar, then every other row as a copy of it.
  uint32_t* first = frame.pixels[0];
  for (int bar = 0; bar < 8; ++bar) std::fill_n(first + 90 * bar, 90, ColorBarValue(pattern, bar));
  for (int y = 1; y < VideoFrame::kHeight; ++y) std::memcpy(frame.pixels[y], first, sizeof frame.pixels[y]);
}

bool SendColorBars(ColorBarPattern pattern, int board) {
  PixelBlock<VideoFrame> frame = AllocatePixelBlock<VideoFrame>(sizeof(VideoFrame));
  if (!frame) return false;
  FillColorBars(pattern, *frame);
  // Row by row, top to bottom, each a rectangle one row high across the
  // whole width; a row the board refuses does not stop the rest.
  for (int y = 0; y < VideoFrame::kHeight; ++y)
    Orbel_SetRectangle(0, y, VideoFrame::kWidth, 1, frame->pixels[y], board);
  return true;
}

void ClearOutput(int board) { Orbel_ClearCurrentScreen(board); }
