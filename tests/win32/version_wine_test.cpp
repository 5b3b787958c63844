// The version resources of the shipped binaries, read back as a host or the
// file's properties page reads them. Runs under a Chinese (PRC) system
// language, so the byte-string functions give the Chinese block in GBK.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host_path.h"
#include "wine_testing.h"

namespace {

class VersionResource : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string dll = AnsiText(ProgramFolder()) + "korvcfg.dll";
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

// korvctl, the demo host and the simulated korvio.dll carry the same
// resource, with their own names and the build's version.
TEST(VersionResources, EveryShippedBinaryNamesItselfAndTheBuildsVersion) {
  struct Case {
    const wchar_t* file;
    DWORD type;
    const wchar_t* internal;
    const wchar_t* english;
    const wchar_t* chinese;
  };
  const Case cases[] = {
      {L"korvctl.exe", VFT_APP, L"korvctl", L"Korvex board settings from the command line", L"Korvex板卡命令行设置工具"},
      {L"korvhost.exe", VFT_APP, L"korvhost", L"Korvex demo host with a board monitor", L"Korvex演示主程序与板卡监视器"},
      {L"korvio.dll", VFT_DLL, L"korvio", L"Korvex simulated boards (not a driver)", L"Korvex模拟板卡（不是驱动程序）"},
  };
  const std::wstring version(KORV_VERSION, KORV_VERSION + std::strlen(KORV_VERSION));
  for (const Case& c : cases) {
    const std::wstring path = ProgramFolder() + c.file;
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    DWORD handle = 0;
    std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), &handle));
    ASSERT_FALSE(data.empty()) << "no version resource";
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileType, c.type);
    auto value = [&](const wchar_t* block, const wchar_t* name) -> std::wstring {
      const std::wstring key = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
      void* text = nullptr;
      UINT chars = 0;
      if (!VerQueryValueW(data.data(), key.c_str(), &text, &chars) || !text) return L"(none)";
      return static_cast<const wchar_t*>(text);
    };
    for (const wchar_t* block : {L"040904B0", L"080404B0"}) {
      EXPECT_EQ(value(block, L"FileVersion"), version);
      EXPECT_EQ(value(block, L"OriginalFilename"), c.file);
      EXPECT_EQ(value(block, L"InternalName"), c.internal);
    }
    EXPECT_EQ(value(L"040904B0", L"FileDescription"), c.english);
    EXPECT_EQ(value(L"080404B0", L"FileDescription"), c.chinese);
  }
}

}  // namespace
