// The settings file: its encoding, its INI layout, and what bad files do.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "board_settings.h"
#include "profile_file.h"
#include "settings_testing.h"

namespace {

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("korv-settings-" + std::to_string(getpid()));
    fs::create_directories(dir);
    path = (dir / "Board.ini").string();
  }
  void TearDown() override { fs::remove_all(dir); }
  void Put(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  std::string Get() {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
  }
  std::vector<int32_t> Load() {
    BoardSettings s = FromFields(SomeValues());
    LoadSettingsFile(path, s);
    return Fields(s);
  }
  fs::path dir;
  std::string path;
};

TEST(ProfileStruct, EncodesUppercaseHexWithTheByteSumAndDecodesOnlyExactEntries) {
  const unsigned char bytes[4] = {0x01, 0x2A, 0xFF, 0x80};
  EXPECT_EQ(EncodeProfileStruct(bytes, 4), "012AFF80AA");
  unsigned char out[4] = {};
  EXPECT_TRUE(DecodeProfileStruct("012aff80aa", out, 4));
  EXPECT_EQ(std::memcmp(out, bytes, 4), 0);
  for (const char* bad : {"012AFF80AB", "012AFF80AA00", "012AFF80A", "012AFF8", "012AFF800AA", "012AGF80AA",
                          "012A FF80AA", "", "+12AFF80AA"}) {
    unsigned char untouched[4] = {9, 9, 9, 9};
    EXPECT_FALSE(DecodeProfileStruct(bad, untouched, 4)) << bad;
    EXPECT_EQ(untouched[0] + untouched[3], 18) << bad;
  }
}

TEST_F(SettingsFile, SavedRecordLoadsBackAndTheFileIsOneSectionWithOneKey) {
  EXPECT_EQ(Load(), Fields(Factory()));  // no file yet
  EXPECT_TRUE(SaveSettingsFile(path, FromFields(SomeValues())));
  EXPECT_EQ(Load(), SomeValues());
  EXPECT_EQ(Get(), "[BOARD]\r\nParam=" + EncodeProfileStruct(SomeValues().data(), 88) + "\r\n");
}

TEST_F(SettingsFile, SavingKeepsTheRestOfTheFileInThePlatformsLayout) {
  Put("; mine\n\n[Other]\n  a  =  1  \n[board]\nX=1\n param = 00\n[BOARD]\nParam=11\n");
  const BoardSettings factory = Factory();
  SaveSettingsFile(path, factory);
  EXPECT_EQ(Get(), "; mine\r\n[Other]\r\na=1\r\n[board]\r\nX=1\r\nparam=" + EncodeProfileStruct(&factory, 88) +
                       "\r\n[BOARD]\r\nParam=11\r\n");
  EXPECT_EQ(Load(), Fields(Factory()));
}

TEST_F(SettingsFile, BadFilesLeaveTheFactoryValues) {
  const std::string good = EncodeProfileStruct(SomeValues().data(), 88);
  const std::vector<int32_t> longer(23, 0x01010101);
  std::string utf16;
  for (char c : "[BOARD]\r\nParam=" + good) utf16 += std::string{c, '\0'};
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 7919 >> 3);
  const std::string badSum = good.substr(0, 177) + (good[177] == '0' ? "1" : "0");
  for (const std::string& text : std::vector<std::string>{
           "", "[BOARD]\r\n", "[Other]\r\nParam=" + good, "[BOARD]\r\nParam\r\n", "Param=" + good,
           "[BOARD]\r\nParam=" + badSum,                                            // wrong checksum
           "[BOARD]\r\nParam=" + EncodeProfileStruct(longer.data(), 92),            // a larger record
           "[BOARD]\r\nParam=" + EncodeProfileStruct(longer.data(), 87),            // a smaller one
           "[BOARD]\r\nParam=" + good + "0", "[BOARD]\r\nParam=" + good.substr(1),  // odd digit counts
           "[BOARD]\r\nParam=" + good.substr(0, 100) + "xy" + good.substr(102),     // not hex
           "[BOARD]\r\nParam=" + good + std::string(200000, '0'),                   // a very long line
           "[BOARD]\r\nParam=" + good + "\r\n" + std::string(1 << 20, ';'),         // too large for a settings file
           "\xFF\xFE" + utf16, binary}) {
    Put(text);
    EXPECT_EQ(Load(), Fields(Factory())) << text.substr(0, 200);
  }
  fs::remove(path);
  fs::create_directory(path);  // a folder where the file should be
  EXPECT_EQ(Load(), Fields(Factory()));
}

// A write that fails halfway (here: at the file size limit, once the stdio
// buffer is flushed on close) must leave the old file whole and no stray new
// file, and the save says it failed.
TEST_F(SettingsFile, FailedSavesKeepTheOldFile) {
  const std::string old = "[Other]\r\nbig=" + std::string(2000, 'x') + "\r\n[BOARD]\r\nParam=00\r\n";
  Put(old);
  struct rlimit saved, small = {1000, 1000};
  getrlimit(RLIMIT_FSIZE, &saved);
  small.rlim_max = saved.rlim_max;
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_FALSE(SaveSettingsFile(path, Factory()));
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(Get(), old);
  EXPECT_FALSE(fs::exists(path + ".new"));

  EXPECT_FALSE(SaveSettingsFile((dir / "missing" / "Board.ini").string(), Factory()));
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

}  // namespace
