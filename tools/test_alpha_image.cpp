#include "test_alpha_image.h"

namespace {

constexpr int kOutline = 4;
constexpr uint32_t kStripes[8] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// Pixels repeat from here (at least twice); 0 when pixel i starts no run.
int RunLength(const uint32_t* row, int i, int width) {
  int n = 1;
  while (i + n < width && n < 128 && row[i + n] == row[i]) ++n;
  return n >= 2 ? n : 0;
}

}  // namespace

uint32_t TestAlphaPixel(int x, int y) {
  const int W = kTestAlphaWidth;
  const int H = kTestAlphaHeight;
  if (x < kOutline || y < kOutline || x >= W - kOutline || y >= H - kOutline) return 0xFFFFFFFF;
  const int inner = W - 2 * kOutline;
  const int stripe = (x - kOutline) * 8 / inner;
  const int rows = H - 2 * kOutline;
  const uint32_t alpha = 255 - uint32_t(y - kOutline) * 255 / uint32_t(rows - 1);
  return alpha << 24 | kStripes[stripe];
}

std::vector<uint8_t> EncodeRleTga32(const uint32_t* pixels, int width, int height) {
  std::vector<uint8_t> out;
  Put(out, 0, 1);   // no identification field
  Put(out, 0, 1);   // no colour map
  Put(out, 10, 1);  // run-length encoded true-colour
  Put(out, 0, 2);   // colour map: first entry,
  Put(out, 0, 2);   // length,
  Put(out, 0, 1);   // entry size
  Put(out, 0, 2);   // x origin
  Put(out, 0, 2);   // y origin
  Put(out, uint32_t(width), 2);
  Put(out, uint32_t(height), 2);
  Put(out, 32, 1);    // bits per pixel
  Put(out, 0x08, 1);  // 8 bits of alpha, rows bottom to top, left to right
  for (int y = height - 1; y >= 0; --y) {
    const uint32_t* row = pixels + size_t(y) * size_t(width);
    int i = 0;
    while (i < width) {
      if (int run = RunLength(row, i, width)) {
        Put(out, 0x80 | uint32_t(run - 1), 1);
        Put(out, row[i], 4);
        i += run;
        continue;
      }
      // Raw pixels up to the next run, at most 128 of them.
      int n = 1;
      while (i + n < width && n < 128 && !RunLength(row, i + n, width)) ++n;
      Put(out, uint32_t(n - 1), 1);
      for (int k = 0; k < n; ++k) Put(out, row[i + k], 4);
      i += n;
    }
  }
  return out;
}

std::vector<uint8_t> MakeTestAlphaTga() {
  std::vector<uint32_t> pixels(size_t(kTestAlphaWidth) * kTestAlphaHeight);
  for (int y = 0; y < kTestAlphaHeight; ++y)
    for (int x = 0; x < kTestAlphaWidth; ++x) pixels[size_t(y) * kTestAlphaWidth + x] = TestAlphaPixel(x, y);
  return EncodeRleTga32(pixels.data(), kTestAlphaWidth, kTestAlphaHeight);
}
