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
#include "profile_file.h"

namespace {

class WineSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir = std::string(temp) + "korv-settings-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void Put(const std::string& name, const std::string& text) { std::ofstream(dir + name, std::ios::binary) << text; }
  std::string Get(const std::string& name) {
    std::ostringstream text;
    text << std::ifstream(dir + name, std::ios::binary).rdbuf();
    return text.str();
  }
  std::string dir;
};

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

}  // namespace
