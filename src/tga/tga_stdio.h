// The reader's platform over the C library's files, for native tools and
// tests: real files read in binary, a beep that is only counted, images in
// memory (MemoryImageHolder). The C library cannot refuse to share a file,
// so unlike the Win32 platform a file open elsewhere still opens.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "tga_memory.h"
#include "tga_platform.h"

class StdioTgaPlatform : public TgaPlatform {
 public:
  std::unique_ptr<TgaFile> Open(const std::filesystem::path& path) override;
  void Beep() override { ++beeps_; }
  std::unique_ptr<ImageHolder> NewImageHolder() override;

  int beeps() const { return beeps_; }

 private:
  int beeps_ = 0;
};
