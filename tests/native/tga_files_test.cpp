// The reader on real files: TGA images written by ImageMagick decode to the
// same pixels as ImageMagick's own (upright) decode, after the black rule.
// The files are made by tests/tga/make-real-files.sh before this runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tga_reader.h"
#include "tga_stdio.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> ListedFiles() {
  std::ifstream in(std::string(TGA_FILES_DIR) + "/files.txt");
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);) names.push_back(line);
  return names;
}

// ImageMagick's RGBA bytes as 0xAARRGGBB, black (any alpha) as 0.
std::vector<uint32_t> Reference(const std::vector<uint8_t>& rgba) {
  std::vector<uint32_t> words;
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    uint32_t rgb = uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 | rgba[i + 2];
    words.push_back(rgb ? uint32_t(rgba[i + 3]) << 24 | rgb : 0);
  }
  return words;
}

TEST(TgaRealFiles, DecodeLikeImageMagick) {
  const std::vector<std::string> names = ListedFiles();
  ASSERT_EQ(17u, names.size()) << "the file maker did not make every file";
  StdioTgaPlatform platform;
  int blackSeen = 0, clearSeen = 0;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string base = std::string(TGA_FILES_DIR) + "/" + name;
    int w = 0, h = 0, depth = 0;
    char compress[8] = {}, orient[4] = {};
    ASSERT_EQ(5, std::sscanf(name.c_str(), "%dx%d-%7[a-z]-%d-%3s", &w, &h, compress, &depth, orient));

    // The file is what its name says, so every variant is really covered.
    const std::vector<uint8_t> file = ReadAll(base + ".tga");
    ASSERT_GE(file.size(), 18u);
    EXPECT_EQ(std::string(compress) == "rle" ? 10 : 2, file[2]);
    EXPECT_EQ(w, file[12] | file[13] << 8);
    EXPECT_EQ(h, file[14] | file[15] << 8);
    EXPECT_EQ(depth, file[16]);
    EXPECT_EQ(std::string(orient) == "bl" ? 0x00 : std::string(orient) == "tl" ? 0x20 : 0x30, file[17] & 0x30);

    MemoryImageHolder holder;
    TgaImageReader reader(platform);
    ASSERT_EQ(TgaLoadResult::Loaded, reader.LoadTgaFile(base + ".tga", holder));
    int gw = 0, gh = 0;
    ASSERT_TRUE(holder.GetSize(gw, gh));
    EXPECT_EQ(w, gw);
    EXPECT_EQ(h, gh);
    const std::vector<uint32_t> want = Reference(ReadAll(base + ".rgba"));
    ASSERT_EQ(size_t(w) * h, want.size());
    ASSERT_EQ(want.size(), holder.pixels().size());
    auto diff = std::mismatch(want.begin(), want.end(), holder.data());
    if (diff.first != want.end()) {
      size_t i = size_t(diff.first - want.begin());
      ADD_FAILURE() << "first difference at column " << i % w << ", row " << i / w << ": want " << std::hex
                    << *diff.first << ", got " << *diff.second;
    }
    for (uint32_t p : want) {
      blackSeen += p == 0;
      clearSeen += p != 0 && p < 0x01000000;
    }
  }
  EXPECT_EQ(0, platform.beeps());
  // The pictures hold black pixels and non-black ones with alpha 0.
  EXPECT_GT(blackSeen, 0);
  EXPECT_GT(clearSeen, 0);
}

TEST(TgaRealFiles, StdioPlatform) {
  StdioTgaPlatform platform;
  MemoryImageHolder holder;
  TgaImageReader reader(platform);
  EXPECT_EQ(TgaLoadResult::CannotOpen, reader.LoadTgaFile(std::string(TGA_FILES_DIR) + "/missing.tga", holder));
  // The picture source is a PNG, not a TGA of type 2 or 10 (its third byte
  // is 'N'): refused.
  EXPECT_EQ(TgaLoadResult::NotTrueColour, reader.LoadTgaFile(std::string(TGA_FILES_DIR) + "/src-67x45.png", holder));
  // A folder, or a FIFO with no writer, is no file: refused unopened, at
  // once.
  EXPECT_EQ(TgaLoadResult::CannotOpen, reader.LoadTgaFile(TGA_FILES_DIR, holder));
  EXPECT_TRUE(holder.empty());
}

}  // namespace
