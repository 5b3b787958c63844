// Writes a board picture (0xAARRGGBB pixels, rows top to bottom) as a PNG a
// person can look at: each pixel is blended by its alpha over a grey
// checkerboard, so transparent parts show as the checkerboard.
#pragma once

bool WritePicturePng(const char* path, const unsigned* pixels, int width, int height);
