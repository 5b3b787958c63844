// The settings file: its encoding, its INI layout, and what bad files do.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <fstream>
#include <sstream>

#include "board_settings.h"
#include "setting_table.h"
#include "file_store.h"
#include "full_disk.h"
#include "profile_file.h"
#include "settings_testing.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
 protected:
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
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    return names;
  }
  TempFolder folder;
  const fs::path dir = folder.Path();
  const std::string path = folder.Path() + "Board.ini";
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
  // The factory record saved: its 22 fields little-endian in hex, then their
  // byte sum, 776, modulo 256.
  EXPECT_TRUE(SaveSettingsFile(path, Factory()));
  EXPECT_EQ(Get(),
            "[BOARD]\r\nParam=02000000000000000000000000000000000000000000000001000000010000000100000080000000800000"
            "00800000008000000000000000000000008000000080000000000000000000000001000000000000000200000008\r\n");
  EXPECT_TRUE(SaveSettingsFile(path, FromFields(SomeValues())));
  EXPECT_EQ(Load(), SomeValues());
  EXPECT_EQ(Get(), "[BOARD]\r\nParam=" + kSomeValuesEntry + "\r\n");
}

// A save changes the one value and keeps every other byte of the file.
TEST_F(SettingsFile, SavingChangesOnlyTheValue) {
  const BoardSettings factory = Factory();
  // The factory record's entry as docs/board-ini.md prints it.
  const std::string e =
      "0200000000000000000000000000000000000000000000000100000001000000010000008000000080000000800000008000000000"
      "000000000000008000000080000000000000000000000001000000000000000200000008";
  using namespace std::string_literals;
  for (const auto& [before, after] : std::vector<std::pair<std::string, std::string>>{
           {"; mine\n\n[Other]\n  a  =  1  \n[board]\nX=1\n param = 00 \n[BOARD]\nParam=11\n",
            "; mine\n\n[Other]\n  a  =  1  \n[board]\nX=1\n param = " + e + " \n[BOARD]\nParam=11\n"},
           {"[BOARD]\r\nParam=00\0 note\r\nParam=1\r\n"s, "[BOARD]\r\nParam=" + e + "\0 note\r\nParam=1\r\n"s},
           {"[BOARD\0]x] ; c\rParam  \rb=2"s, "[BOARD\0]x] ; c\rParam="s + e + "  \rb=2"},
           {"[BOARD]\r\nX=1\r\n\r\n  \r\n[Other]\r\n", "[BOARD]\r\nX=1\r\nParam=" + e + "\r\n\r\n  \r\n[Other]\r\n"},
           {"[BOARD]\r\nX=1", "[BOARD]\r\nX=1\r\nParam=" + e + "\r\n"},
           {"x=1 ", "x=1 \r\n[BOARD]\r\nParam=" + e + "\r\n"},
           {"\xEF\xBB\xBF", "\xEF\xBB\xBF[BOARD]\r\nParam=" + e + "\r\n"}}) {
    Put(before);
    EXPECT_TRUE(SaveSettingsFile(path, factory));
    EXPECT_EQ(Get(), after);
    EXPECT_EQ(Load(), Fields(factory)) << after;
  }
}

// A NUL byte ends a name or a value, not its line: the platform still finds
// a header's last ']' and a key's '=' past it.
TEST(ProfileValue, NulBytesEndNamesAndValuesAsForThePlatform) {
  using namespace std::string_literals;
  for (const auto& [text, value] : std::vector<std::pair<std::string, std::optional<std::string>>>{
           {"[BOARD\0junk]\r\nParam=1"s, "1"},
           {"[ BOARD\0 ]\r\nParam=1"s, "1"},
           {"[BOARD \0]\r\nParam=1"s, std::nullopt},
           {"[BO\0ARD]\r\nParam=1"s, std::nullopt},
           {"[BOARD]\0]x\r\nParam=1"s, std::nullopt},
           {"[BOARD]\r\nParam\0 x =1"s, "1"},
           {"[BOARD]\r\nParam \0=1"s, std::nullopt},
           {"[BOARD]\r\nParam\0x\r\nParam=2"s, std::nullopt},
           {"[BOARD]\r\nParam=1 \0 2 "s, "1 "},
           {"[BOARD]\r\nParam=  \0 2"s, ""}}) {
    EXPECT_EQ(ProfileValue(text, kFileSection, kFileKey), value) << text;
  }
}

// A file above the limit is not read, however large, and not saved over.
TEST_F(SettingsFile, OversizedFilesAreNotRead) {
  const std::string good = "[BOARD]\r\nParam=" + kSomeValuesEntry + "\r\n";
  for (const auto& [size, read] : std::vector<std::pair<off_t, bool>>{
           {kMaxProfileFileSize, true}, {kMaxProfileFileSize + 1, false}, {off_t(400) << 20, false}}) {
    Put(good);
    ASSERT_EQ(truncate(path.c_str(), size), 0);  // a sparse tail of NULs
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Load(), read ? SomeValues() : Fields(Factory())) << size;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500)) << size;
    EXPECT_EQ(SaveSettingsFile(path, Factory()), read) << size;
    if (!read) {
      EXPECT_EQ(fs::file_size(path), static_cast<uintmax_t>(size));
    }
  }
}

TEST_F(SettingsFile, BadFilesLeaveTheFactoryValues) {
  for (const std::string& text : HostileBoardInis()) {
    Put(text);
    EXPECT_EQ(Load(), Fields(Factory())) << text.substr(0, 200);
    EXPECT_EQ(ReadSettingsFile(path).state, SettingsFileState::kUnreadable) << text.substr(0, 200);
  }
}

// Every kind of file a Board.ini may be has one answer: missing (the factory
// values, no word), a record, or unreadable with a reason, never passed off
// as the factory values. Text with a byte-order mark is read as the text it
// holds, as the platform's profile functions read it.
TEST_F(SettingsFile, EachKindOfFileHasOneAnswer) {
  using namespace std::string_literals;
  const std::string factory = kFactoryEntry, outOfRange = kOutOfRangeEntry;
  const auto utf16 = [](const std::string& bom, const std::string& text, bool big) {
    std::string bytes = bom;
    for (char c : text) bytes += big ? "\0"s + c : std::string(1, c) + '\0';
    return bytes;
  };
  const std::string ini = "[BOARD]\r\nParam=" + factory + "\r\n";
  using State = SettingsFileState;
  using Problem = SettingsFileProblem;
  struct Case {
    const char* what;
    std::optional<std::string> bytes;  // nothing: no file
    State state;
    Problem problem;
  };
  for (const Case& c : {
           Case{"missing", std::nullopt, State::kMissing, Problem::kNone},
           Case{"ANSI", ini, State::kRecord, Problem::kNone},
           Case{"UTF-8 with a mark", "\xEF\xBB\xBF" + ini, State::kRecord, Problem::kNone},
           Case{"UTF-16 LE with a mark", utf16("\xFF\xFE", ini, false), State::kRecord, Problem::kNone},
           Case{"UTF-16 BE with a mark", utf16("\xFE\xFF", ini, true), State::kRecord, Problem::kNone},
           Case{"UTF-16 LE, odd length", utf16("\xFF\xFE", ini, false) + "x", State::kUnreadable, Problem::kNotText},
           Case{"UTF-16 without a mark", utf16("", ini, false), State::kUnreadable, Problem::kNoRecord},
           Case{"0 bytes", "", State::kUnreadable, Problem::kNoRecord},
           Case{"88 zero bytes", std::string(88, '\0'), State::kUnreadable, Problem::kNoRecord},
           Case{"NUL lines", "\0\0\r\n\0\r\n"s, State::kUnreadable, Problem::kNoRecord},
           Case{"the first of two sections empty", "[BOARD]\r\n[BOARD]\r\nParam=" + factory, State::kUnreadable,
                Problem::kNoRecord},
           Case{"the first of two sections counts", ini + "[BOARD]\r\nParam=00\r\n", State::kRecord, Problem::kNone},
           Case{"bad checksum", "[BOARD]\r\nParam=" + factory.substr(0, 177) + "9", State::kUnreadable,
                Problem::kBadRecord},
           Case{"out of range", "[BOARD]\r\nParam=" + outOfRange, State::kRecord, Problem::kNone}}) {
    fs::remove(path);
    if (c.bytes) Put(*c.bytes);
    const SettingsFileReading reading = ReadSettingsFile(path);
    EXPECT_EQ(reading.state, c.state) << c.what;
    EXPECT_EQ(reading.problem, c.problem) << c.what;
    EXPECT_EQ(reading.why.empty(), c.state != State::kUnreadable) << c.what;
    if (c.state != State::kRecord) {
      EXPECT_EQ(Fields(reading.record), Fields(Factory())) << c.what;
    }
  }
  // The record of the last, and the settings whose values the table does
  // not take, which are never sent.
  const SettingsFileReading reading = ReadSettingsFile(path);
  EXPECT_EQ(reading.record.cmpsOrSvideo, 4);
  EXPECT_EQ(reading.record.contrast, 2147483647);
  std::vector<std::string> names;
  for (const BoardSetting* s : reading.outOfRange) names.push_back(s->name);
  EXPECT_EQ(names, (std::vector<std::string>{"video-source", "contrast", "brightness"}));

  // A save into UTF-16 text keeps its encoding and every other byte.
  Put(utf16("\xFF\xFE", "; mine\r\n[BOARD]\r\nParam=00\r\n", false));
  ASSERT_TRUE(SaveSettingsFile(path, Factory()));
  EXPECT_EQ(Get(), utf16("\xFF\xFE", "; mine\r\n[BOARD]\r\nParam=" + factory + "\r\n", false));
}

// What is not a regular file (a folder, a FIFO without a writer, a
// terminal) is refused at once by every file operation, with its reason:
// nothing waits for data that never comes.
TEST_F(SettingsFile, WhatIsNoFileIsRefusedAtOnce) {
  const fs::path fifo = dir / "fifo", folder = dir / "folder";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(folder);
  for (const fs::path& p : {fifo, folder, fs::path("/dev/null")}) {
    const auto start = std::chrono::steady_clock::now();
    std::string bytes;
    FileFailure why = FileFailure::kNone;
    EXPECT_EQ(ReadFileBytes(p, kMaxProfileFileSize, bytes), FileFailure::kNotAFile) << p;
    EXPECT_EQ(CheckRegularFile(p), FileFailure::kNotAFile) << p;
    EXPECT_FALSE(ReplaceWholeFile(p, "x", &why)) << p;
    EXPECT_EQ(why, FileFailure::kNotAFile) << p;
    EXPECT_FALSE(SaveSettingsFile(p, Factory(), &why)) << p;
    EXPECT_EQ(why, FileFailure::kNotAFile) << p;
    EXPECT_EQ(ReadSettingsFile(p).problem, SettingsFileProblem::kNotAFile) << p;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << p;
  }
  FileFailure why = FileFailure::kNone;
  EXPECT_FALSE(RemoveFile(folder, &why));
  EXPECT_EQ(why, FileFailure::kNotAFile);
  EXPECT_FALSE(RemoveFile(dir / "none", &why));
  EXPECT_EQ(why, FileFailure::kNotFound);
  EXPECT_EQ(CheckRegularFile(path), FileFailure::kNotFound);
  Put("x");
  EXPECT_EQ(CheckRegularFile(path), FileFailure::kNone);
  EXPECT_FALSE(MakeFolder(path, &why)) << "a file of that name";
  EXPECT_EQ(why, FileFailure::kNotAFile);
  EXPECT_TRUE(RemoveFile(path, &why));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(Files(), (std::vector<std::string>{"fifo", "folder"}) ) << "no file left beside";
}

// Board.ini is the same file by any way of naming it; another is not.
TEST_F(SettingsFile, SameFileSeesThroughNamesAndLinks) {
  Put("x");
  fs::create_directory(dir / "sub");
  fs::create_symlink(path, dir / "link.ini");
  EXPECT_TRUE(SameFile(path, dir / "sub" / ".." / "Board.ini"));
  EXPECT_TRUE(SameFile(path, dir / "link.ini"));
  EXPECT_TRUE(SameFile(dir / "new.json", dir / "sub" / ".." / "new.json")) << "the same name in the same folder";
  EXPECT_FALSE(SameFile(path, dir / "sub" / "Board.ini"));
  EXPECT_FALSE(SameFile(dir / "a.json", dir / "b.json"));
}

// A save that fails for any reason (a full disk: here the file size limit
// met when the data is written, or the disk of full_disk.h; a read-only file)
// leaves the old file whole, with its permissions, and no other file, and
// says it failed.
TEST_F(SettingsFile, FailedSavesKeepTheOldFile) {
  const std::string old = "[Other]\r\nbig=" + std::string(2000, 'x') + "\r\n[BOARD]\r\nParam=00\r\n";
  struct rlimit saved, small;
  getrlimit(RLIMIT_FSIZE, &saved);
  small = {1000, saved.rlim_max};
  signal(SIGXFSZ, SIG_IGN);
  struct Case {
    const char* what;
    unsigned mode;
    bool sizeLimit;
    long long bytesLeft;  // the space of full_disk.h
    FileFailure why;
  };
  for (const Case& c : {Case{"file size limit", 0640, true, -1, FileFailure::kOther},
                        Case{"disk full at once", 0640, false, 0, FileFailure::kDiskFull},
                        Case{"disk full after 1500 bytes", 0640, false, 1500, FileFailure::kDiskFull},
                        Case{"read-only for all", 0444, false, -1, FileFailure::kReadOnly},
                        Case{"read-only for the owner alone", 0400, false, -1, FileFailure::kReadOnly}}) {
    if (fs::exists(path)) fs::permissions(path, fs::perms(0640));
    Put(old);
    fs::permissions(path, fs::perms(c.mode));
    if (c.sizeLimit) setrlimit(RLIMIT_FSIZE, &small);
    g_diskSpace = c.bytesLeft;
    FileFailure why = FileFailure::kNone;
    const bool ok = SaveSettingsFile(path, Factory(), &why);
    g_diskSpace = -1;
    EXPECT_EQ(why, c.why) << c.what;
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(ok) << c.what;
    EXPECT_TRUE(Get() == old) << c.what << ": the old file changed";
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(c.mode)) << c.what;
    EXPECT_EQ(Files(), std::vector<std::string>{"Board.ini"}) << c.what;
  }
  fs::permissions(path, fs::perms(0640));
  ASSERT_TRUE(SaveSettingsFile(path, Factory()));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640)) << "a save keeps the file's permissions";

  EXPECT_FALSE(SaveSettingsFile((dir / "missing" / "Board.ini").string(), Factory()));
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

// Processes that save at once, some of them killed while saving: whenever
// anyone reads Board.ini, it holds one whole record of one of them, and a
// save that lives to the end never reports a failure.
TEST_F(SettingsFile, SavesAtOnceNeverLeaveABrokenFile) {
  auto record = [](int writer, int round) {
    std::vector<int32_t> v = SomeValues();
    v[0] = writer;
    v[1] = round;
    return v;
  };
  ASSERT_TRUE(SaveSettingsFile(path, FromFields(record(-1, 0))));
  std::vector<pid_t> writers;
  for (int w = 0; w < 4; ++w) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (int round = 0; round < 400; ++round)
        if (!SaveSettingsFile(path, FromFields(record(w, round)))) _exit(1);
      _exit(0);
    }
    writers.push_back(pid);
  }
  int broken = 0;
  for (int read = 0; read < 400; ++read) {
    if (read == 20) kill(writers[0], SIGKILL);
    if (read == 60) kill(writers[1], SIGKILL);
    const std::vector<int32_t> fields = Load();
    if (fields[0] < -1 || fields[0] > 3 || fields[2] != SomeValues()[2]) ++broken;
  }
  for (size_t w = 0; w < writers.size(); ++w) {
    int status = 0;
    waitpid(writers[w], &status, 0);
    if (w >= 2) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer " << w << " saw a failed save";
    }
  }
  EXPECT_EQ(broken, 0) << "reads that found no whole record";
  const std::vector<int32_t> last = Load();
  EXPECT_TRUE(last[0] >= 0 && last[0] <= 3 && last[2] == SomeValues()[2]);
  // One section with one key, whose entry is SomeValues()'s but for the
  // writer and the round (little-endian) and the byte sum, which the load
  // above checked.
  const auto hex = [](int32_t v) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%02X%02X%02X%02X", v & 0xFF, v >> 8 & 0xFF, v >> 16 & 0xFF, v >> 24 & 0xFF);
    return std::string(digits);
  };
  const std::string text = Get();
  EXPECT_EQ(text.size(), 15 + kSomeValuesEntry.size() + 2);
  EXPECT_EQ(text.substr(0, 31), "[BOARD]\r\nParam=" + hex(last[0]) + hex(last[1]));
  EXPECT_EQ(text.substr(31, 160), kSomeValuesEntry.substr(16, 160));
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

// A save removes the new files that killed saves of the same file left,
// and nothing else: not those of running processes, nor other names.
TEST_F(SettingsFile, SavesRemoveStaleNewFilesOfEndedProcessesAlone) {
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  const std::string dead = std::to_string(ended), live = std::to_string(getpid());
  const std::vector<std::pair<std::string, bool>> files = {
      {"Board.ini." + dead + "-0.tmp", false}, {"Board.ini." + dead + "-17.tmp", false},
      {"Board.ini." + live + "-9.tmp", true},  {"Board.ini.1-0.tmp", true},
      {"Other.ini." + dead + "-0.tmp", true},  {"board.ini." + dead + "-0.tmp", true},
      {"Board.ini." + dead + ".tmp", true},    {"Board.ini." + dead + "-0.tmp.bak", true},
      {"Board.ini." + dead + "-x.tmp", true},  {"Board.ini.0-0.tmp", true},
      {"Board.ini.-" + dead + "-0.tmp", true}, {"Board.ini.99999999999-0.tmp", true}};
  for (const auto& file : files) std::ofstream(dir / file.first) << "x";
  ASSERT_TRUE(SaveSettingsFile(path, Factory()));
  for (const auto& [name, kept] : files) EXPECT_EQ(fs::exists(dir / name), kept) << name;
  EXPECT_EQ(Files().size(), 11u);
}

}  // namespace
