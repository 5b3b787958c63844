// Writes the alpha test picture, TestAlpha.tga, to the path given.
#include <cstdio>
#include <vector>

#include "test_alpha_image.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_alpha OUTPUT.tga\n");
    return 2;
  }
  const std::vector<uint8_t> bytes = MakeTestAlphaTga();
  std::FILE* f = std::fopen(argv[1], "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "make_test_alpha: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
