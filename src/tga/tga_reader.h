// Reads Truevision TGA files of image types 2 (uncompressed true-colour) and
// 10 (run-length encoded true-colour), 16, 24 or 32 bits per pixel, into an
// upright 32-bit image with black keyed to 0x00000000.
#pragma once

#include <string>

#include "tga_platform.h"

class TgaImageReader {
 public:
  explicit TgaImageReader(TgaPlatform& platform);

  // 1: the image was decoded into the holder (its previous image is
  // dropped; the holder stays empty if the platform could not make the new
  // one). 255: the file is not of type 2 or 10; the holder is untouched.
  // 0: the file cannot be opened.
  int LoadTgaFile(std::string path, ImageHolder& holder);

 private:
  TgaPlatform& platform_;
};
