#include "korv_report.h"

#include <algorithm>
#include <cstring>

#include "board_count.h"
#include "board_json.h"
#include "commands.h"
#include "file_store.h"
#include "json.h"
#include "korvio.h"
#include "open_board.h"
#include "profile_file.h"
#include "setting_json.h"

namespace {

#if defined(_WIN64)
constexpr char kArchitecture[] = "win64";
#elif defined(_WIN32)
constexpr char kArchitecture[] = "win32";
#else
constexpr char kArchitecture[] = "native";
#endif

std::string Text(const std::string& text) { return text.empty() ? "null" : JsonString(text); }
std::string Bool(bool value) { return value ? "true" : "false"; }

std::string FileJson(const FileFacts& file) {
  return "{\"path\": " + Text(file.path) + ", \"version\": " + Text(file.version) + ", \"problem\": " +
         Text(file.problem) + "}";
}

// Board.ini as the module reads it; defaults gets what restoring would apply.
std::string BoardIniJson(const std::filesystem::path& path, BoardSettings& defaults) {
  const std::optional<unsigned long long> size = FileSize(path);
  std::string text;
  const bool readable = size && *size <= kMaxProfileFileSize && ReadWholeFile(path, kMaxProfileFileSize, text);
  const std::optional<std::string> raw =
      readable ? ProfileValue(text, kSettingsSection, kSettingsKey) : std::optional<std::string>();
  const bool valid = LoadSettingsFile(path, defaults);
  return "{\"present\": " + Bool(size.has_value()) + ", \"size\": " + (size ? std::to_string(*size) : "null") +
         ", \"valid\": " + Bool(valid) + ", \"problem\": " + (valid ? "null" : JsonString(WhyNoRecord(size, raw, readable))) +
         ", \"raw\": " + (raw ? JsonString(*raw) : "null") +
         ", \"record\": " + (valid ? SettingsJson(defaults, nullptr) : "null") + "}";
}

// One board: whether it opens, type, sub-board, settings and what differs
// from the defaults.
std::string BoardReportJson(int index, const BoardSettings& defaults) {
  OpenBoard board(index);
  if (!board.IsOpen()) return BoardJson({index, false, {}, {}}, "null", ", \"differsFromDefaults\": null");
  const BoardFacts facts = ReadBoardFacts(board);
  const BoardReading reading = ReadBoard(index);
  std::string differs;
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    const BoardSetting& s = kBoardSettings[i];
    const int32_t value = reading.values.*s.field, stored = defaults.*s.field;
    if (!s.set || !reading.reported[i] || value == stored) continue;
    differs += std::string(differs.empty() ? "" : ", ") + JsonString(s.name) + ": {\"board\": " + SettingValueJson(s, value) +
               ", \"defaults\": " + SettingValueJson(s, stored) + "}";
  }
  return BoardJson(facts, SettingsJson(reading.values, reading.reported),
                   ",\n      \"differsFromDefaults\": {" + differs + "}");
}

}  // namespace

std::string WhyNoRecord(const std::optional<unsigned long long>& size, const std::optional<std::string>& raw,
                        bool readable) {
  if (!size) return "there is no Board.ini; the defaults are the factory values";
  if (*size > kMaxProfileFileSize) return "larger than 1 MiB, so not a settings file";
  if (!readable) return "cannot be read";
  if (!raw) return "no key Param in section [BOARD]";
  const size_t digits = 2 * sizeof(BoardSettings) + 2;
  if (raw->size() != digits)
    return "Param holds " + std::to_string(raw->size()) + " characters, not the " + std::to_string(digits) +
           " hex digits of a record";
  if (raw->find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
    return "Param holds characters that are not hex digits";
  return "Param's checksum does not match its record";
}

BoardFacts ReadBoardFacts(const OpenBoard& board) {
  BoardFacts facts{board.index(), board.IsOpen(), {}, {}};
  int type = 0, sub = 0;
  if (board.IsOpen() && Orbel_GetCardTypeNo(&type, board.index())) facts.type = type;
  if (board.IsOpen() && Orbel_GetSubBoardIfExist(&sub, board.index())) facts.sdiSubBoard = sub != 0;
  return facts;
}

BoardReading ReadBoard(int index) {
  BoardReading reading;
  std::fill(std::begin(reading.reported), std::end(reading.reported), true);
  for (const BoardSetting* s : ReadAllSettings(index, reading.values)) reading.reported[s - kBoardSettings] = false;
  return reading;
}

std::string SettingsJson(const BoardSettings& values, const bool* reported) {
  return SettingsJsonOf([&](size_t i) {
    return !reported || reported[i] ? std::optional<int32_t>(values.*kBoardSettings[i].field) : std::nullopt;
  });
}

std::string ReportJson(const SystemFacts& facts, bool deviceLibraryBound, const std::filesystem::path& boardIni) {
  BoardSettings defaults;
  std::string json = "{\"report\": 1,\n  \"korvctl\": " + FileJson(facts.korvctl) + ",\n  \"architecture\": \"" +
                     kArchitecture + "\",\n  \"korvcfg\": " + FileJson(facts.korvcfg) +
                     ",\n  \"windowsVersion\": " + Text(facts.windowsVersion) +
                     ",\n  \"deviceLibrary\": " + FileJson(facts.deviceLibrary) + ",\n  \"moduleFolder\": {\"path\": " +
                     Text(facts.moduleFolder) + ", \"writable\": " +
                     (facts.folderWritable ? Bool(*facts.folderWritable) : "null") +
                     "},\n  \"boardIni\": " + BoardIniJson(boardIni, defaults);
  if (!deviceLibraryBound) return json + ",\n  \"count\": null, \"countProblem\": \"no device library\", \"boards\": []}\n";
  const int reported = Orbel_GetCardNum();
  json += ",\n  \"count\": " + std::to_string(reported);
  const std::optional<int> count = CheckedBoardCount(reported);
  if (!count) return json + ", \"countProblem\": \"the device library reports a count no machine has\", \"boards\": []}\n";
  json += ", \"countProblem\": null,\n  \"boards\": [";
  for (int index = 0; index < *count; ++index)
    json += std::string(index ? "," : "") + "\n    " + BoardReportJson(index, defaults);
  return json + "]}\n";
}

int ReportCommand(Korvctl& k, const CommandLine& line) {
  if (!line.words.empty()) return k.Usage("report takes no arguments");
  SystemFacts facts;
  facts.moduleFolder = k.context.directory.u8string();
  if (k.context.systemFacts) k.context.systemFacts(facts);
  if (k.context.deviceLibraryProblem) facts.deviceLibrary.problem = k.context.deviceLibraryProblem;
  const std::string report = ReportJson(facts, !k.context.deviceLibraryProblem, k.context.directory / "Board.ini");
  if (!line.Has(kOut)) {
    k.out << report;
    return kDone;
  }
  if (!ReplaceWholeFile(std::filesystem::u8path(line.out), report)) {
    k.err << "korvctl: cannot write the report to " << k.Shown(line.out) << "\n";
    return kFileFailed;
  }
  k.out << "report written to " << k.Shown(line.out) << "\n";
  return kDone;
}
