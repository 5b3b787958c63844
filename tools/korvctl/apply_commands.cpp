// korvctl apply and defaults: boards brought to a file's settings, to the
// user's defaults or to the factory values, and the defaults saved.
#include <cstdint>
#include <iterator>
#include <optional>

#include "commands.h"
#include "file_store.h"
#include "korv_report.h"
#include "setting_json.h"
#include "setting_table.h"

namespace {

// What became of one wanted setting on one board, and its word in the
// report.
enum class Outcome { kUnchanged, kChanged, kRefused, kDrifted, kDiffers };
constexpr const char* kOutcomeWords[] = {"unchanged", "changed", "refused", "drifted", "differs"};

// One board brought to what is wanted, or only compared with it.
struct BoardResult {
  BoardReading before, after;
  bool differs[kBoardSettingCount] = {};  // wanted, and not what the board had
  bool refused[kBoardSettingCount] = {};  // sent, and refused
  Outcome outcomes[kBoardSettingCount] = {};  // of each wanted setting
  int counts[std::size(kOutcomeWords)] = {};
  bool changed = false;  // something the board took differs from before

  int Count(Outcome outcome) const { return counts[int(outcome)]; }
};

// Which wanted settings the board does not have.
void Diff(const WantedSettings& wanted, BoardResult& r) {
  for (size_t i = 0; i < kBoardSettingCount; ++i) r.differs[i] = Differs(r.before, wanted, i);
}

// Sends what differs, in the apply order, and notes what the board refused.
void SendDiffering(int index, const WantedSettings& wanted, BoardResult& r) {
  for (const BoardSetting* s : ApplyOrder()) {
    const size_t i = size_t(s - kBoardSettings);
    if (r.differs[i]) r.refused[i] = !s->set(*wanted.values[i], index);
  }
}

// What became of wanted setting i, from what was sent and what the board
// reports now.
Outcome Classify(const WantedSettings& wanted, const BoardResult& r, size_t i, bool check) {
  if (check) return r.differs[i] ? Outcome::kDiffers : Outcome::kUnchanged;
  const bool matches = r.after.reported[i] && r.after.values.*kBoardSettings[i].field == *wanted.values[i];
  return r.refused[i] ? Outcome::kRefused
         : !matches   ? Outcome::kDrifted
         : r.differs[i] ? Outcome::kChanged
                        : Outcome::kUnchanged;
}

BoardResult BringBoard(int index, const WantedSettings& wanted, bool check) {
  BoardResult r;
  r.before = ReadBoard(index);
  Diff(wanted, r);
  if (!check) SendDiffering(index, wanted, r);
  r.after = check ? r.before : ReadBoard(index);
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    if (!wanted.values[i]) continue;
    r.outcomes[i] = Classify(wanted, r, i, check);
    ++r.counts[int(r.outcomes[i])];
    r.changed |= r.differs[i] && !r.refused[i];
  }
  return r;
}

std::string ReadText(const BoardReading& reading, size_t i) {
  const BoardSetting& s = kBoardSettings[i];
  return reading.reported[i] ? ValueText(s, reading.values.*s.field) : "not reported";
}
std::string ReadJson(const BoardReading& reading, size_t i) {
  const BoardSetting& s = kBoardSettings[i];
  return SettingValueJson(s, reading.reported[i] ? std::optional<int32_t>(reading.values.*s.field) : std::nullopt);
}

// A line for each wanted setting that is not unchanged, then the sums.
void PrintBoard(std::ostream& out, int index, const WantedSettings& wanted, const BoardResult& r, bool check) {
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    if (!wanted.values[i] || r.outcomes[i] == Outcome::kUnchanged) continue;
    const BoardSetting& s = kBoardSettings[i];
    const std::string value = ValueText(s, *wanted.values[i]);
    out << "board " << index << ": " << s.name << " " << kOutcomeWords[int(r.outcomes[i])];
    if (r.outcomes[i] == Outcome::kChanged)
      out << " from " << ReadText(r.before, i) << " to " << value << "\n";
    else if (r.outcomes[i] == Outcome::kDiffers)
      out << ": the board has " << ReadText(r.before, i) << ", the file " << value << "\n";
    else
      out << ": sent " << value << ", the board reports " << ReadText(r.after, i) << "\n";
  }
  const int matching = r.Count(Outcome::kUnchanged);
  out << "board " << index << ": ";
  if (check)
    out << r.Count(Outcome::kDiffers) << " differ, " << matching << " match\n";
  else if (!r.changed && !r.Count(Outcome::kRefused) && !r.Count(Outcome::kDrifted))
    out << "nothing changed; all " << matching << " settings match\n";
  else
    out << r.Count(Outcome::kChanged) << " changed, " << matching << " unchanged, " << r.Count(Outcome::kRefused)
        << " refused, " << r.Count(Outcome::kDrifted) << " drifted\n";
}

// The board's part of the JSON document.
std::string BoardDocument(int index, const WantedSettings& wanted, const BoardResult& r, bool check) {
  std::string settings;
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    if (!wanted.values[i]) continue;
    const BoardSetting& s = kBoardSettings[i];
    settings += std::string(settings.empty() ? "" : ", ") + JsonString(s.name) + ": {\"result\": \"" +
                kOutcomeWords[int(r.outcomes[i])] + "\", \"before\": " + ReadJson(r.before, i) +
                ", \"wanted\": " + SettingValueJson(s, *wanted.values[i]) +
                ", \"after\": " + (check ? "null" : ReadJson(r.after, i)) + "}";
  }
  return "{\"index\": " + std::to_string(index) + ", \"opens\": true, \"changed\": " + (r.changed ? "true" : "false") +
         ",\n    \"settings\": {" + settings + "}}";
}

// Sends a whole record to each board, as "Restore Default" does, and tells
// what each refused.
int SendWholeRecord(Korvctl& k, const std::vector<int>& boards, const BoardSettings& settings,
                    const std::string& done) {
  int status = kDone;
  for (int index : boards) {
    OpenBoard board(index);
    if (!k.Opened(board, status)) continue;
    const std::vector<const BoardSetting*> refused = ApplyAllSettings(index, settings);
    for (const BoardSetting* s : refused)
      k.err << "korvctl: board " << index << " refused " << s->name << " = " << ValueText(*s, settings.*s->field)
            << "\n";
    if (!refused.empty()) status = kBoardFailed;
    k.out << "board " << index << ": " << done << (refused.empty() ? "" : ", but for what it refused") << "\n";
  }
  return status;
}

int SaveDefaults(Korvctl& k, const CommandLine& line, const std::filesystem::path& path) {
  if (k.RefusesNoFile(path, "written")) return kBadCommandLine;
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = k.OpenNamed(line, status);
  if (!board) return status;
  status = SaveBoard(k, board->index(), path);
  if (status == kDone) k.out << "board " << board->index() << ": saved to " << k.Shown(path) << "\n";
  return status;
}

// Brings the boards to the defaults of path or to the factory values: the
// whole record, or with --verify what differs, read back. A file that
// exists but gives no record that may be sent sends nothing.
int SendDefaults(Korvctl& k, const CommandLine& line, const std::filesystem::path& path, bool factory) {
  BoardSettings settings = FactoryRecord();
  std::string done = "factory values applied";
  if (!factory) {
    if (k.RefusesNoFile(path, "sent")) return kBadCommandLine;
    const SettingsFileReading reading = ReadSettingsFile(path);
    if (const std::optional<std::string> nothing = NothingToSend(reading)) {
      k.err << "korvctl: " << k.Shown(path) << " gives no defaults: " << *nothing << "; nothing was sent\n";
      // What the board would not take is a wrong file; what cannot be read
      // is a file that failed.
      return reading.state == SettingsFileState::kRecord ? kBadCommandLine : kFileFailed;
    }
    settings = reading.record;
    done = reading.state == SettingsFileState::kMissing ? "no defaults in " + k.Shown(path) + ": factory values applied"
                                                        : "restored the defaults of " + k.Shown(path);
  }
  int status = kDone;
  const std::optional<std::vector<int>> boards = k.Targets(line, status);
  if (!boards) return status;
  if (!line.Has(kVerify)) return SendWholeRecord(k, *boards, settings, done);
  if (!line.Has(kJson)) k.out << done << "\n";
  return BringBoardsToWanted(k, *boards, WantedRecord(settings), false, line.Has(kJson));
}
int RestoreDefaults(Korvctl& k, const CommandLine& line, const std::filesystem::path& path) {
  return SendDefaults(k, line, path, false);
}
int FactoryDefaults(Korvctl& k, const CommandLine& line, const std::filesystem::path& path) {
  return SendDefaults(k, line, path, true);
}

struct DefaultsAction {
  const char* word;
  unsigned options;  // of the options of defaults, those it takes
  int (*run)(Korvctl& k, const CommandLine& line, const std::filesystem::path& path);
};
constexpr DefaultsAction kDefaultsActions[] = {
    {"save", kBoardOption | kFile, SaveDefaults},
    {"restore", kBoardOption | kAllBoards | kFile | kJson | kVerify, RestoreDefaults},
    {"factory", kBoardOption | kAllBoards | kJson | kVerify, FactoryDefaults},
};

}  // namespace

bool Differs(const BoardReading& board, const WantedSettings& wanted, size_t i) {
  const std::optional<int32_t>& value = wanted.values[i];
  return value && (!board.reported[i] || board.values.*kBoardSettings[i].field != *value);
}

int BringBoardsToWanted(Korvctl& k, const std::vector<int>& boards, const WantedSettings& wanted, bool check,
                        bool json) {
  int status = kDone;
  bool anyChanged = false;
  std::string documents;
  for (int index : boards) {
    if (!documents.empty()) documents += ",\n  ";
    OpenBoard board(index);
    if (!k.Opened(board, status)) {
      documents += "{\"index\": " + std::to_string(index) + ", \"opens\": false, \"changed\": false, \"settings\": null}";
      continue;
    }
    const BoardResult r = BringBoard(index, wanted, check);
    anyChanged |= r.changed;
    if (r.Count(Outcome::kRefused) || r.Count(Outcome::kDrifted)) status = kBoardFailed;
    if (r.Count(Outcome::kDiffers) && status == kDone) status = kDifferent;
    if (json)
      documents += BoardDocument(index, wanted, r, check);
    else
      PrintBoard(k.out, index, wanted, r, check);
  }
  if (json) k.out << "{\"changed\": " << (anyChanged ? "true" : "false") << ", \"boards\": [\n  " << documents << "]}\n";
  return status;
}

int SaveBoard(Korvctl& k, int index, const std::filesystem::path& path) {
  // A board that did not report its settings would put zeros over what the
  // file holds.
  BoardSettings settings;
  if (!ReadAllSettings(index, settings).empty()) {
    k.err << "korvctl: board " << index << " did not report its settings; " << k.Shown(path) << " was not changed\n";
    return kBoardFailed;
  }
  FileFailure why = FileFailure::kNone;
  if (!SaveSettingsFile(path, settings, &why)) {
    k.err << "korvctl: cannot write " << k.Shown(path) << ": " << FileFailureText(why) << "\n";
    return kFileFailed;
  }
  return kDone;
}

int ApplyCommand(Korvctl& k, const CommandLine& line) {
  if (line.words.size() != 1) return k.Usage("apply takes one FILE: a Board.ini or show --json output");
  // The file is checked whole before any board is asked.
  WantedSettings wanted;
  std::string problem;
  if (!ReadWantedSettings(std::filesystem::u8path(line.words[0]), wanted, problem))
    return k.Usage(k.Shown(line.words[0]) + ": " + problem + "; nothing was sent");
  int status = kDone;
  const std::optional<std::vector<int>> boards = k.Targets(line, status);
  if (!boards) return status;
  return BringBoardsToWanted(k, *boards, wanted, line.Has(kCheck), line.Has(kJson));
}

int DefaultsCommand(Korvctl& k, const CommandLine& line) {
  if (line.words.size() != 1) return k.Usage("defaults takes one of " + ListedWords(kDefaultsActions, " and "));
  const DefaultsAction* action = FindWord(kDefaultsActions, line.words[0]);
  if (!action)
    return k.Usage("defaults takes " + ListedWords(kDefaultsActions, " or ") + ", not '" + line.words[0] + "'");
  const std::string name = std::string("defaults ") + action->word;
  const unsigned refused = line.options & ~action->options;
  if (refused & kAllBoards) return k.Usage(name + " takes one board: the file holds one");
  if (refused & kFile) return k.Usage(name + " takes no file");
  if (refused & (kJson | kVerify)) return k.Usage(name + " takes no --json or --verify");
  if (line.Has(kJson) && !line.Has(kVerify)) return k.Usage("defaults restore and factory print JSON only with --verify");
  return action->run(k, line, line.Has(kFile) ? std::filesystem::u8path(line.file) : k.context.directory / "Board.ini");
}
