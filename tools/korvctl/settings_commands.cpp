// korvctl boards, show, get, set and list: the boards and their settings by
// name, through the settings table.
#include <cstdint>
#include <optional>

#include "board_json.h"
#include "commands.h"
#include "korv_report.h"
#include "setting_json.h"
#include "setting_labels.h"
#include "setting_table.h"

namespace {

// The names of the settings, of all or only of those that can be set.
std::string Names(bool settableOnly) {
  std::vector<std::string> names;
  for (const BoardSetting& s : kBoardSettings)
    if (s.set || !settableOnly) names.push_back(s.name);
  return Listed(names, ", ");
}

// One setting as show prints it: name, word and code.
std::string SettingLine(const BoardSetting& s, int32_t value, bool reported) {
  std::string text = s.name;
  text.resize(18, ' ');
  if (!reported) {
    text += "not reported";
  } else if (s.wordCount) {
    const char* word = s.WordOf(value);
    std::string w = word ? word : "?";
    w.resize(14, ' ');
    text += w + "(" + std::to_string(value) + ")";
  } else {
    text += std::to_string(value);
  }
  return text + "\n";
}

}  // namespace

int BoardsCommand(Korvctl& k, const CommandLine& line) {
  if (!line.words.empty()) return k.Usage("boards takes no arguments");
  int reported = 0;
  const std::optional<int> count = k.BoardCount(&reported);
  if (!count) {
    // A script still gets its document: no board to list.
    if (line.Has(kJson)) k.out << "{\"count\": " << reported << ", \"boards\": []}\n";
    return kBoardFailed;
  }
  int status = kDone;
  std::string json;
  if (!line.Has(kJson)) k.out << "boards: " << *count << "\n";
  for (int index = 0; index < *count; ++index) {
    OpenBoard open(index);
    const BoardFacts board = ReadBoardFacts(open);
    k.Opened(open, status);
    json += std::string(index ? ", " : "") + BoardJson(board);
    if (line.Has(kJson)) continue;
    k.out << "board " << index << ": ";
    if (!board.opens) {
      k.out << "does not open\n";
      continue;
    }
    k.out << "opens, type " << (board.type ? std::to_string(*board.type) : "null") << ", sdi-sub-board "
          << (board.sdiSubBoard ? (*board.sdiSubBoard ? "present" : "absent") : "not reported") << "\n";
  }
  if (line.Has(kJson)) k.out << "{\"count\": " << *count << ", \"boards\": [" << json << "]}\n";
  return status;
}

int ShowCommand(Korvctl& k, const CommandLine& line) {
  if (!line.words.empty()) return k.Usage("show takes no arguments; korvctl get NAME... prints some settings");
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = k.OpenNamed(line, status);
  if (!board) return status;
  const int index = board->index();
  // Read in the board's read order, shown in the table's.
  const BoardReading reading = ReadBoard(index);
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    const BoardSetting& s = kBoardSettings[i];
    if (!reading.reported[i]) {
      k.err << "korvctl: board " << index << " did not report " << s.name << "\n";
      status = kBoardFailed;
    }
    if (!line.Has(kJson)) k.out << SettingLine(s, reading.values.*s.field, reading.reported[i]);
  }
  if (line.Has(kJson))
    k.out << "{\"board\": " << index << ", \"settings\": " << SettingsJson(reading.values, reading.reported) << "}\n";
  return status;
}

int GetCommand(Korvctl& k, const CommandLine& line) {
  if (line.words.empty()) return k.Usage("get takes the names of settings: " + Names(false));
  // Every name is checked before the board is asked.
  std::vector<const BoardSetting*> named;
  for (const std::string& name : line.words) {
    const BoardSetting* s = SettingNamed(name.c_str());
    if (!s) return k.Usage("unknown setting '" + name + "'; the settings are " + Names(false));
    named.push_back(s);
  }
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = k.OpenNamed(line, status);
  if (!board) return status;
  const int index = board->index();
  std::string json;
  for (const BoardSetting* s : named) {
    int value = 0;
    const bool reported = s->get(&value, index) != 0;
    if (!reported) {
      k.err << "korvctl: board " << index << " did not report " << s->name << "\n";
      status = kBoardFailed;
    }
    json += (json.empty() ? "" : ", ") + JsonString(s->name) + ": " +
            SettingValueJson(*s, reported ? std::optional<int32_t>(value) : std::nullopt);
    if (!line.Has(kJson)) k.out << SettingLine(*s, value, reported);
  }
  if (line.Has(kJson)) k.out << "{\"board\": " << index << ", \"settings\": {" << json << "}}\n";
  return status;
}

int SetCommand(Korvctl& k, const CommandLine& line) {
  if (line.words.empty()) return k.Usage("set takes NAME=VALUE pairs; the names are " + Names(true));
  // Every pair is checked before anything is sent.
  std::optional<int32_t> values[kBoardSettingCount];
  for (const std::string& pair : line.words) {
    const size_t eq = pair.find('=');
    if (eq == std::string::npos) return k.Usage("'" + pair + "' is not NAME=VALUE");
    const std::string name = pair.substr(0, eq), text = pair.substr(eq + 1);
    const BoardSetting* s = SettingNamed(name.c_str());
    if (!s || !s->set) {
      const std::string what = s ? name + " is reported by the board, not set" : "unknown setting '" + name + "'";
      return k.Usage(what + "; the settings are " + Names(true));
    }
    const std::optional<int32_t> code = SettingValue(*s, text);
    if (!code) return k.Usage("'" + text + "' is no value of " + name + ", which takes " + SettingChoices(*s));
    std::optional<int32_t>& slot = values[s - kBoardSettings];
    if (slot) return k.Usage(name + " is given twice");
    slot = code;
  }
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = k.OpenNamed(line, status);
  if (!board) return status;
  const int index = board->index();
  std::string applied, refused;
  for (const BoardSetting* s : ApplyOrder()) {
    const std::optional<int32_t>& value = values[s - kBoardSettings];
    if (!value) continue;
    std::string& list = s->set(*value, index) ? applied : refused;
    list += (list.empty() ? "" : ", ") + std::string(s->name) + " = " + ValueText(*s, *value);
  }
  if (refused.empty()) return status;
  // What the board took before and after a refusal is on it now.
  k.err << "korvctl: board " << index << " refused " << refused << "; "
        << (applied.empty() ? "nothing was applied" : "applied " + applied) << "\n";
  return kBoardFailed;
}

int ListCommand(Korvctl& k, const CommandLine& line) {
  if (!line.words.empty()) return k.Usage("list takes no arguments");
  BoardSettings factory;
  SetFactorySettings(factory);
  const std::vector<std::string> english = SettingLabels(k.context.englishDialog),
                                 chinese = SettingLabels(k.context.chineseDialog);
  const auto label = [](const std::string& text) { return text.empty() ? "null" : JsonString(text); };
  std::string json = "{\"schema\": 1, \"settings\": [";
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    const BoardSetting& s = kBoardSettings[i];
    std::string words;
    for (int w = 0; w < s.wordCount; ++w)
      words += std::string(w ? ", " : "") + "{\"code\": " + std::to_string(s.words[w].code) +
               ", \"word\": " + JsonString(s.words[w].word) + "}";
    const std::string range = s.wordCount ? "null" : std::to_string(s.min);
    json += std::string(i ? "," : "") + "\n  {\"name\": " + JsonString(s.name) + ", \"device\": " +
            JsonString(s.device) + ", \"settable\": " + (s.set ? "true" : "false") + ", \"words\": [" + words +
            "], \"min\": " + range + ", \"max\": " + (s.wordCount ? "null" : std::to_string(s.max)) +
            ", \"factory\": " + SettingValueJson(s, factory.*s.field) + ", \"labels\": {\"en\": " +
            label(english[i]) + ", \"zh\": " + label(chinese[i]) + "}}";
    if (line.Has(kJson)) continue;
    std::string text = s.name;
    text.resize(18, ' ');
    std::string device = s.device;
    device.resize(22, ' ');
    k.out << text << device << (s.set ? "" : "read only; ") << SettingChoices(s) << "; factory "
          << ValueText(s, factory.*s.field) << (english[i].empty() ? "" : "; \"" + english[i] + "\"") << "\n";
  }
  if (line.Has(kJson)) k.out << json << "]}\n";
  return kDone;
}
