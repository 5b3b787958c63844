#include <gtest/gtest.h>

#include "tga_builder.h"
#include "tga_memory.h"
#include "tga_reader.h"

namespace {

using Words = std::vector<uint32_t>;

class TgaLoad : public ::testing::Test {
 protected:
  int Load(const Bytes& file) {
    platform.AddFile("a.tga", file);
    TgaImageReader reader(platform);
    return reader.LoadTgaFile("a.tga", holder);
  }
  int Width() {
    int w = 0, h = 0;
    holder.GetSize(w, h);
    return w;
  }
  MemoryTgaPlatform platform;
  MemoryImageHolder holder;
};

TEST_F(TgaLoad, UncompressedBottomUp24) {
  Bytes file = TgaBytes(TgaHead(2, 2, 2, 24),
                        {Pixels(24, {0x010203, 0x000000, 0x0A0B0C, 0x0D0E0F})});
  ASSERT_EQ(1, Load(file));
  EXPECT_EQ((Words{0xFF0A0B0C, 0xFF0D0E0F, 0xFF010203, 0}), holder.pixels());
}

TEST_F(TgaLoad, RunLengthTopDown32) {
  Bytes file = TgaBytes(TgaHead(10, 3, 2, 32, 0x20),
                        {RunPacket(4, Pixels(32, {0x80112233})),
                         RawPacket(2, Pixels(32, {0x80000000, 0x01020304}))});
  ASSERT_EQ(1, Load(file));
  EXPECT_EQ((Words{0x80112233, 0x80112233, 0x80112233, 0x80112233, 0, 0x01020304}),
            holder.pixels());
}

}  // namespace
