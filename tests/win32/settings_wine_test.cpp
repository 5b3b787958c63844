// The settings file under Wine: the module's own loading and saving through
// the platform's profile functions, and our portable INI code held against
// those functions byte for byte.
#include <windows.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "file_store.h"
#include "settings_testing.h"
#include "board_settings.h"
#include "file_store.h"
#include "full_disk.h"
#include "host_path.h"
#include "profile_file.h"
#include "tga_win32.h"
#include "wine_testing.h"

namespace {

using namespace std::string_view_literals;

class WineSettingsFile : public ::testing::Test {
 protected:
  void Put(const std::string& name, const std::string& text) { std::ofstream(dir + name, std::ios::binary) << text; }
  std::string Get(const std::string& name) { return FileBytes(folder.Path() + std::wstring(name.begin(), name.end())); }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
      names.push_back(entry.path().filename().string());
    return names;
  }
  TempFolder folder;
  // For the byte-string functions our file is compared with.
  const std::string dir = AnsiText(folder.Path());
};

TEST_F(WineSettingsFile, SavedBoardIniReadsBackThroughThePlatformAsTheSameValues) {
  const std::string path = dir + "Board.ini";
  SaveSettingsFile(path, FromFields(SomeValues()));
  BoardSettings read;
  ASSERT_TRUE(GetPrivateProfileStructA(kFileSection, kFileKey, &read, 88, path.c_str()));
  EXPECT_EQ(Fields(read), SomeValues());
  LoadSettingsFile(path, read);
  EXPECT_EQ(Fields(read), SomeValues());
  EXPECT_EQ(Get("Board.ini"), "[BOARD]\r\nParam=" + kSomeValuesEntry + "\r\n");
}

TEST_F(WineSettingsFile, OurWriterAndReaderAndThePlatformsReadEachOthersFiles) {
  unsigned char all[256], read[256];
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  ASSERT_TRUE(WriteProfileStruct(dir + "ours.ini", kFileSection, kFileKey, all, 256));
  ASSERT_TRUE(GetPrivateProfileStructA(kFileSection, kFileKey, read, 256, (dir + "ours.ini").c_str()));
  EXPECT_EQ(std::memcmp(read, all, 256), 0);

  ASSERT_TRUE(WritePrivateProfileStructA(kFileSection, kFileKey, all, 256, (dir + "platform.ini").c_str()));
  std::memset(read, 0, 256);
  ASSERT_TRUE(ReadProfileStruct(dir + "platform.ini", kFileSection, kFileKey, read, 256));
  EXPECT_EQ(std::memcmp(read, all, 256), 0);
}

// Every named section with its keys and values, as the platform reads them.
std::string PlatformView(const std::string& path) {
  std::vector<char> names(1 << 16), keys(1 << 16);
  GetPrivateProfileSectionNamesA(names.data(), DWORD(names.size()), path.c_str());
  std::string view;
  for (const char* name = names.data(); *name; name += std::strlen(name) + 1) {
    const DWORD n = GetPrivateProfileSectionA(name, keys.data(), DWORD(keys.size()), path.c_str());
    view += "[" + std::string(name) + "]\n" + std::string(keys.data(), n) + "\n";
  }
  return view;
}

// The same starting file, one copy saved by the platform and one by us (which
// keeps every other byte): the platform reads the same from both.
TEST_F(WineSettingsFile, ThePlatformReadsOurSavedFilesAsItsOwn) {
  const std::vector<int32_t> values = SomeValues();
  int n = 0;
  for (const std::string& text : IniShapes()) {
    const std::string platform = "platform" + std::to_string(n) + ".ini", ours = "ours" + std::to_string(n++) + ".ini";
    if (!text.empty()) Put(platform, text), Put(ours, text);
    WritePrivateProfileStructA(kFileSection, kFileKey, const_cast<int32_t*>(values.data()), 88, (dir + platform).c_str());
    EXPECT_TRUE(WriteProfileStruct(dir + ours, kFileSection, kFileKey, values.data(), 88));
    EXPECT_EQ(PlatformView(dir + ours), PlatformView(dir + platform)) << "from: " << text;
  }
}

// The platform reader alone would take a longer entry by its first digits,
// a letter for a digit, and half fill the record from a bad one; none of
// them may reach the settings.
TEST_F(WineSettingsFile, BadEntriesLeaveTheFactoryValues) {
  const std::string good = kSomeValuesEntry;
  const std::string badSum = good.substr(0, 177) + (good[177] == '0' ? "1" : "0");
  // "x0" written as "(x-1)G", which the platform takes for the same byte.
  std::string letter = good;
  for (size_t i = 0; i < 176; i += 2)
    if (letter[i + 1] == '0' && letter[i] > '0' && letter[i] <= '9') {
      letter[i] = static_cast<char>(letter[i] - 1), letter[i + 1] = 'G';
      break;
    }
  ASSERT_NE(letter, good);
  int n = 0;
  for (const std::string& text : std::vector<std::string>{
           "[BOARD]\r\nParam=" + badSum, "[BOARD]\r\nParam=" + good + "00", "[BOARD]\r\nParam=" + good + "0",
           "[BOARD]\r\nParam=" + good + ";x", "[BOARD]\r\nParam=" + good.substr(0, 170) + "x" + good.substr(171),
           "[BOARD]\r\nParam\r\n", "[BOARD]\r\nParam=\"" + good + "\"", "[BOARD]\r\nParam=" + letter,
           std::string("\x01\x00\xFF\x80\x1A", 5)}) {
    const std::string name = "bad" + std::to_string(n++) + ".ini", path = dir + name;
    Put(name, text);
    BoardSettings loaded = FromFields(SomeValues());
    LoadSettingsFile(path, loaded);
    EXPECT_EQ(Fields(loaded), Fields(Factory())) << text;
    EXPECT_FALSE(ReadProfileStruct(path, kFileSection, kFileKey, &loaded, 88)) << text;
  }
  const std::string nowhere = dir + "missing\\Board.ini";
  EXPECT_FALSE(SaveSettingsFile(nowhere, FromFields(SomeValues())));
  BoardSettings loaded = FromFields(SomeValues());
  LoadSettingsFile(nowhere, loaded);
  EXPECT_EQ(Fields(loaded), Fields(Factory()));
}

// Settings files made at random from the pieces that matter to a reader:
// sections and keys in other cases and with spaces, good entries in either
// case, entries with a bad digit, a wrong checksum, one digit more or less,
// quotes or spaces inside, comments, lines without '=', CR or LF or both,
// a UTF-8 BOM, ^Z, NUL bytes in headers, names and values.
class IniMaker {
 public:
  explicit IniMaker(unsigned seed) : random_(seed) {}

  std::string File(size_t size) {
    std::string text = Pick(8) == 0 ? "\xEF\xBB\xBF" : "";
    if (Pick(3) != 0) text += "[BOARD]" + LineEnd();
    for (int lines = Pick(9); lines > 0; --lines) text += Line(size) + LineEnd();
    if (Pick(4) == 0 && text.size() >= 2) text.resize(text.size() - Pick(3));  // the last line end cut
    return text;
  }

 private:
  int Pick(int n) { return static_cast<int>(random_() % n); }
  template <class T>
  T One(std::initializer_list<T> items) {
    return items.begin()[Pick(static_cast<int>(items.size()))];
  }

  std::string LineEnd() { return One<const char*>({"\r\n", "\r\n", "\n", "\r", "\x1A\r\n"}); }

  std::string Line(size_t size) {
    switch (Pick(6)) {
      case 0:
        return std::string(
            One<std::string_view>({"[BOARD]", "[board]", "[ BOARD ]", "[Other]", "[BOARD", "[]", " [BOARD] ; c",
                                   "[[BOARD]]", "\t[BOARD]\t", "[BOARD]x", "[BO\0ARD]"sv, "[BOARD\0x]"sv,
                                   "[BOARD]\0]"sv, "[ BOARD\0 ]"sv, "[BOARD \0]"sv, "[\0BOARD]"sv, "[BOARD\0"sv}));
      case 1: return One<const char*>({"", ";Param=00", "# x", "Param", "  ", "a=1"});
      default:
        return std::string(One<std::string_view>({"Param", "param", " Param ", "PARAM", "Par am", ";Param", "Other",
                                                  "Param\t", "Param\0x"sv, "Pa\0ram"sv, "Param \0"sv, "\0Param"sv})) +
               One<const char*>({"=", " = ", "=  ", "\t=\t"}) + Value(size);
    }
  }

  std::string Value(size_t size) {
    std::vector<unsigned char> bytes(size);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random_());
    std::string value = EncodeProfileStruct(bytes.data(), size);
    const size_t at = Pick(static_cast<int>(value.size()));
    switch (Pick(14)) {
      case 0:
        for (char& c : value) c = static_cast<char>(std::tolower(c));
        break;
      case 1: value[at] = value[at] == 'F' ? '0' : 'F'; break;                // a wrong digit or checksum
      case 2: value[at] = One({'G', 'x', ' ', '-', '+', '"'}); break;         // not a digit
      case 3: value += One<const char*>({"0", "00", "A", " ", ";c"}); break;  // longer
      case 4: value.resize(value.size() - 1 - Pick(2)); break;                // shorter
      case 5: value = "\"" + value + "\""; break;
      case 6: value = One<const char*>({"", "00", "0", "x"}); break;
      case 7: value.insert(at, One<std::string_view>({"\0"sv, "\0 x"sv, " \0"sv, "\0\0"sv})); break;
      default: break;  // a good entry
    }
    return value;
  }

  std::mt19937 random_;
};

// Our reader and the platform's GetPrivateProfileStructA, as the module
// calls it (an entry of exactly 2 * size + 2 hex digits, checked first:
// alone, the platform takes one digit more by its first digits, and any
// letter as a digit, so that a bad entry can pass its checksum), read the
// same record from each file, or both refuse it.
TEST_F(WineSettingsFile, OurReaderAndThePlatformsReadTheSameRecords) {
  IniMaker maker(20261208);
  int same = 0, both = 0, platformAlone = 0;
  for (int n = 0; n < 3000; ++n) {
    const size_t size = n % 3 == 0 ? 4 : 88;
    const std::string name = "d" + std::to_string(n) + ".ini", path = dir + name, text = maker.File(size);
    Put(name, text);
    std::vector<unsigned char> ours(size, 0xA5), platform(size, 0x5A);
    const bool oursRead = ReadProfileStruct(path, kFileSection, kFileKey, ours.data(), size);
    char entry[2 * 88 + 4];
    const DWORD length = GetPrivateProfileStringA(kFileSection, kFileKey, "", entry, sizeof entry, path.c_str());
    const bool platformAny = GetPrivateProfileStructA(kFileSection, kFileKey, platform.data(), size, path.c_str());
    const bool hex = std::string_view(entry, length).find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos;
    const bool platformRead = length == 2 * size + 2 && hex && platformAny;
    platformAlone += platformAny && !platformRead;
    EXPECT_EQ(oursRead, platformRead) << "file " << n << ": " << text;
    if (oursRead && platformRead) {
      EXPECT_EQ(ours, platform) << "file " << n << ": " << text;
    }
    same += oursRead == platformRead && (!oursRead || ours == platform);
    both += oursRead && platformRead;
    DeleteFileA(path.c_str());
  }
  EXPECT_EQ(same, 3000);
  EXPECT_GT(both, 500) << "records read";
  std::printf(
      "3000 files: %d read alike (%d records read by both, %d refused by both); the platform alone, without "
      "the length check, took %d more\n",
      same, both, same - both, platformAlone);
}

// A save that fails (the disk of full_disk.h full, or a Board.ini marked
// read-only, which the platform itself would write all the same under Wine)
// leaves the old file as it was, attributes and all, and no other file, and
// says it failed. A successful save keeps the file hidden if it was.
TEST_F(WineSettingsFile, FailedSavesKeepTheOldFile) {
  const std::string path = dir + "Board.ini", old = "[Other]\r\na=1\r\n[BOARD]\r\nParam=00\r\n[After]\r\nb=2\r\n";
  struct Case {
    const char* what;
    long long bytesLeft;
    DWORD attributes;
    FileFailure why;
  };
  for (const Case& c : {Case{"disk full at once", 0, FILE_ATTRIBUTE_NORMAL, FileFailure::kDiskFull},
                        Case{"disk full within the record", 40, FILE_ATTRIBUTE_NORMAL, FileFailure::kDiskFull},
                        Case{"read-only", -1, FILE_ATTRIBUTE_READONLY, FileFailure::kReadOnly},
                        Case{"read-only and hidden", -1, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN,
                             FileFailure::kReadOnly}}) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    Put("Board.ini", old);
    SetFileAttributesA(path.c_str(), c.attributes);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    g_diskSpace = c.bytesLeft;
    FileFailure why = FileFailure::kNone;
    EXPECT_FALSE(SaveSettingsFile(path, FromFields(SomeValues()), &why)) << c.what;
    EXPECT_EQ(why, c.why) << c.what;
    g_diskSpace = -1;
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
  EXPECT_EQ(Get("Board.ini"), "[Other]\r\na=1\r\n[BOARD]\r\nParam=" + kSomeValuesEntry +
                                  "\r\n[After]\r\nb=2\r\n");
}

// A folder whose path is too long for the profile functions, or that the
// ANSI code page cannot name (registered under an English and a Chinese
// system): Board.ini is loaded and saved in that very folder, and the TGA
// platform opens files there.
TEST_F(WineSettingsFile, LongAndUnnamableFoldersKeepTheirOwnBoardIni) {
  const std::wstring base = folder.Path();
  const std::wstring chinese = L"\u677F\u5361\u8BBE\u7F6E";  // 板卡设置
  for (const std::vector<std::wstring>& folders :
       {std::vector<std::wstring>{std::wstring(150, L'd'), std::wstring(120, L'e')},
        {chinese},
        {std::wstring(150, L'd'), chinese + std::wstring(120, L'e')}}) {
    std::wstring folder = base;
    for (const std::wstring& name : folders) {
      folder += name + L"\\";
      CreateDirectoryW(FileApiPath(folder).c_str(), nullptr);
    }
    const std::filesystem::path path = folder + L"Board.ini";
    EXPECT_TRUE(SaveSettingsFile(path, FromFields(SomeValues()))) << folder.size();
    EXPECT_EQ(FileBytes(FileApiPath(path)), "[BOARD]\r\nParam=" + kSomeValuesEntry + "\r\n");
    BoardSettings read;
    LoadSettingsFile(path, read);
    EXPECT_EQ(Fields(read), SomeValues()) << folder.size();
    EXPECT_EQ(GetFileAttributesW((base + L"Board.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(Win32TgaPlatform().Open(path)) << "the alpha test's picture is opened the same way";
    DeleteFileW(FileApiPath(path).c_str());
    for (size_t n = folders.size(); n > 0; --n) {
      RemoveDirectoryW(FileApiPath(folder).c_str());
      folder.resize(folder.size() - folders[n - 1].size() - 1);
    }
  }
}

// A Board.ini too large to be a settings file (here a sparse one of 400 MB)
// is not read, at once, and not saved over; one of the largest size is.
TEST_F(WineSettingsFile, OversizedBoardIniIsNotRead) {
  const std::string path = dir + "Board.ini";
  for (const auto& [size, read] : {std::pair<LONGLONG, bool>{kMaxProfileFileSize, true}, {400LL << 20, false}}) {
    Put("Board.ini", "[BOARD]\r\nParam=" + kSomeValuesEntry + "\r\n");
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
    BoardSettings loaded = FromFields(SomeValues());
    const DWORD start = GetTickCount();
    LoadSettingsFile(path, loaded);
    EXPECT_LT(GetTickCount() - start, 500u) << size;
    EXPECT_EQ(Fields(loaded), read ? SomeValues() : Fields(Factory())) << size;
    EXPECT_EQ(SaveSettingsFile(path, Factory()), read) << size;
  }
}

// Another that merely has Board.ini open (here as the platform's reader
// opens it) holds a save up: the save waits for it, about a second at most,
// and only then fails, the old file whole and no other file left.
TEST_F(WineSettingsFile, SavesWaitBrieflyForOthersThatHaveTheFileOpen) {
  const std::string path = dir + "Board.ini", old = "[BOARD]\r\nParam=00\r\n";
  for (const auto& [hold, saved] : {std::pair<DWORD, bool>{300, true}, {3000, false}}) {
    Put("Board.ini", old);
    HANDLE h =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    std::thread closer([h, hold = hold] { Sleep(hold), CloseHandle(h); });
    const DWORD start = GetTickCount();
    FileFailure why = FileFailure::kNone;
    EXPECT_EQ(SaveSettingsFile(path, FromFields(SomeValues()), &why), saved) << hold;
    EXPECT_EQ(why, saved ? FileFailure::kNone : FileFailure::kInUse) << hold;
    const DWORD took = GetTickCount() - start;
    closer.join();
    EXPECT_TRUE(saved ? took >= hold - 50 : took >= 900 && took < 2000) << hold << " ms held, the save took " << took;
    EXPECT_EQ(Get("Board.ini") == old, !saved) << hold;
    EXPECT_EQ(Files(), std::vector<std::string>{"Board.ini"}) << hold;
  }
}

// A save removes the new files that killed saves of Board.ini left (its
// name in any case), and nothing else.
TEST_F(WineSettingsFile, SavesRemoveStaleNewFilesOfEndedProcessesAlone) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION ended;
  wchar_t command[] = L"cmd.exe /c exit";
  ASSERT_TRUE(
      CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &ended));
  WaitForSingleObject(ended.hProcess, 10000);
  CloseHandle(ended.hProcess), CloseHandle(ended.hThread);
  const std::string dead = std::to_string(ended.dwProcessId), live = std::to_string(GetCurrentProcessId());
  const std::vector<std::pair<std::string, bool>> files = {{"Board.ini." + dead + "-0.tmp", false},
                                                           {"BOARD.INI." + dead + "-3.tmp", false},
                                                           {"Board.ini." + live + "-0.tmp", true},
                                                           {"Other.ini." + dead + "-0.tmp", true},
                                                           {"Board.ini." + dead + "-0.tmp.bak", true}};
  for (const auto& file : files) Put(file.first, "x");
  ASSERT_TRUE(SaveSettingsFile(dir + "Board.ini", Factory()));
  for (const auto& [name, kept] : files)
    EXPECT_EQ(GetFileAttributesA((dir + name).c_str()) != INVALID_FILE_ATTRIBUTES, kept) << name;
  EXPECT_EQ(Files().size(), 4u);
}

// Device names, the device namespace and pipes are refused by every file
// operation at once, however they are spelled: a serial port or a pipe with
// no writer would never end a read, and a write there is no file.
TEST_F(WineSettingsFile, DevicesAndPipesAreRefusedAtOnce) {
  HANDLE pipe = CreateNamedPipeW(L"\\\\.\\pipe\\korv-no-writer", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  CreateDirectoryW((folder.Path() + L"folder").c_str(), nullptr);
  for (const std::wstring& name :
       {std::wstring(L"COM1"), std::wstring(L"COM5"), std::wstring(L"aux"), std::wstring(L"CON"), std::wstring(L"NUL"),
        std::wstring(L"\\\\.\\COM1"), folder.Path() + L"com1.ini", std::wstring(L"\\\\.\\pipe\\korv-no-writer"),
        std::wstring(L"\\\\?\\GLOBALROOT\\Device\\Null"), folder.Path() + L"folder"}) {
    const DWORD start = GetTickCount();
    std::string bytes;
    FileFailure why = FileFailure::kNone;
    EXPECT_EQ(ReadFileBytes(name, kMaxProfileFileSize, bytes), FileFailure::kNotAFile) << Utf8Text(name);
    EXPECT_EQ(CheckRegularFile(name), FileFailure::kNotAFile) << Utf8Text(name);
    EXPECT_FALSE(ReplaceWholeFile(name, "x", &why)) << Utf8Text(name);
    EXPECT_EQ(why, FileFailure::kNotAFile) << Utf8Text(name);
    EXPECT_EQ(ReadSettingsFile(name).problem, SettingsFileProblem::kNotAFile) << Utf8Text(name);
    EXPECT_FALSE(Win32TgaPlatform().Open(name)) << Utf8Text(name);
    EXPECT_LT(GetTickCount() - start, 1000u) << Utf8Text(name);
  }
  CloseHandle(pipe);
  // A folder of a name that is a device elsewhere is a folder, and files in
  // it are files.
  EXPECT_TRUE(ReplaceWholeFile(folder.Path() + L"folder\\x.ini", "x"));
}

}  // namespace
