// korvctl's commands against the simulated boards: names and words, the
// order of the calls, refusals and their statuses, bad command lines, and
// that no board is ever left open. Natively on the simulator library, and
// in each Windows tree under Wine on the simulated korvio.dll.
#include <gtest/gtest.h>
#include <stdlib.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "control_ids.h"
#include "json.h"
#include "korvctl.h"
#include "korvio.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "settings_testing.h"
#include "testout_expected.h"
#include "tga_builder.h"
#ifdef _WIN32
#include "tga_win32.h"
#include "wine_testing.h"
#else
#include "temp_folder.h"
#include "tga_stdio.h"
#endif

namespace {

// What differs between the trees: how the simulator's environment is set,
// the TGA reader's platform, and where the shipped alpha picture is.
#ifdef _WIN32
using TgaFiles = Win32TgaPlatform;
void SetSimEnvironment(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }
std::string ShippedAlphaPicture() { return (std::filesystem::path(ProgramFolder()) / "TestAlpha.tga").u8string(); }
#else
using TgaFiles = StdioTgaPlatform;
void SetSimEnvironment(const char* name, const char* value) {
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}
std::string ShippedAlphaPicture() { return KORV_TESTOUT_DIR "TestAlpha.tga"; }
#endif

struct Result {
  int status;
  std::string out, err;
};

class Korvctl : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"KORVSIM_BOARDS", "KORVSIM_SUBBOARD", "KORVSIM_FAIL_OPEN", "KORVSIM_FAIL_SETTER",
                             "KORVSIM_FAIL_GETTER",
                             "KORVSIM_NO_MEMADDR", "KORVSIM_REPORTED_COUNT", "KORVSIM_STATE"})
      SetSimEnvironment(name, nullptr);
    Sim("KORVSIM_SUBBOARD", "all");
  }
  void Sim(const char* name, const char* value) {
    SetSimEnvironment(name, value);
    KorvSim_Reset();
  }
  Result Run(std::vector<std::string> args) {
    std::ostringstream out, err;
    KorvctlContext context{folder_.Folder(), &platform_, &out, &err, nullptr, nullptr};
    context.englishDialog = englishDialog_;
    context.chineseDialog = chineseDialog_;
    const int status = RunKorvctl(args, context);
    for (int card = 0; card < 4; ++card) EXPECT_FALSE(KorvSim_IsOpen(card)) << "board " << card << " left open";
    return {status, out.str(), err.str()};
  }
  // The device calls of the run, without the count.
  std::vector<std::string> SetterCalls() {
    std::vector<std::string> calls;
    for (const std::string& c : SimCalls())
      if (c.rfind("Orbel_Set", 0) == 0) calls.push_back(c);
    return calls;
  }

  // A file in the test's folder.
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + name, std::ios::binary) << bytes;
    return dir_ + name;
  }
  // The bytes of a file in the test's folder.
  std::string Read(const std::string& name) {
    std::ifstream file(dir_ + name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }

  std::string englishDialog_, chineseDialog_;
  TempFolder folder_;
  const std::string dir_ = folder_.Folder().u8string();  // as the command line names it
  TgaFiles platform_;
};

// Every settable name with each of its words and their codes, written out
// here rather than taken from the table.
const struct {
  const char* name;
  const char* device;
  std::vector<std::pair<const char*, int>> words;
} kChoices[] = {
    {"sync-source", "InnerOrExtraSync", {{"internal", 0}, {"external", 1}, {"video-input", 2}}},
    {"video-source", "CmpsOrSvideo", {{"cvbs1", 0}, {"yc", 1}, {"yuv", 2}, {"sdi", 3}, {"cvbs2", 5}}},
    {"audio-source", "AudioSrc", {{"analog", 0}, {"sdi", 1}}},
    {"black-level", "VideoBlackLevel", {{"0.0ire", 0}, {"7.5ire", 1}}},
    {"lock-mode", "TVORVTR", {{"vtr", 0}, {"tv", 1}}},
    {"title-mix", "VideoBypass", {{"bypass", 0}, {"graphic", 1}}},
    {"tv-standard", "VideoMode", {{"ntsc", 0}, {"pal", 1}}},
    {"video-output", "OutVideoSrc", {{"play", 0}, {"input", 1}}},
    {"audio-output", "OutAudioSrc", {{"play", 0}, {"input", 1}}},
    {"capture-source", "CapVideoSrc", {{"input", 1}, {"play", 2}}},
    {"pause-mode", "PlayBufferRepeatMode", {{"frame", 1}, {"first-field", 2}, {"second-field", 3}}},
};
const std::pair<const char*, const char*> kAdjustments[] = {
    {"contrast", "Contrast"},
    {"brightness", "Light"},
    {"hue", "Hue"},
    {"saturation", "Satuation"},
    {"subcarrier-phase", "SubcarrierPhase"},
    {"line-phase", "LinePhase"},
    {"field-phase", "FieldPhase"},
    {"audio-volume", "AudioVolumn"},
};

// The report as JSON, and one board's setting in it.
JsonValue Parsed(const std::string& text) {
  std::string error;
  const std::optional<JsonValue> json = ParseJson(text, error);
  EXPECT_TRUE(json) << error << "\n" << text;
  return json.value_or(JsonValue());
}
const JsonValue* Path(const JsonValue& json, std::vector<std::string> keys) {
  const JsonValue* at = &json;
  for (const std::string& key : keys) {
    if (at && at->Is(JsonValue::Type::Array))
      at = std::stoul(key) < at->items.size() ? &at->items[std::stoul(key)] : nullptr;
    else
      at = at ? at->Find(key) : nullptr;
  }
  return at;
}
int32_t Code(const JsonValue& json, std::vector<std::string> keys) {
  const JsonValue* at = Path(json, keys);
  EXPECT_TRUE(at && at->Int32()) << keys.back();
  return at && at->Int32() ? *at->Int32() : -99999;
}

TEST_F(Korvctl, EveryNameAndWordGoesThroughSetAndBackThroughShow) {
  for (const auto& choice : kChoices)
    for (const auto& [word, code] : choice.words) {
      SCOPED_TRACE(std::string(choice.name) + "=" + word);
      ASSERT_EQ(Run({"set", std::string(choice.name) + "=" + word}).status, 0);
      EXPECT_EQ(KorvSim_Peek(choice.device, 0), code);
      const std::string shown = "\n" + Run({"show"}).out;
      std::string expected = choice.name;
      expected.resize(18, ' ');
      std::string w = word;
      w.resize(14, ' ');
      EXPECT_NE(shown.find("\n" + expected + w + "(" + std::to_string(code) + ")\n"), std::string::npos) << shown;
    }
  // Codes do as well as words, and the adjustments take numbers.
  std::vector<std::string> pairs = {"set", "video-source=5", "capture-source=2"};
  for (size_t i = 0; i < std::size(kAdjustments); ++i)
    pairs.push_back(std::string(kAdjustments[i].first) + "=" + std::to_string(i * 36));
  ASSERT_EQ(Run(pairs).status, 0);
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 5);
  EXPECT_EQ(KorvSim_Peek("CapVideoSrc", 0), 2);
  for (size_t i = 0; i < std::size(kAdjustments); ++i)
    EXPECT_EQ(KorvSim_Peek(kAdjustments[i].second, 0), int(i * 36)) << kAdjustments[i].first;
  const Result json = Run({"show", "--json"});
  EXPECT_NE(json.out.find("\"audio-volume\": {\"code\": 252, \"word\": null}"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"video-source\": {\"code\": 5, \"word\": \"cvbs2\"}"), std::string::npos);
}

TEST_F(Korvctl, GetPrintsTheNamedSettingsOnly) {
  ASSERT_EQ(Run({"set", "video-source=yc", "hue=9"}).status, 0);
  KorvSim_ForgetCalls();
  const Result r = Run({"get", "hue", "video-source", "sdi-sub-board"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "hue               9\n"
            "video-source      yc            (1)\n"
            "sdi-sub-board     present       (1)\n");
  for (const std::string& call : SimCalls()) EXPECT_EQ(call.find("Orbel_Set"), std::string::npos) << call;
  const JsonValue json = Parsed(Run({"get", "--json", "hue"}).out);
  EXPECT_EQ(Code(json, {"settings", "hue", "code"}), 9);
  EXPECT_EQ(Path(json, {"settings"})->members.size(), 1u);
}

// show --json's shape, with codes, words or both.
const char kSite[] =
    "{\"settings\": {\"sync-source\": {\"code\": 1, \"word\": \"external\"}, \"video-source\": \"YUV\",\n"
    " \"contrast\": 120, \"hue\": {\"code\": 128, \"word\": null}, \"sdi-sub-board\": {\"code\": 1}}}";

TEST_F(Korvctl, ApplySendsWhatDiffersAndASecondRunNothing) {
  Sim("KORVSIM_BOARDS", "2");
  const std::string site = Write("site.json", kSite);
  // --check sends nothing and says the boards differ.
  KorvSim_ForgetCalls();
  const Result check = Run({"apply", site, "--all-boards", "--check", "--json"});
  EXPECT_EQ(check.status, 3);
  EXPECT_EQ(SetterCalls(), std::vector<std::string>());
  EXPECT_EQ(Path(Parsed(check.out), {"changed"})->boolean, true);
  EXPECT_EQ(Path(Parsed(check.out), {"boards", "1", "settings", "contrast", "result"})->text, "differs");

  // hue is 128 already: the rest goes out in the apply order, sync last.
  KorvSim_ForgetCalls();
  const Result first = Run({"apply", site, "--all-boards", "--json"});
  EXPECT_EQ(first.status, 0) << first.err;
  std::vector<std::string> sent;
  for (int card : {0, 1})
    for (const char* call : {"Orbel_SetCmpsOrSvideo(2, %d) = 1", "Orbel_SetContrast(120, %d) = 1",
                             "Orbel_SetInnerOrExtraSync(1, %d) = 1"}) {
      char text[64];
      std::snprintf(text, sizeof text, call, card);
      sent.push_back(text);
    }
  EXPECT_EQ(SetterCalls(), sent);
  const JsonValue report = Parsed(first.out);
  EXPECT_EQ(Path(report, {"changed"})->boolean, true);
  EXPECT_EQ(Path(report, {"boards", "0", "settings", "contrast", "result"})->text, "changed");
  EXPECT_EQ(Path(report, {"boards", "0", "settings", "hue", "result"})->text, "unchanged");
  EXPECT_EQ(Code(report, {"boards", "1", "settings", "video-source", "after", "code"}), 2);
  EXPECT_EQ(KorvSim_Peek("Contrast", 1), 120);

  KorvSim_ForgetCalls();
  const Result second = Run({"apply", site, "--all-boards"});
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(SetterCalls(), std::vector<std::string>());
  EXPECT_EQ(second.out, "board 0: nothing changed; all 4 settings match\nboard 1: nothing changed; all 4 settings match\n");
  EXPECT_EQ(Run({"apply", site, "--board", "1", "--check"}).status, 0);

  // A Board.ini, whatever its name, brings back every setting it holds.
  ASSERT_EQ(Run({"defaults", "save", "--file", dir_ + "studio.cfg"}).status, 0);
  ASSERT_EQ(Run({"set", "contrast=3", "pause-mode=first-field"}).status, 0);
  const Result ini = Run({"apply", dir_ + "studio.cfg"});
  EXPECT_EQ(ini.status, 0);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 120);
  EXPECT_NE(ini.out.find("board 0: 2 changed, 17 unchanged"), std::string::npos) << ini.out;
}

TEST_F(Korvctl, ApplyAndVerifyTellRefusedAndDriftedWithStatusOne) {
  Sim("KORVSIM_SUBBOARD", "none");        // sdi is refused
  Sim("KORVSIM_FAIL_GETTER", "Contrast");  // contrast is taken but never reported back
  const Result r = Run({"apply", Write("a.json", "{\"settings\": {\"video-source\": 3, \"contrast\": 9}}"), "--json"});
  EXPECT_EQ(r.status, 1);
  const JsonValue report = Parsed(r.out);
  EXPECT_EQ(Path(report, {"boards", "0", "settings", "video-source", "result"})->text, "refused");
  EXPECT_EQ(Path(report, {"boards", "0", "settings", "contrast", "result"})->text, "drifted");
  EXPECT_EQ(Path(report, {"changed"})->boolean, true);  // contrast was sent and taken

  Sim("KORVSIM_FAIL_SETTER", "VideoMode");
  KorvSim_Poke("VideoMode", 0, 0);  // NTSC; the factory value is PAL
  const Result verify = Run({"defaults", "factory", "--verify"});
  EXPECT_EQ(verify.status, 1);
  EXPECT_NE(verify.out.find("board 0: tv-standard refused: sent pal (1), the board reports ntsc (0)"),
            std::string::npos)
      << verify.out;
}

// A Board.ini record with a good checksum, but video source 4, contrast
// 2147483647 and brightness -1.
const std::string kOutOfRangeIni = "[BOARD]\r\nParam=" + kOutOfRangeEntry + "\r\n";

TEST_F(Korvctl, BadSettingsFilesAreStatusTwoAndSendNothing) {
  const struct {
    const char* what;
    std::string bytes;
  } kFiles[] = {
      {"ends early", "{\"settings\": {\"hue\": 3"},
      {"wrong type", "{\"settings\": {\"hue\": true}}"},
      {"wrong member type", "{\"settings\": {\"hue\": {\"code\": \"3\"}}}"},
      {"not an object", "[1, 2]"},
      {"huge number", "{\"settings\": {\"hue\": 1" + std::string(400, '0') + "}}"},
      {"out of range", "{\"settings\": {\"hue\": 256}}"},
      {"fraction", "{\"settings\": {\"hue\": 1.5}}"},
      {"code and word disagree", "{\"settings\": {\"video-source\": {\"code\": 1, \"word\": \"sdi\"}}}"},
      {"unknown word", "{\"settings\": {\"video-source\": \"cvbs3\"}}"},
      {"duplicate key", "{\"settings\": {\"hue\": 3, \"hue\": 4}}"},
      {"unknown name", "{\"settings\": {\"colour\": 3}}"},
      {"unknown top-level key", "{\"settings\": {\"hue\": 3}, \"profile\": 1}"},
      {"only what is reported", "{\"settings\": {\"sdi-sub-board\": 1}}"},
      {"non-UTF-8", "{\"settings\": {\"hue\": 3, \"h\xff\": 1}}"},
      {"ini without record", "[BOARD]\r\nOther=1\r\n"},
      {"ini with bad checksum", "[BOARD]\r\nParam=" + std::string(176, '0') + "01\r\n"},
      {"empty", ""},
      {"100 MB", std::string(100 << 20, ' ')},
      {"NUL in a duplicate key", R"({"settings": {"contrast": 1, "contrast\u0000": 200}})"},
      {"NUL in a key", R"({"settings": {"contrast\u0000anything": 200}})"},
      {"NUL in a word", R"({"settings": {"video-source": "sdi\u0000"}})"},
      {"UTF-16 of an odd length", std::string("\xFF\xFE{\0}", 5)},
      {"ini out of range", kOutOfRangeIni},
  };
  for (const auto& f : kFiles) {
    SCOPED_TRACE(f.what);
    const std::string path = Write("bad.json", f.bytes);
    KorvSim_ForgetCalls();
    const Result r = Run({"apply", path});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
    EXPECT_EQ(SimCalls(), std::vector<std::string>());
  }
  EXPECT_NE(Run({"apply", Write("bad.json", "{\"settings\":\n{\"hue\": 256}}")}).err.find("line 2: hue"),
            std::string::npos);
  // Lines end at CR, LF or CRLF alike.
  EXPECT_NE(Run({"apply", Write("bad.json", "{\r\"settings\":\r\n{\r\"hue\": 256}}")}).err.find("line 4: hue"),
            std::string::npos);
  // Every setting the table does not take is named.
  const std::string err = Run({"apply", Write("range.ini", kOutOfRangeIni)}).err;
  for (const char* name : {"video-source", "contrast", "brightness"}) EXPECT_NE(err.find(name), std::string::npos) << err;
  // Nothing that is no regular file is read or written, so nothing waits:
  // each is refused before a board is asked.
#ifdef _WIN32
  HANDLE pipe =
      CreateNamedPipeW(L"\\\\.\\pipe\\korvctl-no-writer", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  const std::vector<std::string> devices = {"COM1", "AUX", "\\\\.\\COM1", "\\\\.\\pipe\\korvctl-no-writer", dir_};
#else
  ASSERT_EQ(mkfifo((dir_ + "fifo").c_str(), 0600), 0);
  const std::vector<std::string> devices = {dir_ + "fifo", "/dev/null", dir_};
#endif
  for (const std::string& device : devices)
    for (const std::vector<std::string>& line :
         std::vector<std::vector<std::string>>{{"apply", device},
                                               {"picture", "alpha", "--file", device},
                                               {"defaults", "save", "--file", device},
                                               {"defaults", "restore", "--file", device},
                                               {"report", "--out", device}}) {
      SCOPED_TRACE(line[0] + " " + device);
      const auto start = std::chrono::steady_clock::now();
      KorvSim_ForgetCalls();
      EXPECT_EQ(Run(line).status, 2);
      EXPECT_EQ(SimCalls(), std::vector<std::string>());
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
#ifdef _WIN32
  CloseHandle(pipe);
#endif
  EXPECT_EQ(Run({"apply", dir_ + "missing.json"}).status, 2);
  // What Windows PowerShell 5.1 ('>') and Notepad write: show --json saved
  // as UTF-16 or UTF-8 with a byte-order mark is the JSON it holds.
  const std::string json = R"({"board": 0, "settings": {"hue": {"code": 3, "word": null}}})";
  std::string utf16 = "\xFF\xFE";
  for (char c : json) utf16 += std::string(1, c) + '\0';
  for (const std::string& bytes : {utf16, "\xEF\xBB\xBF" + json}) {
    KorvSim_Reset();
    EXPECT_EQ(Run({"apply", Write("bom.json", bytes)}).status, 0);
    EXPECT_EQ(SetterCalls(), std::vector<std::string>{"Orbel_SetHue(3, 0) = 1"});
  }
  EXPECT_EQ(Run({"apply", Write("ok.json", kSite), "--file", "x"}).status, 2);
}

// A DLGTEMPLATEEX with these controls, as a resource compiler writes one.
std::string DialogBytes(const std::vector<std::pair<int, std::u16string>>& controls) {
  std::string bytes;
  const auto word = [&](uint32_t w) { bytes += char(w & 0xFF), bytes += char(w >> 8 & 0xFF); };
  const auto dword = [&](uint32_t d) { word(d & 0xFFFF), word(d >> 16); };
  const auto text = [&](const std::u16string& t) {
    for (char16_t c : t) word(c);
    word(0);
  };
  word(1), word(0xFFFF), dword(0), dword(0), dword(0x40 /* DS_SETFONT */), word(uint32_t(controls.size()));
  for (int i = 0; i < 4; ++i) word(10);
  word(0), word(0), text(u"Title"), word(11), word(400), word(0), text(u"MS Sans Serif");
  for (const auto& [id, caption] : controls) {
    while (bytes.size() % 4) bytes += '\0';
    for (int i = 0; i < 3; ++i) dword(0);
    for (int i = 0; i < 4; ++i) word(5);
    dword(uint32_t(id)), word(0xFFFF), word(0x80), text(caption), word(0);
  }
  return bytes;
}

TEST_F(Korvctl, ListGivesEverySettingAsDataWithTheDialogsLabels) {
  englishDialog_ = DialogBytes({{-1, u"S&ync Mode"}, {IDC_SYNC_INTERNAL, u"Internal"}, {-1, u"Contrast"},
                                {IDC_CONTRAST_VALUE, u""}, {IDC_CONTRAST, u""}, {-1, u"R&&D"}, {IDC_HUE, u""}});
  chineseDialog_ = DialogBytes({{-1, u"\u540c\u6b65\u6a21\u5f0f(&Y)"}, {IDC_SYNC_INTERNAL, u"x"}});
  KorvSim_ForgetCalls();
  const Result r = Run({"list", "--json"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(SimCalls(), std::vector<std::string>());
  const JsonValue list = Parsed(r.out);
  // A setting of the list by its name.
  const auto named = [](const JsonValue& document, const char* name) -> const JsonValue& {
    static const JsonValue none;
    for (const JsonValue& s : Path(document, {"settings"})->items)
      if (Path(s, {"name"})->text == name) return s;
    ADD_FAILURE() << "no " << name << " in the list";
    return none;
  };
  EXPECT_EQ(Code(list, {"schema"}), 1);
  ASSERT_EQ(Path(list, {"settings"})->items.size(), 20u);
  const JsonValue& sync = *Path(list, {"settings", "0"});  // the table's first
  EXPECT_EQ(Path(sync, {"name"})->text, "sync-source");
  EXPECT_EQ(Path(sync, {"device"})->text, "InnerOrExtraSync");
  EXPECT_EQ(Path(sync, {"words", "2", "word"})->text, "video-input");
  EXPECT_EQ(Code(sync, {"factory", "code"}), 2);
  EXPECT_EQ(Path(sync, {"labels", "en"})->text, "Sync Mode");
  EXPECT_EQ(Path(sync, {"labels", "zh"})->text, "\xe5\x90\x8c\xe6\xad\xa5\xe6\xa8\xa1\xe5\xbc\x8f");
  const JsonValue& contrast = named(list, "contrast");
  EXPECT_EQ(Path(contrast, {"name"})->text, "contrast");
  EXPECT_EQ(Code(contrast, {"max"}), 255);
  EXPECT_EQ(Path(contrast, {"labels", "en"})->text, "Contrast");
  EXPECT_TRUE(Path(contrast, {"labels", "zh"})->Is(JsonValue::Type::Null));
  EXPECT_EQ(Path(named(list, "hue"), {"labels", "en"})->text, "R&D");
  EXPECT_EQ(Path(named(list, "sdi-sub-board"), {"settable"})->boolean, false);
  // Bytes that are no template give no labels, and list still works.
  for (const std::string& bad : {std::string(), englishDialog_.substr(0, 60), std::string(40, '\xff')}) {
    englishDialog_ = bad;
    const Result none = Run({"list", "--json"});
    ASSERT_EQ(none.status, 0);
    EXPECT_TRUE(Path(Parsed(none.out), {"settings", "0", "labels", "en"})->Is(JsonValue::Type::Null));
  }
#ifdef _WIN32
  // The real templates of korvcfg.dll beside the test.
  HMODULE module = LoadLibraryExW((ProgramFolder() + L"korvcfg.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(module);
  const auto bytes = [&](int id, WORD language) {
    HRSRC found = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(id), language);
    return std::string(static_cast<const char*>(LockResource(LoadResource(module, found))), SizeofResource(module, found));
  };
  englishDialog_ = bytes(IDD_CONFIG_ENGLISH, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  chineseDialog_ = bytes(IDD_CONFIG_CHINESE, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
  FreeLibrary(module);
  const JsonValue real = Parsed(Run({"list", "--json"}).out);
  EXPECT_EQ(Path(real, {"settings", "0", "labels", "en"})->text, "Sync Mode");
  EXPECT_EQ(Path(real, {"settings", "0", "labels", "zh"})->text, "\xe5\x90\x8c\xe6\xad\xa5\xe6\xa8\xa1\xe5\xbc\x8f");
  EXPECT_EQ(Path(named(real, "brightness"), {"labels", "en"})->text, "Light");
  EXPECT_TRUE(Path(named(real, "sdi-sub-board"), {"labels", "en"})->Is(JsonValue::Type::Null));
#endif
}

TEST_F(Korvctl, SetSendsInTheApplyOrderWithSyncAndLockLast) {
  KorvSim_ForgetCalls();
  EXPECT_EQ(
      Run({"set", "lock-mode=tv", "sync-source=external", "hue=7", "video-source=yuv", "tv-standard=ntsc"}).status, 0);
  EXPECT_EQ(SetterCalls(), (std::vector<std::string>{"Orbel_SetCmpsOrSvideo(2, 0) = 1", "Orbel_SetVideoMode(0, 0) = 1",
                                                     "Orbel_SetHue(7, 0) = 1", "Orbel_SetInnerOrExtraSync(1, 0) = 1",
                                                     "Orbel_SetTVORVTR(1, 0) = 1"}));
  EXPECT_EQ(SimCalls().back(), "Orbel_Close(0) = 1");
}

TEST_F(Korvctl, RefusalsAreReportedWithStatusOneAndTheRestIsStillSent) {
  Sim("KORVSIM_SUBBOARD", "none");
  KorvSim_ForgetCalls();
  const Result r = Run({"set", "video-source=sdi", "hue=9"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "korvctl: board 0 refused video-source = sdi (3); applied hue = 9\n");
  EXPECT_EQ(KorvSim_Peek("Hue", 0), 9);

  Sim("KORVSIM_FAIL_SETTER", "InnerOrExtraSync,TVORVTR");
  const Result factory = Run({"defaults", "factory"});
  EXPECT_EQ(factory.status, 1);
  EXPECT_NE(factory.err.find("refused sync-source = video-input (2)"), std::string::npos) << factory.err;
  EXPECT_NE(factory.err.find("refused lock-mode = vtr (0)"), std::string::npos) << factory.err;
}

// korvctl --help lists every command with the synopsis its own --help
// begins with.
TEST_F(Korvctl, HelpListsEveryCommandWithItsSynopsis) {
  const Result usage = Run({"--help"});
  ASSERT_EQ(usage.status, 0);
  for (const std::string name : {"boards", "show", "get", "set", "defaults", "picture", "apply", "report", "list",
                                 "profile"}) {
    const Result own = Run({name, "--help"});
    ASSERT_EQ(own.status, 0) << name;
    const std::string synopsis = own.out.substr(0, own.out.find('\n')).substr(std::string("usage: korvctl ").size());
    EXPECT_EQ(own.out.rfind("usage: korvctl " + name + " ", 0), 0u) << own.out;
    const size_t listed = usage.out.find("\n  " + synopsis);
    ASSERT_NE(listed, std::string::npos) << name << " is not in korvctl --help:\n" << usage.out;
    EXPECT_TRUE(std::isspace(static_cast<unsigned char>(usage.out[listed + 3 + synopsis.size()]))) << synopsis;
  }
}

TEST_F(Korvctl, BadCommandLinesEndWithStatusTwoAndSendNothing) {
  const std::vector<std::vector<std::string>> lines = {
      {},
      {"frobnicate"},
      {"set"},
      {"set", "video-source"},
      {"set", "video-source=cvbs3"},
      {"set", "video-source=4"},
      {"set", "hue=256"},
      {"set", "hue=-1"},
      {"set", "hue=99999999999999999999"},
      {"set", "hue=1e3"},
      {"set", "hue="},
      {"set", "colour=1"},
      {"set", "sdi-sub-board=present"},
      {"set", "hue=1", "hue=2"},
      {"set", "--board", "-1", "hue=1"},
      {"set", "--board", "99999999999", "hue=1"},
      {"set", "--board"},
      {"show", "--all-boards"},
      {"show", "--frob"},
      {"defaults"},
      {"defaults", "load"},
      {"defaults", "save", "--all-boards"},
      {"picture", "bars"},
      {"picture", "clear", "--file", "x.tga"},
      {"get"},
      {"get", "hue", "colour"},
      {"get", "hue", "--all-boards"},
      {"boards", "--version"},
      {"--version", "--json"},
  };
  for (const auto& line : lines) {
    std::string text;
    for (const std::string& a : line) text += a + " ";
    SCOPED_TRACE(text);
    KorvSim_ForgetCalls();
    const Result r = Run(line);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err, "");
    EXPECT_EQ(SimCalls(), std::vector<std::string>());
  }
  const Result version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(version.out, std::regex("korvctl [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
  // A board at or above the count: only counted.
  KorvSim_ForgetCalls();
  EXPECT_EQ(Run({"set", "--board", "1", "hue=1"}).status, 2);
  EXPECT_EQ(SimCalls(), std::vector<std::string>{"Orbel_GetCardNum() = 1"});
  // The valid choices are listed.
  EXPECT_NE(Run({"set", "video-source=4"}).err.find("cvbs1 (0), yc (1), yuv (2), sdi (3), cvbs2 (5)"),
            std::string::npos);
}

TEST_F(Korvctl, AbsurdCountsAndBoardsThatDoNotOpenAreStatusOne) {
  for (const char* count : {"0", "-3", "257", "2147483647"}) {
    SCOPED_TRACE(count);
    Sim("KORVSIM_REPORTED_COUNT", count);
    const Result r = Run({"boards"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err, "");
    // JSON all the same, with no board in it.
    const Result json = Run({"boards", "--json"});
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(Path(Parsed(json.out), {"boards"})->items.size(), 0u);
  }
  SetSimEnvironment("KORVSIM_REPORTED_COUNT", nullptr);
  Sim("KORVSIM_BOARDS", "3");
  Sim("KORVSIM_FAIL_OPEN", "1");
  const Result boards = Run({"boards", "--json"});
  EXPECT_EQ(boards.status, 1);
  EXPECT_EQ(boards.out,
            "{\"count\": 3, \"boards\": [{\"index\": 0, \"opens\": true, \"type\": 5632, \"sdiSubBoard\": "
            "true}, {\"index\": 1, \"opens\": false, \"type\": null, \"sdiSubBoard\": null}, {\"index\": 2, "
            "\"opens\": true, \"type\": 5632, \"sdiSubBoard\": true}]}\n");
  // The start-up command goes on past the board that does not open.
  KorvSim_ForgetCalls();
  const Result restore = Run({"defaults", "restore", "--all-boards"});
  EXPECT_EQ(restore.status, 1);
  EXPECT_EQ(restore.err, "korvctl: board 1 cannot be opened\n");
  EXPECT_EQ(KorvSim_Peek("CapVideoSrc", 0), 1);
  EXPECT_EQ(KorvSim_Peek("InnerOrExtraSync", 2), 2);  // the factory value: Board.ini is missing
  EXPECT_EQ(KorvSim_Peek("InnerOrExtraSync", 0), 2);
  EXPECT_NE(restore.out.find("no defaults in " + dir_ + "Board.ini: factory values applied"), std::string::npos)
      << restore.out;
}

TEST_F(Korvctl, DefaultsAreSavedAndRestoredThroughBoardIni) {
  ASSERT_EQ(Run({"set", "video-source=cvbs2", "contrast=37"}).status, 0);
  ASSERT_EQ(Run({"defaults", "save"}).status, 0);
  EXPECT_EQ(Read("Board.ini").substr(0, 9), "[BOARD]\r\n");

  ASSERT_EQ(Run({"defaults", "factory"}).status, 0);
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 0);
  const Result restore = Run({"defaults", "restore"});
  ASSERT_EQ(restore.status, 0);
  EXPECT_NE(restore.out.find("restored the defaults of " + dir_ + "Board.ini"), std::string::npos) << restore.out;
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 5);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 37);

  // A file that cannot be written is told with its path.
  const Result unwritable = Run({"defaults", "save", "--file", dir_ + "missing/Board.ini"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find(dir_ + "missing/Board.ini"), std::string::npos);
}

// Names in any script: the command line's UTF-8 names that very file or
// profile, and a message names it as it was given.
TEST_F(Korvctl, FilesAndProfilesNamedInAnyScriptAreThoseFiles) {
  const std::string name = "\xE6\x9D\xBF\xE5\x8D\xA1 \xC3\xA9";  // 板卡 é
  ASSERT_EQ(Run({"set", "contrast=41"}).status, 0);
  const Result save = Run({"defaults", "save", "--file", dir_ + name + ".ini"});
  ASSERT_EQ(save.status, 0) << save.err;
  EXPECT_EQ(save.out, "board 0: saved to " + dir_ + name + ".ini\n");
  ASSERT_EQ(Run({"profile", "save", name}).status, 0);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Folder()))
    files.push_back(entry.path().filename().u8string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"Profiles", name + ".ini"}));
  EXPECT_EQ(Run({"profile", "list"}).out.rfind(name + "  ", 0), 0u) << "listed by its name";

  ASSERT_EQ(Run({"set", "contrast=9"}).status, 0);
  EXPECT_EQ(Run({"defaults", "restore", "--file", dir_ + name + ".ini"}).status, 0);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 41);
}

// A profile is saved from the board, listed with how it differs, shown,
// applied (a second time changes nothing) and deleted; a name Windows
// could not keep writes nothing and sends nothing.
TEST_F(Korvctl, ProfilesAreSavedListedAppliedAndDeleted) {
  ASSERT_EQ(Run({"set", "video-source=yuv", "contrast=40"}).status, 0);
  const Result save = Run({"profile", "save", "studio"});
  ASSERT_EQ(save.status, 0) << save.err;
  EXPECT_EQ(Read("Profiles/studio.ini").substr(0, 9), "[BOARD]\r\n") << "Board.ini's encoding";
  EXPECT_NE(Run({"profile", "show", "studio"}).out.find("video-source = yuv (2)"), std::string::npos);

  ASSERT_EQ(Run({"set", "video-source=cvbs1", "contrast=41"}).status, 0);
  const Result list = Run({"profile", "list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.out.find("studio"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("differs in video-source, contrast"), std::string::npos) << list.out;

  KorvSim_ForgetCalls();
  EXPECT_EQ(Run({"profile", "apply", "studio", "--check"}).status, 3);
  EXPECT_EQ(SetterCalls(), std::vector<std::string>()) << "a check sends nothing";
  ASSERT_EQ(Run({"profile", "apply", "studio"}).status, 0);
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 2);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 40);
  KorvSim_ForgetCalls();
  EXPECT_EQ(Run({"profile", "apply", "studio"}).status, 0);
  EXPECT_EQ(SetterCalls(), std::vector<std::string>()) << "nothing differs the second time";

  EXPECT_EQ(Run({"profile", "delete", "studio"}).status, 0);
  EXPECT_EQ(Run({"profile", "show", "studio"}).status, 2);
  EXPECT_EQ(Run({"profile", "delete", "studio"}).status, 2);

  KorvSim_ForgetCalls();
  for (const char* name : {"../escape", "a\\b", "CON", "com1.ini", "studio.", "trailing ", "x:y", ""}) {
    const Result bad = Run({"profile", "save", name});
    EXPECT_EQ(bad.status, 2) << name;
    EXPECT_NE(bad.err.find("nothing was written"), std::string::npos) << bad.err;
  }
  EXPECT_EQ(SimCalls(), std::vector<std::string>()) << "no board asked for a bad name";
  EXPECT_EQ(Run({"profile", "list"}).out, "no profiles in " + dir_ + "Profiles" + dir_.back() + "\n");
#ifndef _WIN32
  // A Profiles folder that leads back to korvctl's own: the profile Board
  // would be Board.ini.
  std::filesystem::remove_all(dir_ + "Profiles");
  std::filesystem::create_directory_symlink(dir_, dir_ + "Profiles");
  Write("Board.ini", "[BOARD]\r\n");
  EXPECT_EQ(Run({"profile", "save", "Board"}).status, 2);
  EXPECT_EQ(Read("Board.ini"), "[BOARD]\r\n");
#endif
}

// A save or a removal that fails is status 1 with the system's reason, and
// the file stays as it was; the board opened for a save is closed.
TEST_F(Korvctl, FailedSavesAndRemovalsSayWhyAndKeepTheFile) {
  namespace fs = std::filesystem;
  ASSERT_EQ(Run({"profile", "save", "studio"}).status, 0);
  const std::string profile = Read("Profiles/studio.ini");
  fs::permissions(dir_ + "Profiles/studio.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ASSERT_EQ(Run({"set", "contrast=9"}).status, 0);
  KorvSim_ForgetCalls();
  const Result save = Run({"profile", "save", "studio"});
  EXPECT_EQ(save.status, 1);
  EXPECT_NE(save.err.find("read-only"), std::string::npos) << save.err;
  EXPECT_EQ(SimCalls().back(), "Orbel_Close(0) = 1");
  EXPECT_EQ(Read("Profiles/studio.ini"), profile);
#ifdef _WIN32
  // The read-only attribute keeps the profile from removal too.
  const Result removal = Run({"profile", "delete", "studio"});
  EXPECT_EQ(removal.status, 1);
  EXPECT_NE(removal.err.find("read-only"), std::string::npos) << removal.err;
  EXPECT_NE(Run({"profile", "list"}).out.find("studio"), std::string::npos);
  // Another program holds Board.ini open and shares nothing: the save
  // waits for it about a second, then says so.
  ASSERT_EQ(Run({"defaults", "save"}).status, 0);
  ASSERT_EQ(Run({"set", "contrast=10"}).status, 0);
  const std::string defaults = Read("Board.ini");
  HANDLE held =
      CreateFileW((folder_.Folder() / "Board.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Result busy = Run({"defaults", "save"});
  CloseHandle(held);
  EXPECT_EQ(busy.status, 1);
  EXPECT_NE(busy.err.find("in use by another program"), std::string::npos) << busy.err;
  EXPECT_EQ(Read("Board.ini"), defaults);
#endif
  fs::permissions(dir_ + "Profiles/studio.ini", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(Korvctl, PicturesAreTheDialogsPictures) {
  const ColorBarPattern patterns[] = {ColorBarPattern::Bars100_0_100_00, ColorBarPattern::Bars100_0_100_25,
                                      ColorBarPattern::Bars100_0_75_00};
  for (ColorBarPattern p : patterns) {
    ASSERT_EQ(Run({"picture", ColorBarCaption(p)}).status, 0);
    const std::vector<uint32_t> row = ExpectedBarRow(p);
    const std::vector<uint32_t> output = SimOutput(0);
    EXPECT_TRUE(std::equal(row.begin(), row.end(), output.begin() + 575 * 720)) << ColorBarCaption(p);
  }
  ASSERT_EQ(Run({"picture", "clear"}).status, 0);
  EXPECT_EQ(SimOutput(0), std::vector<uint32_t>(720 * 576, 0));

  const Result missing = Run({"picture", "alpha"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "korvctl: the picture " + dir_ + "TestAlpha.tga cannot be opened\n");
  ASSERT_EQ(Run({"picture", "alpha", "--file", ShippedAlphaPicture()}).status, 0);
  EXPECT_EQ(SimMemory(0), ExpectedAlphaTestFrame());
  // 18 bytes that promise 65535 x 65535 pixels.
  const Bytes header = TgaBytes(TgaHead(2, 65535, 65535, 32, 0x08));
  std::ofstream(dir_ + "TestAlpha.tga", std::ios::binary)
      .write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
  const Result huge = Run({"picture", "alpha"});
  EXPECT_EQ(huge.status, 1);
  EXPECT_NE(huge.err.find("larger than 4096 x 4096"), std::string::npos) << huge.err;
}

TEST_F(Korvctl, ReportReadsEveryBoardAndSendsNothing) {
  Sim("KORVSIM_BOARDS", "3");
  Sim("KORVSIM_FAIL_OPEN", "1");
  ASSERT_EQ(Run({"set", "video-source=cvbs2", "contrast=37"}).status, 0);
  ASSERT_EQ(Run({"defaults", "save"}).status, 0);
  ASSERT_EQ(Run({"set", "contrast=40"}).status, 0);
  KorvSim_Poke("Hue", 999, 2);  // a value no setter takes
  KorvSim_ForgetCalls();
  const Result r = Run({"report"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const std::string& call : SimCalls()) {
    EXPECT_TRUE(call.rfind("Orbel_Get", 0) == 0 || call.rfind("Orbel_Initial", 0) == 0 ||
                call.rfind("Orbel_Close", 0) == 0)
        << call;
  }
  const JsonValue report = Parsed(r.out);
  EXPECT_EQ(Code(report, {"count"}), 3);
  EXPECT_EQ(Code(report, {"boards", "0", "settings", "contrast", "code"}), 40);
  EXPECT_EQ(Code(report, {"boards", "0", "type"}), 0x1600);
  EXPECT_EQ(Code(report, {"boards", "2", "settings", "hue", "code"}), 999);
  EXPECT_EQ(Path(report, {"boards", "1", "opens"})->boolean, false);
  EXPECT_EQ(Path(report, {"boardIni", "valid"})->boolean, true);
  EXPECT_EQ(Code(report, {"boardIni", "record", "contrast", "code"}), 37);
  EXPECT_EQ(Path(report, {"boardIni", "record", "video-source", "word"})->text, "cvbs2");
  // Board 0 differs from the saved defaults in contrast alone.
  const JsonValue* differs = Path(report, {"boards", "0", "differsFromDefaults"});
  ASSERT_TRUE(differs);
  ASSERT_EQ(differs->members.size(), 1u);
  EXPECT_EQ(differs->members[0].first, "contrast");
  EXPECT_EQ(Code(*differs, {"contrast", "board", "code"}), 40);
  EXPECT_EQ(Code(*differs, {"contrast", "defaults", "code"}), 37);

  // --out writes the same document, and nothing else is written.
  ASSERT_EQ(Run({"report", "--out", dir_ + "report.json"}).status, 0);
  EXPECT_EQ(Read("report.json"), r.out);
  EXPECT_EQ(Run({"report", "--out", dir_ + "missing/report.json"}).status, 1);
  // Never over the defaults or a profile, however the name is spelled.
  ASSERT_EQ(Run({"profile", "save", "studio"}).status, 0);
  const std::string defaults = Read("Board.ini"), profile = Read("Profiles/studio.ini");
  std::vector<std::string> kept = {"Board.ini", "Profiles/studio.ini", "Profiles/new.json", "Profiles/../Board.ini"};
#ifdef _WIN32
  kept.insert(kept.end(), {"BOARD.INI", "Profiles\\STUDIO.INI"});
#endif
  for (const std::string& name : kept) EXPECT_EQ(Run({"report", "--out", dir_ + name}).status, 2) << name;
  EXPECT_EQ(Read("Board.ini"), defaults);
  EXPECT_EQ(Read("Profiles/studio.ini"), profile);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "Profiles/new.json"));
  for (const std::vector<std::string>& line :
       std::vector<std::vector<std::string>>{{"report", "x"}, {"report", "--board", "0"}, {"show", "--out", "x"}})
    EXPECT_EQ(Run(line).status, 2);
}

// Each Board.ini gets one answer from every command: defaults restore sends
// its whole record or, from a file that exists but gives none that may be
// sent, nothing (status 1 unreadable, 2 out of range); the report says the
// same; as a profile, list calls invalid what show refuses.
TEST_F(Korvctl, EachBoardIniGetsOneAnswerFromEveryCommand) {
  const std::string record = "[BOARD]\r\nParam=" + kFactoryEntry + "\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : record) utf16 += std::string(1, c) + '\0';
  const char* const kInvalid = "invalid: ";
  const struct {
    const char* what;
    std::optional<std::string> bytes;  // none: no file
    int restore;                       // defaults restore's status; 0 sends 19 setters, else none
    const char* listed;                // in its line of profile list
    const char* raw;                   // Param, where there is one
  } kFiles[] = {
      {"missing", std::nullopt, 0, nullptr, nullptr},
      {"a record", record, 0, "sync-source", kFactoryEntry.c_str()},
      {"UTF-16 with a mark", utf16, 0, "sync-source", kFactoryEntry.c_str()},
      {"UTF-8 with a mark", "\xEF\xBB\xBF" + record, 0, "sync-source", kFactoryEntry.c_str()},
      {"JSON", R"({"settings": {"contrast": 7}})", 1, "differs in contrast\n", nullptr},
      {"no key", "[BOARD]\r\nOther=1\r\n", 1, kInvalid, nullptr},
      {"an empty first section", "[BOARD]\r\n[BOARD]\r\nParam=" + kFactoryEntry + "\r\n", 1, kInvalid, nullptr},
      {"short", "[BOARD]\r\nParam=00FF\r\n", 1, kInvalid, "00FF"},
      {"not hex", "[BOARD]\r\nParam=" + std::string(178, 'G') + "\r\n", 1, kInvalid, nullptr},
      {"checksum", "[BOARD]\r\nParam=" + std::string(176, '0') + "01\r\n", 1, kInvalid, nullptr},
      {"0 bytes", "", 1, kInvalid, nullptr},
      {"88 NUL bytes", std::string(88, '\0'), 1, kInvalid, nullptr},
      {"UTF-16 without a mark", utf16.substr(2), 1, kInvalid, nullptr},
      {"2 MiB", std::string(2 << 20, ' '), 1, kInvalid, nullptr},
      {"out of range", kOutOfRangeIni, 2, kInvalid, kOutOfRangeEntry.c_str()},
  };
  for (const auto& f : kFiles) {
    SCOPED_TRACE(f.what);
    std::filesystem::remove(dir_ + "Board.ini");
    if (f.bytes) Write("Board.ini", *f.bytes);
    KorvSim_Reset();
    const bool valid = f.bytes && f.restore == 0;
    const JsonValue report = Parsed(Run({"report"}).out);
    EXPECT_EQ(Path(report, {"boardIni", "present"})->boolean, f.bytes.has_value());
    EXPECT_EQ(Path(report, {"boardIni", "valid"})->boolean, valid);
    EXPECT_EQ(Path(report, {"boardIni", "problem"})->Is(JsonValue::Type::Null), valid);
    EXPECT_EQ(Path(report, {"boardIni", "record"})->Is(JsonValue::Type::Null), !f.bytes || f.restore == 1);
    if (f.bytes) {
      EXPECT_EQ(Code(report, {"boardIni", "size"}), int32_t(f.bytes->size()));
    }
    if (f.raw) {
      EXPECT_EQ(Path(report, {"boardIni", "raw"})->text, f.raw);
    }
    // Board 0 at power-on is compared with what restoring would send, the
    // factory values here (its sync source, 0, is not theirs, 2), or with
    // nothing when restoring sends nothing.
    const JsonValue* differs = Path(report, {"boards", "0", "differsFromDefaults"});
    if (f.restore == 0)
      EXPECT_EQ(Code(*differs, {"sync-source", "defaults", "code"}), 2);
    else
      EXPECT_TRUE(differs->Is(JsonValue::Type::Null));

    KorvSim_ForgetCalls();
    EXPECT_EQ(Run({"defaults", "restore"}).status, f.restore);
    EXPECT_EQ(SetterCalls().size(), f.restore == 0 ? 19u : 0u);
    if (!f.listed) continue;

    std::filesystem::create_directory(dir_ + "Profiles");
    Write("Profiles/p.ini", *f.bytes);
    KorvSim_Reset();
    EXPECT_EQ(Run({"profile", "show", "p"}).status, f.listed == kInvalid ? 2 : 0);
    const std::string list = Run({"profile", "list"}).out;
    EXPECT_NE(list.find(f.listed), std::string::npos) << list;
    EXPECT_EQ(list.find(kInvalid) == std::string::npos, f.listed != kInvalid) << list;
  }
}

// A report as the simulator's state brings the same boards back: the second
// report is the first, byte for byte.
TEST_F(Korvctl, ASimulatorStartedFromAReportReportsTheSame) {
  Sim("KORVSIM_BOARDS", "3");
  Sim("KORVSIM_FAIL_OPEN", "2");
  Sim("KORVSIM_SUBBOARD", "1");
  ASSERT_EQ(Run({"set", "video-source=yc", "brightness=3", "pause-mode=second-field"}).status, 0);
  ASSERT_EQ(Run({"set", "--board", "1", "video-source=sdi", "audio-source=sdi", "sync-source=external"}).status, 0);
  KorvSim_Poke("LinePhase", 5, 1);
  const Result first = Run({"report", "--out", dir_ + "first.json"});
  ASSERT_EQ(first.status, 0);
  const std::string firstReport = Run({"report"}).out;

  for (const char* name : {"KORVSIM_BOARDS", "KORVSIM_FAIL_OPEN", "KORVSIM_SUBBOARD"}) SetSimEnvironment(name, nullptr);
  Sim("KORVSIM_STATE", (dir_ + "first.json").c_str());
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 1), 3);
  EXPECT_EQ(Run({"report"}).out, firstReport);

  // show --json as the state: that board, the ones before it at power-on.
  const Result shown = Run({"show", "--board", "1", "--json"});
  std::ofstream(dir_ + "show.json", std::ios::binary) << shown.out;
  Sim("KORVSIM_STATE", (dir_ + "show.json").c_str());
  EXPECT_EQ(Orbel_GetCardNum(), 2);
  EXPECT_EQ(KorvSim_Peek("InnerOrExtraSync", 1), 1);
  EXPECT_EQ(KorvSim_Peek("LinePhase", 1), 5);
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 0);
  EXPECT_EQ(Run({"set", "--board", "1", "audio-source=sdi"}).status, 0);  // the sub-board came with it
}

// The simulator's state file is read as korvctl writes it, by the same
// rules (the table's codes and words; text with a byte-order mark), from a
// regular file of its real size, in any folder; kept boards go back through
// the writer of Board.ini, whole and with no other file left.
TEST_F(Korvctl, TheSimulatorsStateFileFollowsTheRulesOfEveryFile) {
  const auto setPath = [](const char* name, const std::filesystem::path& path) {
#ifdef _WIN32
    SetEnvironmentVariableW(std::wstring(name, name + std::strlen(name)).c_str(), path.c_str());
#else
    setenv(name, path.c_str(), 1);
#endif
    KorvSim_Reset();
  };
  const std::string doc = R"({"board": 0, "settings": {"contrast": {"code": 7, "word": null}}})";
  std::string utf16 = "\xFF\xFE";
  for (char c : doc) utf16 += std::string(1, c) + '\0';
  const std::filesystem::path folder = folder_.Folder() / std::filesystem::u8path("\xE6\x9D\xBF\xE5\x8D\xA1");
  std::filesystem::create_directory(folder);
  const std::filesystem::path path = folder / "state.json";
  const struct {
    const char* what;
    std::string bytes;
    uintmax_t size;  // 0: as written
    int contrast;    // 7: the file was taken; 128: power-on
  } kFiles[] = {
      {"plain, in a Chinese folder", doc, 0, 7},
      {"UTF-8 with a mark", "\xEF\xBB\xBF" + doc, 0, 7},
      {"UTF-16 with a mark", utf16, 0, 7},
      {"4 GiB more, sparse", doc, (uintmax_t(4) << 30) + doc.size(), 128},
      {"a code the table lacks", R"({"board": 0, "settings": {"contrast": {"code": 100000}}})", 0, 128},
      {"a NUL in a key", R"({"board": 0, "settings": {"contrast\u0000": {"code": 7}}})", 0, 128},
  };
  for (const auto& f : kFiles) {
    SCOPED_TRACE(f.what);
    { std::ofstream(path, std::ios::binary) << f.bytes; }
    if (f.size) std::filesystem::resize_file(path, f.size);
    setPath("KORVSIM_STATE", path);
    EXPECT_EQ(KorvSim_Peek("Contrast", 0), f.contrast);
    std::filesystem::remove(path);
  }
  { std::ofstream(path, std::ios::binary) << doc; }
  Sim("KORVSIM_KEEP", "1");
  setPath("KORVSIM_STATE", path);
  ASSERT_EQ(Run({"set", "contrast=9"}).status, 0);
  Sim("KORVSIM_KEEP", nullptr);
  setPath("KORVSIM_STATE", path);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 9);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path().filename().u8string());
  EXPECT_EQ(files, std::vector<std::string>{"state.json"});
  Sim("KORVSIM_STATE", nullptr);
}

}  // namespace
