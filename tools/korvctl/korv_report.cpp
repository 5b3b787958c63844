#include "korv_report.h"

#include <algorithm>

#include "board_count.h"
#include "board_json.h"
#include "commands.h"
#include "file_store.h"
#include "json.h"
#include "korvio.h"
#include "open_board.h"
#include "setting_json.h"
#include "wanted_settings.h"

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

// Board.ini as the module reads it; defaults gets what restoring would
// apply: the file's record, the factory values when there is no file, and
// nothing when it exists but gives no record that may be sent.
std::string BoardIniJson(const std::filesystem::path& path, std::optional<BoardSettings>& defaults) {
  const SettingsFileReading reading = ReadSettingsFile(path);
  const bool present = reading.state != SettingsFileState::kMissing;
  const std::optional<std::string> problem =
      present ? NothingToSend(reading) : "there is no Board.ini; the defaults are the factory values";
  if (!present || !problem) defaults = reading.record;
  const std::optional<unsigned long long> size =
      reading.problem == SettingsFileProblem::kNotAFile ? std::nullopt : FileSize(path);
  const bool record = reading.state == SettingsFileState::kRecord;
  return "{\"present\": " + Bool(present) + ", \"size\": " + (size ? std::to_string(*size) : "null") +
         ", \"valid\": " + Bool(!problem) + ", \"problem\": " + (problem ? JsonString(*problem) : "null") +
         ", \"raw\": " + (reading.raw ? JsonString(*reading.raw) : "null") +
         ", \"record\": " + (record ? SettingsJson(reading.record, nullptr) : "null") + "}";
}

// One board: whether it opens, type, sub-board, settings and what differs
// from the defaults (null when there are none to restore).
std::string BoardReportJson(int index, const std::optional<BoardSettings>& defaults) {
  OpenBoard board(index);
  if (!board.IsOpen()) return BoardJson({index, false, {}, {}}, "null", ", \"differsFromDefaults\": null");
  const BoardFacts facts = ReadBoardFacts(board);
  const BoardReading reading = ReadBoard(index);
  std::string differs;
  for (size_t i = 0; defaults && i < kBoardSettingCount; ++i) {
    const BoardSetting& s = kBoardSettings[i];
    const int32_t value = reading.values.*s.field, stored = *defaults.*s.field;
    if (!s.set || !reading.reported[i] || value == stored) continue;
    differs += std::string(differs.empty() ? "" : ", ") + JsonString(s.name) + ": {\"board\": " + SettingValueJson(s, value) +
               ", \"defaults\": " + SettingValueJson(s, stored) + "}";
  }
  return BoardJson(facts, SettingsJson(reading.values, reading.reported),
                   ",\n      \"differsFromDefaults\": " + (defaults ? "{" + differs + "}" : std::string("null")));
}

}  // namespace

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
  std::optional<BoardSettings> defaults;
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
  const std::filesystem::path out = std::filesystem::u8path(line.out);
  if (line.Has(kOut) && (k.RefusesNoFile(out, "written") || k.RefusesKeptFile(out))) return kBadCommandLine;
  SystemFacts facts;
  facts.moduleFolder = k.context.directory.u8string();
  if (k.context.systemFacts) k.context.systemFacts(facts);
  if (k.context.deviceLibraryProblem) facts.deviceLibrary.problem = k.context.deviceLibraryProblem;
  const std::string report = ReportJson(facts, !k.context.deviceLibraryProblem, k.context.directory / "Board.ini");
  if (!line.Has(kOut)) {
    k.out << report;
    return kDone;
  }
  FileFailure why = FileFailure::kNone;
  if (!ReplaceWholeFile(out, report, &why)) {
    k.err << "korvctl: cannot write the report to " << k.Shown(out) << ": " << FileFailureText(why) << "\n";
    return kFileFailed;
  }
  k.out << "report written to " << k.Shown(out) << "\n";
  return kDone;
}
