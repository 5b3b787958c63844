// Writes the fuzzer's seed files into a directory: small TGA files of both
// types, every depth the reader knows and a few it does not, both row and
// column orders, identification fields and colour maps, run-length packets
// across rows, short files, and settings for the scaled decode.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tga_builder.h"

namespace {

std::string dir;
int count = 0;

void Write(const Bytes& b) {
  std::string path = dir + "/seed" + std::to_string(count++) + ".tga";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(b.data(), 1, b.size(), f) != b.size()) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::fclose(f);
}

// w x h pixels of a simple pattern at the given depth, some black.
Bytes Pattern(int w, int h, int depth) {
  Bytes b;
  for (int i = 0; i < w * h; ++i) {
    uint32_t p = i % 5 == 0 ? 0x80000000u : 0x40000000u | uint32_t(i * 0x010305);
    Bytes one = Pixels(depth, {p});
    b.insert(b.end(), one.begin(), one.end());
  }
  return b;
}

// The same as run-length packets: a run, then raw packets of up to 5.
Bytes RlePattern(int w, int h, int depth) {
  const int bpp = depth / 8;
  Bytes raw = Pattern(w, h, depth), b;
  int n = w * h, i = 0;
  if (n > 3) {
    b = RunPacket(3, Bytes(raw.begin(), raw.begin() + bpp));
    i = 3;
  }
  while (i < n) {
    int c = std::min(5, n - i);
    Bytes packet = RawPacket(c, Bytes(raw.begin() + i * bpp, raw.begin() + (i + c) * bpp));
    b.insert(b.end(), packet.begin(), packet.end());
    i += c;
  }
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  dir = argv[1];
  for (int depth : {16, 24, 32}) {
    for (int descriptor : {0x00, 0x20, 0x30}) {
      Write(TgaBytes(TgaHead(2, 7, 5, depth, descriptor), {Pattern(7, 5, depth)}));
      Write(TgaBytes(TgaHead(10, 7, 5, depth, descriptor), {RlePattern(7, 5, depth)}));
    }
  }
  // Identification field and colour map before the pixels.
  TgaHeader h = TgaHead(10, 4, 3, 24, 0x20);
  h.idLength = 3;
  h.colorMapType = 1;
  h.colorMapLength = 2;
  h.colorMapEntrySize = 15;
  Write(TgaBytes(h, {{1, 2, 3, 4, 5, 6, 7}, RlePattern(4, 3, 24)}));
  // One run over several narrow rows; a row wider than 256.
  Write(
      TgaBytes(TgaHead(10, 10, 13, 32), {RunPacket(128, Pixels(32, {0x11223344})), RawPacket(2, Pixels(32, {1, 2}))}));
  Write(TgaBytes(TgaHead(10, 300, 2, 24), {RlePattern(300, 2, 24)}));
  // Depths the reader does not convert, and wide pixels.
  Write(TgaBytes(TgaHead(10, 5, 2, 48), {RunPacket(10, Bytes(6, 7))}));
  Write(TgaBytes(TgaHead(2, 5, 2, 8), {Bytes(10, 9)}));
  // Short files.
  Write(TgaBytes(TgaHead(2, 6, 6, 32), {Pattern(6, 2, 32)}));
  Bytes cut = TgaBytes(TgaHead(10, 6, 6, 32));
  cut.resize(8);  // within the header
  Write(cut);
  // Scaled decodes: xOrigin, yOrigin and colorMapFirst drive them.
  for (int flags : {0, 1, 2, 3, 5, 12, 15}) {
    TgaHeader s = TgaHead(flags & 1 ? 10 : 2, 6, 4, flags & 4 ? 16 : 24, flags & 2 ? 0x30 : 0);
    s.xOrigin = uint16_t(3 + 4 * flags);
    s.yOrigin = uint16_t(9 - flags / 2);
    s.colorMapFirst = uint16_t(flags);
    Write(TgaBytes(s, {flags & 1 ? RlePattern(6, 4, s.pixelDepth) : Pattern(6, 4, s.pixelDepth)}));
  }
  std::printf("%d seeds in %s\n", count, dir.c_str());
  return 0;
}
