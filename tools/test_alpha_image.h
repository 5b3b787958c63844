// The alpha test picture that ships beside korvcfg.dll as TestAlpha.tga: 640
// x 480 pixels of 32 bits, smaller than a frame so that the centring shows.
// A white outline marks the picture's edge; inside it stand eight stripes
// (white, yellow, cyan, green, magenta, red, blue, black) whose alpha falls
// evenly from 0xFF in the top row to 0x00 in the bottom one. The black
// stripe is keyed out by the reader, like the frame around the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kTestAlphaWidth = 640;
constexpr int kTestAlphaHeight = 480;

// The pixel at column x, row y (row 0 at the top) as drawn, 0xAARRGGBB.
uint32_t TestAlphaPixel(int x, int y);

// A TGA file of image type 10 (run-length encoded true-colour), 32 bits per
// pixel with 8 bits of alpha, rows stored bottom to top, packets ending at
// row ends. pixels: width x height words 0xAARRGGBB, top row first.
std::vector<uint8_t> EncodeRleTga32(const uint32_t* pixels, int width, int height);

// The bytes of TestAlpha.tga.
std::vector<uint8_t> MakeTestAlphaTga();
