// The version resource of korvcfg.dll, read back as a host or the file's
// properties page reads it. Runs under a Chinese (PRC) system language, so
// the byte-string functions give the Chinese block in GBK.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "wine_testing.h"

namespace {

class VersionResource : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string dll = ProgramFolderA() + "korvcfg.dll";
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &handle);
    ASSERT_GT(size, 0u) << "no version resource in " << dll;
    data.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, data.data()));
  }
  // A string value of one language block; "(none)" when it is missing.
  std::string Value(const char* block, const char* name) {
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%s\\%s", block, name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), path, &value, &length) || !value) return "(none)";
    return static_cast<const char*>(value);
  }
  std::vector<char> data;
};

TEST_F(VersionResource, FixedPartHoldsTheBuildsVersionForADll) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  char text[64];
  std::snprintf(text, sizeof text, "%lu.%lu.%lu", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
                fixed->dwFileVersionLS >> 16);
  EXPECT_EQ(text, std::string(KORV_VERSION));
  EXPECT_EQ(fixed->dwFileVersionLS & 0xFFFF, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST_F(VersionResource, TranslationTableListsEnglishAndChineseInUnicode) {
  WORD* pairs = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pairs), &length));
  ASSERT_EQ(length, 8u);
  EXPECT_EQ(std::vector<WORD>(pairs, pairs + 4), (std::vector<WORD>{0x0409, 1200, 0x0804, 1200}));
}

TEST_F(VersionResource, BothBlocksNameTheFileItsVersionAndWhatItIs) {
  struct Case {
    const char* block;
    const char* description;
    const char* product;
  };
  // The Chinese texts in GBK: "Korvex板卡设置模块", "Korvex板卡设置".
  const Case cases[] = {
      {"040904B0", "Korvex board configuration module", "Korvex Board Setup"},
      {"080404B0", "Korvex\xB0\xE5\xBF\xA8\xC9\xE8\xD6\xC3\xC4\xA3\xBF\xE9", "Korvex\xB0\xE5\xBF\xA8\xC9\xE8\xD6\xC3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.block);
    EXPECT_EQ(Value(c.block, "CompanyName"), "Korvex");
    EXPECT_EQ(Value(c.block, "FileDescription"), c.description);
    EXPECT_EQ(Value(c.block, "ProductName"), c.product);
    EXPECT_EQ(Value(c.block, "FileVersion"), KORV_VERSION);
    EXPECT_EQ(Value(c.block, "ProductVersion"), KORV_VERSION);
    EXPECT_EQ(Value(c.block, "OriginalFilename"), "korvcfg.dll");
    EXPECT_EQ(Value(c.block, "InternalName"), "korvcfg");
  }
}

}  // namespace
