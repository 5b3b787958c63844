// The settings file under Wine: the module's own loading and saving through
// the platform's profile functions, and our portable INI code held against
// those functions byte for byte.
#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../native/settings_testing.h"
#include "board_settings.h"
#include "file_store.h"
#include "host_path.h"
#include "profile_file.h"
#include "tga_win32.h"

namespace {

class WineSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir = std::string(temp) + "korv-settings-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(GetTickCount()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void Put(const std::string& name, const std::string& text) { std::ofstream(dir + name, std::ios::binary) << text; }
  std::string Get(const std::string& name) {
    std::ostringstream text;
    text << std::ifstream(dir + name, std::ios::binary).rdbuf();
    return text.str();
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
      names.push_back(entry.path().filename().string());
    return names;
  }
  std::string dir;
};

std::wstring Wide(const char* utf8) {
  wchar_t text[256];
  return std::wstring(text, MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, 256) - 1);
}

std::string ReadWide(const std::wstring& path) {
  std::string text;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "(missing)";
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  CloseHandle(h);
  return text;
}

TEST_F(WineSettingsFile, SavedBoardIniReadsBackThroughThePlatformAsTheSameValues) {
  const std::string path = dir + "Board.ini";
  SaveSettingsFile(path, FromFields(SomeValues()));
  BoardSettings read;
  ASSERT_TRUE(GetPrivateProfileStructA("BOARD", "Param", &read, 88, path.c_str()));
  EXPECT_EQ(Fields(read), SomeValues());
  LoadSettingsFile(path, read);
  EXPECT_EQ(Fields(read), SomeValues());
  EXPECT_EQ(Get("Board.ini"), "[BOARD]\r\nParam=" + EncodeProfileStruct(SomeValues().data(), 88) + "\r\n");
}

TEST_F(WineSettingsFile, OurWriterAndReaderAndThePlatformsReadEachOthersFiles) {
  unsigned char all[256], read[256];
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  ASSERT_TRUE(WriteProfileStruct(dir + "ours.ini", "BOARD", "Param", all, 256));
  ASSERT_TRUE(GetPrivateProfileStructA("BOARD", "Param", read, 256, (dir + "ours.ini").c_str()));
  EXPECT_EQ(std::memcmp(read, all, 256), 0);

  ASSERT_TRUE(WritePrivateProfileStructA("BOARD", "Param", all, 256, (dir + "platform.ini").c_str()));
  std::memset(read, 0, 256);
  ASSERT_TRUE(ReadProfileStruct(dir + "platform.ini", "BOARD", "Param", read, 256));
  EXPECT_EQ(std::memcmp(read, all, 256), 0);
}

// The same starting file, one copy written by the platform and one by us.
TEST_F(WineSettingsFile, OurWriterLaysOutTheFileAsThePlatformDoes) {
  const std::vector<int32_t> values = SomeValues();
  const std::string entry = EncodeProfileStruct(values.data(), 88);
  int n = 0;
  for (const std::string& text : std::vector<std::string>{
           "", "[Other]\r\na=1", "; mine\n\n[Other]\n  a  =  1  \nnoequal\n\n[board]\nX=1\nPARAM = 00\nY=2\n",
           "\xEF\xBB\xBF[Other]\r\na=1\r\n", "[BOARD]\r\nParam=1\r\n[BOARD]\r\nParam=2\r\n", "[ BOARD ] ; c\r\n",
           "[Other]\ra=1\r[BOARD]\rParam\rb=2\r", "x=1\r\n[]\r\n=5\r\n=6\r\ny\r\n=7\r\n[BOARD\r\n\t[[BOARD]]\x1A\r\n",
           "[BOARD]\r\n;Param=00\r\nPar am=00\r\n", "[Other]\r\na=1\0b\r\nc=\"  x  \"\r\n" + std::string(1, '\0'),
           "[Other]\r\n\r\n  a = 1\r\n[BOARD]\r\n  Param =  " + entry + "  \r\n"}) {
    const std::string platform = "platform" + std::to_string(n) + ".ini", ours = "ours" + std::to_string(n++) + ".ini";
    if (!text.empty()) Put(platform, text), Put(ours, text);
    WritePrivateProfileStructA("BOARD", "Param", const_cast<int32_t*>(values.data()), 88, (dir + platform).c_str());
    EXPECT_TRUE(WriteProfileStruct(dir + ours, "BOARD", "Param", values.data(), 88));
    EXPECT_EQ(Get(ours), Get(platform)) << "from: " << text;
  }
}

// The platform reader alone would take a longer entry by its first digits
// and half fill the record from a bad one; neither may reach the settings.
TEST_F(WineSettingsFile, BadEntriesLeaveTheFactoryValues) {
  const std::string good = EncodeProfileStruct(SomeValues().data(), 88);
  const std::string badSum = good.substr(0, 177) + (good[177] == '0' ? "1" : "0");
  int n = 0;
  for (const std::string& text : std::vector<std::string>{
           "[BOARD]\r\nParam=" + badSum, "[BOARD]\r\nParam=" + good + "00", "[BOARD]\r\nParam=" + good + "0",
           "[BOARD]\r\nParam=" + good + ";x", "[BOARD]\r\nParam=" + good.substr(0, 170) + "x" + good.substr(171),
           "[BOARD]\r\nParam\r\n", "[BOARD]\r\nParam=\"" + good + "\"", std::string("\x01\x00\xFF\x80\x1A", 5)}) {
    const std::string name = "bad" + std::to_string(n++) + ".ini", path = dir + name;
    Put(name, text);
    BoardSettings loaded = FromFields(SomeValues());
    LoadSettingsFile(path, loaded);
    EXPECT_EQ(Fields(loaded), Fields(Factory())) << text;
    EXPECT_FALSE(ReadProfileStruct(path, "BOARD", "Param", &loaded, 88)) << text;
  }
  const std::string nowhere = dir + "missing\\Board.ini";
  EXPECT_FALSE(SaveSettingsFile(nowhere, FromFields(SomeValues())));
  BoardSettings loaded = FromFields(SomeValues());
  LoadSettingsFile(nowhere, loaded);
  EXPECT_EQ(Fields(loaded), Fields(Factory()));
}

// A save that fails (our writer's disk full, or a Board.ini marked
// read-only, which the platform itself would write all the same under Wine)
// leaves the old file as it was, attributes and all, and no other file, and
// says it failed. A successful save keeps the file hidden if it was.
TEST_F(WineSettingsFile, FailedSavesKeepTheOldFile) {
  const std::string path = dir + "Board.ini", old = "[Other]\r\na=1\r\n[BOARD]\r\nParam=00\r\n[After]\r\nb=2\r\n";
  struct Case {
    const char* what;
    long long bytesLeft;
    DWORD attributes;
  };
  for (const Case& c :
       {Case{"disk full at once", 0, FILE_ATTRIBUTE_NORMAL},
        Case{"disk full within the record", 40, FILE_ATTRIBUTE_NORMAL}, Case{"read-only", -1, FILE_ATTRIBUTE_READONLY},
        Case{"read-only and hidden", -1, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN}}) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    Put("Board.ini", old);
    SetFileAttributesA(path.c_str(), c.attributes);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    g_fileStoreBytesLeft = c.bytesLeft;
    EXPECT_FALSE(SaveSettingsFile(path, FromFields(SomeValues()))) << c.what;
    g_fileStoreBytesLeft = -1;
    EXPECT_EQ(Get("Board.ini"), old) << c.what;
    EXPECT_EQ(GetFileAttributesA(path.c_str()), attributes) << c.what;
    EXPECT_EQ(Files(), std::vector<std::string>{"Board.ini"}) << c.what;
  }
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(SaveSettingsFile(path, FromFields(SomeValues())));
  EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  BoardSettings read;
  LoadSettingsFile(path, read);
  EXPECT_EQ(Fields(read), SomeValues());
  EXPECT_EQ(Get("Board.ini"), "[Other]\r\na=1\r\n[BOARD]\r\nParam=" + EncodeProfileStruct(SomeValues().data(), 88) +
                                  "\r\n[After]\r\nb=2\r\n");
}

// A folder whose path is too long for the profile functions, or that the
// ANSI code page cannot name (registered under an English and a Chinese
// system): the module's string for it (host_path.h) loads and saves
// Board.ini in that very folder, and the TGA platform opens files there.
TEST_F(WineSettingsFile, LongAndUnnamableFoldersKeepTheirOwnBoardIni) {
  const std::wstring base = WidePath(dir);
  const std::wstring chinese = Wide("板卡设置");
  for (const std::vector<std::wstring>& folders :
       {std::vector<std::wstring>{std::wstring(150, L'd'), std::wstring(120, L'e')},
        {chinese},
        {std::wstring(150, L'd'), chinese + std::wstring(120, L'e')}}) {
    std::wstring folder = base;
    for (const std::wstring& name : folders) {
      folder += name + L"\\";
      CreateDirectoryW(FileApiPath(HostPathString(folder)).c_str(), nullptr);
    }
    const std::string module = HostPathString(folder);
    EXPECT_EQ(WidePath(module), folder);
    const bool ansi = folder.find(chinese) == std::wstring::npos || GetACP() == 936;
    EXPECT_EQ(module.find('\0') == std::string::npos, ansi) << "only a path the code page cannot hold is marked";

    const std::string path = module + "Board.ini";
    EXPECT_TRUE(SaveSettingsFile(path, FromFields(SomeValues()))) << folder.size();
    EXPECT_EQ(ReadWide(FileApiPath(path)), "[BOARD]\r\nParam=" + EncodeProfileStruct(SomeValues().data(), 88) + "\r\n");
    BoardSettings read;
    LoadSettingsFile(path, read);
    EXPECT_EQ(Fields(read), SomeValues()) << folder.size();
    EXPECT_EQ(ReadWide(base + L"Board.ini"), "(missing)");
    EXPECT_TRUE(Win32TgaPlatform().Open(path)) << "the alpha test's picture is opened the same way";
    DeleteFileW(FileApiPath(path).c_str());
    for (size_t n = folders.size(); n > 0; --n) {
      RemoveDirectoryW(FileApiPath(HostPathString(folder)).c_str());
      folder.resize(folder.size() - folders[n - 1].size() - 1);
    }
  }
}

}  // namespace
