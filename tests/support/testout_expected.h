// What the test pictures must look like, written out independently of the
// code that makes them: the bar values of the three colour-bar patterns, and
// the shipped alpha test picture as it lands in a frame.
#pragma once

#include <cstdint>
#include <vector>

#include "test_alpha_image.h"
#include "test_pictures.h"

// Bars 0 to 7 (white, yellow, cyan, green, magenta, red, blue, black).
inline const uint32_t* ExpectedBars(ColorBarPattern pattern) {
  static const uint32_t k100_0_100_00[8] = {0xFFFFFFFF, 0xFFFFFF00, 0xFF00FFFF, 0xFF00FF00,
                                            0xFFFF00FF, 0xFFFF0000, 0xFF0000FF, 0xFF000000};
  static const uint32_t k100_0_100_25[8] = {0xFFFFFFFF, 0xFFFFFF40, 0xFF40FFFF, 0xFF40FF40,
                                            0xFFFF40FF, 0xFFFF4040, 0xFF4040FF, 0xFF000000};
  static const uint32_t k100_0_75_00[8] = {0xFFFFFFFF, 0xFFC0C000, 0xFF00C0C0, 0xFF00C000,
                                           0xFFC000C0, 0xFFC00000, 0xFF0000C0, 0xFF000000};
  switch (pattern) {
    case ColorBarPattern::Bars100_0_100_00: return k100_0_100_00;
    case ColorBarPattern::Bars100_0_100_25: return k100_0_100_25;
    case ColorBarPattern::Bars100_0_75_00: return k100_0_75_00;
  }
  return nullptr;
}

// One row of bars, 720 pixels: columns 90 b to 90 b + 89 hold bar b.
inline std::vector<uint32_t> ExpectedBarRow(ColorBarPattern pattern) {
  std::vector<uint32_t> row;
  for (int bar = 0; bar < 8; ++bar) row.insert(row.end(), 90, ExpectedBars(pattern)[bar]);
  return row;
}

// The shipped 640 x 480 picture in a 720 x 576 frame: at column 40, row 48,
// black keyed to 0x00000000, everything around it 0.
inline std::vector<uint32_t> ExpectedAlphaTestFrame() {
  std::vector<uint32_t> frame(720 * 576, 0);
  for (int y = 0; y < kTestAlphaHeight; ++y)
    for (int x = 0; x < kTestAlphaWidth; ++x) {
      uint32_t p = TestAlphaPixel(x, y);
      frame[(y + 48) * 720 + (x + 40)] = (p & 0xFFFFFF) ? p : 0;
    }
  return frame;
}
