#include "korvctl.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <memory>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <new>
#include <optional>

#include "board_settings.h"
#include "file_store.h"
#include "korv_report.h"
#include "korvcfg_version.h"
#include "korvio.h"
#include "open_board.h"
#include "profiles.h"
#include "setting_json.h"
#include "setting_labels.h"
#include "setting_table.h"
#include "test_pictures.h"
#include "tga_reader.h"
#include "wanted_settings.h"

namespace {

const char kUsage[] =
    "usage: korvctl COMMAND [OPTIONS]\n"
    "       korvctl --version\n"
    "\n"
    "Commands (each with --help):\n"
    "  boards [--json]                        the boards, whether each opens, its type and SDI sub-board\n"
    "  show [--board N] [--json]              every setting of a board, by name, word and code\n"
    "  set [--board N] NAME=VALUE ...         changes settings; sync-source and lock-mode go last\n"
    "  defaults save|restore|factory [--board N | --all-boards] [--file PATH] [--verify]\n"
    "                                         the user's defaults in Board.ini, or the factory values\n"
    "  picture clear|100-0-100-00|100-0-100-25|100-0-75-00|alpha [--file TGA] [--board N]\n"
    "                                         a test picture on the board's output\n"
    "  apply FILE [--board N | --all-boards] [--check] [--json]\n"
    "                                         brings boards to a file's settings, sending what differs\n"
    "  report [--out FILE]                    everything support asks for, as one JSON document\n"
    "  list [--json]                          the settings as data: names, values, factory values, labels\n"
    "  profile save|apply|list|show|delete [NAME]\n"
    "                                         named settings in the Profiles folder beside korvctl\n"
    "\n"
    "Boards are numbered from 0; --board 0 is the default. Results go to standard output,\n"
    "messages to standard error.\n"
    "Exit status: 0 done; 1 a board refused a value or could not be opened, or a file was\n"
    "not written; 2 the command line or a file was wrong (nothing was sent to a board);\n"
    "3 apply --check found a board that differs from the file.\n";

const char kBoardsHelp[] =
    "usage: korvctl boards [--json]\n"
    "Counts the boards and opens each in turn: its index, whether it opens, its type number\n"
    "and whether the SDI sub-board is present. Status 1 when a board does not open.\n";
const char kShowHelp[] =
    "usage: korvctl show [--board N] [--json]\n"
    "Every setting of the board: its name, its word and its code, e.g.\n"
    "  video-source      cvbs2          (5)\n"
    "Status 1 when the board does not report a setting.\n";
const char kGetHelp[] =
    "usage: korvctl get [--board N] NAME... [--json]\n"
    "The named settings only, one line each as show prints them. The names are checked\n"
    "before the board is asked: an unknown one is status 2. Status 1 when the board does\n"
    "not report a setting.\n";
const char kApplyHelp[] =
    "usage: korvctl apply FILE [--board N | --all-boards] [--check] [--json]\n"
    "Brings the board to the settings FILE names: a Board.ini (any name), or JSON as show\n"
    "--json prints it, naming some or all settings by code, word or both. The file is\n"
    "checked first; the board is read, only the settings that differ are sent (sync-source\n"
    "and lock-mode last) and the board is read back. Each setting is reported as unchanged,\n"
    "changed, refused (the board said no) or drifted (the board took it but reports another\n"
    "value). --check sends nothing and lists what differs. --json prints one document:\n"
    "{\"changed\": true|false, \"boards\": [...]}.\n"
    "Exit status: 0 every board matches the file; 1 something was refused or drifted, or a\n"
    "board did not open; 2 a bad command line or file (nothing was sent); 3 with --check,\n"
    "a board differs from the file.\n";
const char kListHelp[] =
    "usage: korvctl list [--json]\n"
    "Every setting as data, from the module's settings table: its name, its device name, its\n"
    "words and codes or its range, its factory value, whether it can be set, and its label\n"
    "in the configuration dialog in English and in Simplified Chinese, from korvcfg.dll\n"
    "beside korvctl.exe (null when it is not there). The JSON carries \"schema\": 1. It asks\n"
    "no board.\n";
const char kDefaultsHelp[] =
    "usage: korvctl defaults save|restore|factory [--board N | --all-boards] [--file PATH]\n"
    "                                             [--verify [--json]]\n"
    "  save      reads the board's settings and writes them to the file\n"
    "  restore   applies the file's settings, or the factory values where it holds none\n"
    "  factory   applies the factory values\n"
    "The file is Board.ini beside korvctl.exe, which the configuration dialog shares, unless\n"
    "--file names another. At start-up: korvctl defaults restore --all-boards\n"
    "--verify (restore and factory) sends only what differs, reads the board back and\n"
    "reports each setting as apply does, --json as one document; status 1 when a setting\n"
    "was refused or drifted.\n";
const char kPictureHelp[] =
    "usage: korvctl picture clear|100-0-100-00|100-0-100-25|100-0-75-00|alpha [--file TGA] [--board N]\n"
    "  clear          blanks the output\n"
    "  100-0-...      sends that colour-bar frame\n"
    "  alpha          writes the alpha test frame into the board's frame memory, from\n"
    "                 TestAlpha.tga beside korvctl.exe or the file --file names\n";
const char kReportHelp[] =
    "usage: korvctl report [--out FILE]\n"
    "One JSON document for support: the versions of korvctl.exe, korvcfg.dll and the bound\n"
    "korvio.dll, the architecture and Windows version, the module's folder and whether it can\n"
    "be written, Board.ini (its bytes and its record), and every board: whether it opens, its\n"
    "type, SDI sub-board, every setting and how it differs from the defaults. It only reads:\n"
    "nothing is sent to a board. With --out it goes to FILE, else to standard output.\n"
    "Status 1 when FILE cannot be written.\n";

const char kProfileHelp[] =
    "usage: korvctl profile save|apply|show|delete NAME, or korvctl profile list\n"
    "Named settings in the Profiles folder beside korvctl.exe, one file NAME.ini each, in\n"
    "Board.ini's encoding (so one may be copied over Board.ini or given to apply).\n"
    "  save NAME [--board N]    writes the board's settings (the file replaced in one step)\n"
    "  apply NAME [--board N | --all-boards] [--check] [--json]   as apply does\n"
    "  list [--board N]         each profile, when it was written, how it differs from the board\n"
    "  show NAME                the profile's settings\n"
    "  delete NAME              removes it\n"
    "A name has 1 to 64 characters, none of / \\ : * ? \" < > |, does not end in a dot or\n"
    "a space, and is no device name such as CON, NUL, COM1 or LPT1.\n";

// The command line, as parsed before anything is sent.
struct CommandLine {
  std::string command;
  std::vector<std::string> words;  // what is not an option
  std::optional<int> board;
  bool allBoards = false;
  bool json = false;
  bool help = false;
  bool check = false;
  bool version = false;
  bool verify = false;
  std::optional<std::string> file;
  std::optional<std::string> out;
};

class Run {
 public:
  explicit Run(const KorvctlContext& context) : out_(*context.out), err_(*context.err), context_(context) {}

  int Main(const std::vector<std::string>& args);

 private:
  int Usage(const std::string& problem) {
    err_ << "korvctl: " << problem << "\n"
         << "Try 'korvctl --help'.\n";
    return kBadCommandLine;
  }
  bool Parse(const std::vector<std::string>& args, CommandLine& line, std::string& problem);
  std::string Shown(const std::filesystem::path& path) const {
    return context_.showPath ? context_.showPath(path) : path.u8string();
  }
  // A file name or path the command line gives, as a message shows it.
  std::string Shown(const std::string& name) const { return Shown(std::filesystem::u8path(name)); }
  // The board count, checked; nothing when there is none to work on.
  std::optional<int> BoardCount(int* reported = nullptr);
  // The boards a command names, checked against the count; nothing after a
  // message.
  std::optional<std::vector<int>> Targets(const CommandLine& line, int& status);

  int Boards(const CommandLine& line);
  int Show(const CommandLine& line);
  int Get(const CommandLine& line);
  int Set(const CommandLine& line);
  int Defaults(const CommandLine& line);
  int Picture(const CommandLine& line);
  int ApplyFile(const CommandLine& line);
  // Brings each board to what is wanted: reads it, sends what differs in the
  // apply order (nothing when only checking), reads it back and reports
  // every wanted setting.
  int ApplyWanted(const std::vector<int>& boards, const WantedSettings& wanted, bool check, bool json);
  int Report(const CommandLine& line);
  int List(const CommandLine& line);
  int Profile(const CommandLine& line);
  // Reads the board and writes its settings to path; false after a message.
  bool SaveBoard(int index, const std::filesystem::path& path);
  // Whether the board opened; it is told otherwise.
  bool Opened(const OpenBoard& board, int& status) {
    if (board.IsOpen()) return true;
    err_ << "korvctl: board " << board.index() << " cannot be opened\n";
    status = kBoardFailed;
    return false;
  }
  // The one board a command names, open; null after a message.
  std::unique_ptr<OpenBoard> OpenNamed(const CommandLine& line, int& status) {
    const std::optional<std::vector<int>> boards = Targets(line, status);
    if (!boards) return nullptr;
    auto board = std::make_unique<OpenBoard>(boards->front());
    return Opened(*board, status) ? std::move(board) : nullptr;
  }
  // Applies a record to each board and reports refusals.
  int Apply(const std::vector<int>& boards, const BoardSettings& settings, const std::string& what);

  std::ostream& out_;
  std::ostream& err_;
  const KorvctlContext& context_;
};

// A board number: decimal digits only, small enough to be one.
bool ParseBoard(const std::string& text, int& board) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  board = std::stoi(text);
  return true;
}

std::string SettableNames() {
  std::string text;
  for (const BoardSetting& s : kBoardSettings)
    if (s.set) text += (text.empty() ? "" : ", ") + std::string(s.name);
  return text;
}

// The picture a word names.
struct PictureWord {
  const char* word;
  int picture;  // 0 clear, 1 to 3 the bars, 4 the alpha test
};
constexpr PictureWord kPictures[] = {
    {"clear", 0}, {"100-0-100-00", 1}, {"100-0-100-25", 2}, {"100-0-75-00", 3}, {"alpha", 4}};
constexpr ColorBarPattern kBars[] = {ColorBarPattern::Bars100_0_100_00, ColorBarPattern::Bars100_0_100_25,
                                     ColorBarPattern::Bars100_0_75_00};

bool Run::Parse(const std::vector<std::string>& args, CommandLine& line, std::string& problem) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string name = a, value;
    const bool option = a.size() > 1 && a[0] == '-';
    const size_t eq = a.find('=');
    if (option && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    auto takeValue = [&](std::string& into) {
      if (eq != std::string::npos) {
        into = value;
        return true;
      }
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    if (!option) {
      if (line.command.empty())
        line.command = a;
      else
        line.words.push_back(a);
    } else if (name == "--help" || name == "-h") {
      line.help = true;
    } else if (name == "--version") {
      line.version = true;
    } else if (name == "--json") {
      line.json = true;
    } else if (name == "--check") {
      line.check = true;
    } else if (name == "--verify") {
      line.verify = true;
    } else if (name == "--all-boards") {
      line.allBoards = true;
    } else if (name == "--board") {
      std::string text;
      int board = 0;
      if (!takeValue(text) || !ParseBoard(text, board)) {
        problem = "--board takes a board number from 0 up";
        return false;
      }
      line.board = board;
    } else if (name == "--file" || name == "--out") {
      std::string path;
      if (!takeValue(path) || path.empty()) {
        problem = name + " takes a path";
        return false;
      }
      (name == "--file" ? line.file : line.out) = path;
    } else {
      problem = "unknown option " + a;
      return false;
    }
  }
  return true;
}

std::optional<int> Run::BoardCount(int* reported) {
  const int count = Orbel_GetCardNum();
  if (reported) *reported = count;
  if (count <= 0) {
    err_ << "korvctl: no Korvex board found\n";
    return std::nullopt;
  }
  if (count > kMaxBoardCount) {
    err_ << "korvctl: the device library reports " << count << " boards, which is impossible\n";
    return std::nullopt;
  }
  return count;
}

std::optional<std::vector<int>> Run::Targets(const CommandLine& line, int& status) {
  const std::optional<int> count = BoardCount();
  if (!count) {
    status = kBoardFailed;
    return std::nullopt;
  }
  std::vector<int> boards;
  if (line.allBoards) {
    for (int index = 0; index < *count; ++index) boards.push_back(index);
    return boards;
  }
  const int board = line.board.value_or(0);
  if (board >= *count) {
    err_ << "korvctl: there is no board " << board << ": the boards are 0 to " << *count - 1 << "\n";
    status = kBadCommandLine;
    return std::nullopt;
  }
  return std::vector<int>{board};
}

int Run::Main(const std::vector<std::string>& args) {
  CommandLine line;
  std::string problem;
  if (!Parse(args, line, problem)) return Usage(problem);
  // The options each command takes.
  enum : unsigned { kBoard = 1, kAll = 2, kJson = 4, kFile = 8, kOut = 16, kCheck = 32, kVerify = 64 };
  struct Command {
    const char* name;
    int (Run::*run)(const CommandLine&);
    const char* help;
    unsigned options;
  };
  static const Command kCommands[] = {{"boards", &Run::Boards, kBoardsHelp, kJson},
                                      {"show", &Run::Show, kShowHelp, kBoard | kJson},
                                      {"get", &Run::Get, kGetHelp, kBoard | kJson},
                                      {"set", &Run::Set, nullptr, kBoard},
                                      {"apply", &Run::ApplyFile, kApplyHelp, kBoard | kAll | kJson | kCheck},
                                      {"defaults", &Run::Defaults, kDefaultsHelp, kBoard | kAll | kJson | kFile | kVerify},
                                      {"picture", &Run::Picture, kPictureHelp, kBoard | kFile},
                                      {"report", &Run::Report, kReportHelp, kOut},
                                      {"list", &Run::List, kListHelp, kJson},
                                      {"profile", &Run::Profile, kProfileHelp, kBoard | kAll | kJson | kCheck}};
  if (line.version) {
    if (!line.command.empty() || args.size() != 1) return Usage("--version goes alone");
    out_ << "korvctl " << KORVCFG_VERSION_TEXT << "\n";
    return kDone;
  }
  if (line.command.empty() || line.command == "help") {
    if (line.help || line.command == "help") {
      out_ << kUsage;
      return kDone;
    }
    return Usage("no command given");
  }
  for (const Command& c : kCommands) {
    if (line.command != c.name) continue;
    if (line.help) {
      if (c.help) {
        out_ << c.help;
      } else {
        out_ << "usage: korvctl set [--board N] NAME=VALUE ...\n"
             << "Every pair is checked before anything is sent; they go out with sync-source and\n"
             << "lock-mode last. VALUE is a word or its code. The settings and what they take:\n";
        for (const BoardSetting& s : kBoardSettings)
          if (s.set) out_ << "  " << s.name << ": " << SettingChoices(s) << "\n";
      }
      return kDone;
    }
    if (line.allBoards && line.board) return Usage("--board and --all-boards exclude each other");
    const std::pair<bool, unsigned> given[] = {{line.board.has_value(), kBoard}, {line.allBoards, kAll},
                                               {line.json, kJson},  {line.file.has_value(), kFile},
                                               {line.out.has_value(), kOut}, {line.check, kCheck},
                                               {line.verify, kVerify}};
    const char* const optionNames[] = {"--board", "--all-boards", "--json", "--file", "--out", "--check", "--verify"};
    for (size_t i = 0; i < std::size(given); ++i)
      if (given[i].first && !(c.options & given[i].second))
        return Usage(std::string(c.name) + " takes no " + optionNames[i] + "; see 'korvctl " + c.name + " --help'");
    if (context_.deviceLibraryProblem && line.command != "report" && line.command != "list") {
      err_ << "korvctl: " << context_.deviceLibraryProblem << "\n";
      return kBoardFailed;
    }
    return (this->*c.run)(line);
  }
  return Usage("unknown command " + line.command);
}

int Run::Boards(const CommandLine& line) {
  if (!line.words.empty()) return Usage("boards takes no arguments");
  int reported = 0;
  const std::optional<int> count = BoardCount(&reported);
  if (!count) {
    // A script still gets its document: no board to list.
    if (line.json) out_ << "{\"count\": " << reported << ", \"boards\": []}\n";
    return kBoardFailed;
  }
  int status = kDone;
  std::string json = "{\"count\": " + std::to_string(*count) + ", \"boards\": [";
  if (!line.json) out_ << "boards: " << *count << "\n";
  for (int index = 0; index < *count; ++index) {
    int type = 0, sub = 0;
    bool opens = false, typeKnown = false, subKnown = false;
    {
      OpenBoard board(index);
      opens = board.IsOpen();
      if (opens) {
        typeKnown = Orbel_GetCardTypeNo(&type, index) != 0;
        subKnown = Orbel_GetSubBoardIfExist(&sub, index) != 0;
      }
    }
    if (!opens) {
      err_ << "korvctl: board " << index << " cannot be opened\n";
      status = kBoardFailed;
    }
    const std::string typeText = typeKnown ? std::to_string(type) : "null";
    const std::string subText = subKnown ? (sub ? "true" : "false") : "null";
    json += std::string(index ? ", " : "") + "{\"index\": " + std::to_string(index) +
            ", \"opens\": " + (opens ? "true" : "false") + ", \"type\": " + typeText + ", \"sdiSubBoard\": " + subText +
            "}";
    if (line.json) continue;
    out_ << "board " << index << ": ";
    if (!opens) {
      out_ << "does not open\n";
      continue;
    }
    out_ << "opens, type " << typeText << ", sdi-sub-board "
         << (subKnown ? (sub ? "present" : "absent") : "not reported") << "\n";
  }
  if (line.json) out_ << json << "]}\n";
  return status;
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

std::string AllNames() {
  std::string text;
  for (const BoardSetting& s : kBoardSettings) text += (text.empty() ? "" : ", ") + std::string(s.name);
  return text;
}

int Run::Show(const CommandLine& line) {
  if (!line.words.empty()) return Usage("show takes no arguments; korvctl get NAME... prints some settings");
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = OpenNamed(line, status);
  if (!board) return status;
  const int index = board->index();
  // Read in the board's read order, shown in the table's.
  const BoardReading reading = ReadBoard(index);
  const BoardSettings& values = reading.values;
  const bool* reported = reading.reported;
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    const BoardSetting& s = kBoardSettings[i];
    if (!reported[i]) {
      err_ << "korvctl: board " << index << " did not report " << s.name << "\n";
      status = kBoardFailed;
    }
    if (!line.json) out_ << SettingLine(s, values.*s.field, reported[i]);
  }
  if (line.json) out_ << "{\"board\": " << index << ", \"settings\": " << SettingsJson(values, reported) << "}\n";
  return status;
}

int Run::Get(const CommandLine& line) {
  if (line.words.empty()) return Usage("get takes the names of settings: " + AllNames());
  // Every name is checked before the board is asked.
  std::vector<const BoardSetting*> named;
  for (const std::string& name : line.words) {
    const BoardSetting* s = SettingNamed(name.c_str());
    if (!s) return Usage("unknown setting '" + name + "'; the settings are " + AllNames());
    named.push_back(s);
  }
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = OpenNamed(line, status);
  if (!board) return status;
  const int index = board->index();
  std::string json;
  for (const BoardSetting* s : named) {
    int value = 0;
    const bool reported = s->get(&value, index) != 0;
    if (!reported) {
      err_ << "korvctl: board " << index << " did not report " << s->name << "\n";
      status = kBoardFailed;
    }
    json += (json.empty() ? "" : ", ") + JsonString(s->name) + ": " +
            SettingValueJson(*s, reported ? std::optional<int32_t>(value) : std::nullopt);
    if (!line.json) out_ << SettingLine(*s, value, reported);
  }
  if (line.json) out_ << "{\"board\": " << index << ", \"settings\": {" << json << "}}\n";
  return status;
}

int Run::Set(const CommandLine& line) {
  if (line.words.empty()) return Usage("set takes NAME=VALUE pairs; the names are " + SettableNames());
  // Every pair is checked before anything is sent.
  std::optional<int32_t> values[kBoardSettingCount];
  for (const std::string& pair : line.words) {
    const size_t eq = pair.find('=');
    if (eq == std::string::npos) return Usage("'" + pair + "' is not NAME=VALUE");
    const std::string name = pair.substr(0, eq), text = pair.substr(eq + 1);
    const BoardSetting* s = SettingNamed(name.c_str());
    if (!s || !s->set) {
      const std::string what = s ? name + " is reported by the board, not set" : "unknown setting '" + name + "'";
      return Usage(what + "; the settings are " + SettableNames());
    }
    const std::optional<int32_t> code = SettingValue(*s, text);
    if (!code) return Usage("'" + text + "' is no value of " + name + ", which takes " + SettingChoices(*s));
    std::optional<int32_t>& slot = values[s - kBoardSettings];
    if (slot) return Usage(name + " is given twice");
    slot = code;
  }
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = OpenNamed(line, status);
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
  err_ << "korvctl: board " << index << " refused " << refused << "; "
       << (applied.empty() ? "nothing was applied" : "applied " + applied) << "\n";
  return kBoardFailed;
}

int Run::Apply(const std::vector<int>& boards, const BoardSettings& settings, const std::string& what) {
  int status = kDone;
  for (int index : boards) {
    OpenBoard board(index);
    if (!Opened(board, status)) continue;
    const std::vector<const BoardSetting*> refused = ApplyAllSettings(index, settings);
    for (const BoardSetting* s : refused)
      err_ << "korvctl: board " << index << " refused " << s->name << " = " << ValueText(*s, settings.*s->field) << "\n";
    if (!refused.empty()) status = kBoardFailed;
    out_ << "board " << index << ": " << what << (refused.empty() ? "" : ", but for what it refused") << "\n";
  }
  return status;
}

// What apply found and did with one setting, as its report words it.
enum class Outcome { kUnchanged, kChanged, kRefused, kDrifted, kDiffers };
constexpr const char* kOutcomeWords[] = {"unchanged", "changed", "refused", "drifted", "differs"};

std::string ReadText(const BoardSetting& s, const BoardReading& reading, size_t i) {
  return reading.reported[i] ? ValueText(s, reading.values.*s.field) : "not reported";
}
std::string ReadJson(const BoardSetting& s, const BoardReading& reading, size_t i) {
  return SettingValueJson(s, reading.reported[i] ? std::optional<int32_t>(reading.values.*s.field) : std::nullopt);
}

int Run::ApplyFile(const CommandLine& line) {
  if (line.words.size() != 1) return Usage("apply takes one FILE: a Board.ini or show --json output");
  // The file is checked whole before any board is asked.
  WantedSettings wanted;
  std::string problem;
  if (!ReadWantedSettings(std::filesystem::u8path(line.words[0]), wanted, problem))
    return Usage(Shown(line.words[0]) + ": " + problem + "; nothing was sent");
  int status = kDone;
  const std::optional<std::vector<int>> boards = Targets(line, status);
  if (!boards) return status;
  return ApplyWanted(*boards, wanted, line.check, line.json);
}

int Run::ApplyWanted(const std::vector<int>& boards, const WantedSettings& wanted, bool check, bool json) {
  int status = kDone;
  bool anyChanged = false;
  std::string documents;
  for (int index : boards) {
    documents += std::string(documents.empty() ? "" : ",\n  ") + "{\"index\": " + std::to_string(index);
    OpenBoard board(index);
    if (!Opened(board, status)) {
      documents += ", \"opens\": false, \"changed\": false, \"settings\": null}";
      continue;
    }
    const BoardReading before = ReadBoard(index);
    bool differs[kBoardSettingCount] = {}, refused[kBoardSettingCount] = {};
    for (size_t i = 0; i < kBoardSettingCount; ++i) {
      const std::optional<int32_t>& value = wanted.values[i];
      differs[i] = value && (!before.reported[i] || before.values.*kBoardSettings[i].field != *value);
    }
    if (!check)
      for (const BoardSetting* s : ApplyOrder()) {
        const size_t i = size_t(s - kBoardSettings);
        if (differs[i]) refused[i] = !kBoardSettings[i].set(*wanted.values[i], index);
      }
    const BoardReading after = check ? before : ReadBoard(index);
    int counts[std::size(kOutcomeWords)] = {};
    bool changed = false;
    std::string settings;
    for (size_t i = 0; i < kBoardSettingCount; ++i) {
      if (!wanted.values[i]) continue;
      const BoardSetting& s = kBoardSettings[i];
      const int32_t value = *wanted.values[i];
      const bool matches = after.reported[i] && after.values.*s.field == value;
      const Outcome outcome = check        ? (differs[i] ? Outcome::kDiffers : Outcome::kUnchanged)
                              : refused[i] ? Outcome::kRefused
                              : !matches   ? Outcome::kDrifted
                              : differs[i] ? Outcome::kChanged
                                           : Outcome::kUnchanged;
      ++counts[int(outcome)];
      changed |= check ? differs[i] : differs[i] && !refused[i];
      const char* word = kOutcomeWords[int(outcome)];
      settings += std::string(settings.empty() ? "" : ", ") + JsonString(s.name) + ": {\"result\": \"" + word +
                  "\", \"before\": " + ReadJson(s, before, i) + ", \"wanted\": " + SettingValueJson(s, value) +
                  ", \"after\": " + (check ? "null" : ReadJson(s, after, i)) + "}";
      if (json || outcome == Outcome::kUnchanged) continue;
      out_ << "board " << index << ": " << s.name << " " << word;
      if (outcome == Outcome::kChanged)
        out_ << " from " << ReadText(s, before, i) << " to " << ValueText(s, value) << "\n";
      else if (outcome == Outcome::kDiffers)
        out_ << ": the board has " << ReadText(s, before, i) << ", the file " << ValueText(s, value) << "\n";
      else
        out_ << ": sent " << ValueText(s, value) << ", the board reports " << ReadText(s, after, i) << "\n";
    }
    anyChanged |= changed;
    const int failed = counts[int(Outcome::kRefused)] + counts[int(Outcome::kDrifted)];
    if (failed) status = kBoardFailed;
    if (counts[int(Outcome::kDiffers)] && status == kDone) status = kDifferent;
    documents += ", \"opens\": true, \"changed\": " + std::string(changed ? "true" : "false") +
                 ",\n    \"settings\": {" + settings + "}}";
    if (json) continue;
    const int matching = counts[int(Outcome::kUnchanged)];
    out_ << "board " << index << ": ";
    if (check)
      out_ << counts[int(Outcome::kDiffers)] << " differ, " << matching << " match\n";
    else if (!changed && !failed)
      out_ << "nothing changed; all " << matching << " settings match\n";
    else
      out_ << counts[int(Outcome::kChanged)] << " changed, " << matching << " unchanged, "
           << counts[int(Outcome::kRefused)] << " refused, " << counts[int(Outcome::kDrifted)] << " drifted\n";
  }
  if (json)
    out_ << "{\"changed\": " << (anyChanged ? "true" : "false") << ", \"boards\": [\n  " << documents << "]}\n";
  return status;
}

bool Run::SaveBoard(int index, const std::filesystem::path& path) {
  // A board that did not report its settings would put zeros over what the
  // file holds.
  BoardSettings settings;
  if (!ReadAllSettings(index, settings).empty()) {
    err_ << "korvctl: board " << index << " did not report its settings; " << Shown(path) << " was not changed\n";
    return false;
  }
  if (!SaveSettingsFile(path, settings)) {
    err_ << "korvctl: cannot write " << Shown(path) << "\n";
    return false;
  }
  return true;
}

int Run::Profile(const CommandLine& line) {
  const std::string action = line.words.empty() ? "" : line.words[0];
  const bool named = action == "save" || action == "apply" || action == "show" || action == "delete";
  if (!named && action != "list") return Usage("profile takes save, apply, list, show or delete");
  if (line.words.size() != (named ? 2u : 1u))
    return Usage(named ? "profile " + action + " takes one name" : "profile list takes no name");
  if ((line.check || line.allBoards || line.json) && action != "apply")
    return Usage("--check, --all-boards and --json go only with profile apply");
  if (line.board && (action == "show" || action == "delete")) return Usage("profile " + action + " takes no --board");
  const std::filesystem::path folder = ProfileFolder(context_.directory);
  int status = kDone;
  if (action == "list") {
    std::vector<std::string> names;
    if (!ListProfiles(context_.directory, names)) {
      err_ << "korvctl: cannot read " << Shown(folder) << "\n";
      return kBoardFailed;
    }
    if (names.empty()) {
      out_ << "no profiles in " << Shown(folder) << "\n";
      return kDone;
    }
    // Each is compared with the board (the first, or the one named).
    const std::optional<std::vector<int>> boards = Targets(line, status);
    std::optional<BoardReading> board;
    if (boards) {
      OpenBoard open(boards->front());
      if (Opened(open, status)) board = ReadBoard(open.index());
    }
    for (const std::string& name : names) {
      const std::filesystem::path path = ProfilePath(context_.directory, name);
      std::string row = Shown(name);
      row.resize(std::max<size_t>(row.size() + 2, 20), ' ');
      char date[32] = "?";
      if (const std::optional<long long> written = FileWritten(path)) {
        const std::time_t t = static_cast<std::time_t>(*written);
        if (const std::tm* utc = std::gmtime(&t)) std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", utc);
      }
      row += std::string(date) + "  ";
      BoardSettings record;
      if (!LoadSettingsFile(path, record)) {
        out_ << row << "no valid record\n";
        continue;
      }
      std::string differs;
      for (const BoardSetting* s : ApplyOrder()) {
        const size_t i = size_t(s - kBoardSettings);
        if (board && (!board->reported[i] || board->values.*s->field != record.*s->field))
          differs += (differs.empty() ? "" : ", ") + std::string(s->name);
      }
      out_ << row << (!board ? "" : differs.empty() ? "matches the board" : "differs in " + differs) << "\n";
    }
    return status;
  }
  const std::string name = line.words[1];
  if (const std::optional<std::string> problem = ProfileNameProblem(name))
    return Usage("'" + Shown(name) + "': " + *problem + "; nothing was written");
  const std::filesystem::path path = ProfilePath(context_.directory, name);
  if (action != "save" && !FileSize(path)) {
    err_ << "korvctl: there is no profile " << Shown(name) << " in " << Shown(folder) << "\n";
    return kBadCommandLine;
  }
  if (action == "delete") {
    if (RemoveFile(path)) return kDone;
    err_ << "korvctl: cannot remove " << Shown(path) << "\n";
    return kBoardFailed;
  }
  if (action == "save") {
    const std::unique_ptr<OpenBoard> board = OpenNamed(line, status);
    if (!board) return status;
    if (!MakeFolder(folder)) {
      err_ << "korvctl: cannot make the folder " << Shown(folder) << "\n";
      return kBoardFailed;
    }
    if (!SaveBoard(board->index(), path)) return kBoardFailed;
    out_ << "board " << board->index() << ": saved as profile " << Shown(name) << " (" << Shown(path) << ")\n";
    return kDone;
  }
  WantedSettings wanted;
  std::string problem;
  if (!ReadWantedSettings(path, wanted, problem)) return Usage(Shown(path) + ": " + problem + "; nothing was sent");
  if (action == "show") {
    for (const BoardSetting& s : kBoardSettings) {
      const std::optional<int32_t>& value = wanted.values[&s - kBoardSettings];
      if (value) out_ << s.name << " = " << ValueText(s, *value) << "\n";
    }
    return kDone;
  }
  const std::optional<std::vector<int>> boards = Targets(line, status);
  if (!boards) return status;
  return ApplyWanted(*boards, wanted, line.check, line.json);
}

int Run::Defaults(const CommandLine& line) {
  if (line.words.size() != 1) return Usage("defaults takes one of save, restore and factory");
  const std::string action = line.words[0];
  if (action != "save" && action != "restore" && action != "factory")
    return Usage("defaults takes save, restore or factory, not '" + action + "'");
  if (action == "save" && line.allBoards) return Usage("defaults save takes one board: the file holds one");
  if (action == "factory" && line.file) return Usage("defaults factory takes no file");
  if ((line.json || line.verify) && action == "save") return Usage("defaults save takes no --json or --verify");
  if (line.json && !line.verify) return Usage("defaults restore and factory print JSON only with --verify");
  const std::filesystem::path path = line.file ? std::filesystem::u8path(*line.file) : context_.directory / "Board.ini";
  int status = kDone;
  if (action == "save") {
    const std::unique_ptr<OpenBoard> board = OpenNamed(line, status);
    if (!board) return status;
    const int index = board->index();
    if (!SaveBoard(index, path)) return kBoardFailed;
    out_ << "board " << index << ": saved to " << Shown(path) << "\n";
    return kDone;
  }
  const std::optional<std::vector<int>> boards = Targets(line, status);
  if (!boards) return status;
  BoardSettings settings;
  std::string done = "factory values applied";
  if (action != "restore")
    SetFactorySettings(settings);
  else if (LoadSettingsFile(path, settings))
    done = "restored the defaults of " + Shown(path);
  else
    done = "no defaults in " + Shown(path) + ": factory values applied";
  if (line.verify) {
    if (!line.json) out_ << done << "\n";
    return ApplyWanted(*boards, WantedRecord(settings), false, line.json);
  }
  return Apply(*boards, settings, done);
}

int Run::Picture(const CommandLine& line) {
  if (line.words.size() != 1)
    return Usage("picture takes one of clear, 100-0-100-00, 100-0-100-25, 100-0-75-00, alpha");
  const PictureWord* picture = nullptr;
  for (const PictureWord& p : kPictures)
    if (line.words[0] == p.word) picture = &p;
  if (!picture)
    return Usage("no picture '" + line.words[0] +
                 "'; the pictures are clear, 100-0-100-00, "
                 "100-0-100-25, 100-0-75-00 and alpha");
  if (line.file && picture->picture != 4) return Usage("--file goes only with the alpha picture");
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = OpenNamed(line, status);
  if (!board) return status;
  const int index = board->index();
  if (picture->picture == 0) {
    ClearOutput(index);
    return kDone;
  }
  if (picture->picture < 4) {
    if (SendColorBars(kBars[picture->picture - 1], index)) return kDone;
    err_ << "korvctl: no memory for the frame\n";
    return kBoardFailed;
  }
  const std::filesystem::path path =
      line.file ? std::filesystem::u8path(*line.file) : context_.directory / "TestAlpha.tga";
  const char* problem = nullptr;
  try {
    switch (RunAlphaTestFile(path, index, *context_.platform,
                             context_.frameMemory ? context_.frameMemory : AnyFrameMemory)) {
      case AlphaTestResult::Written: return kDone;
      case AlphaTestResult::CannotOpen: problem = "cannot be opened"; break;
      case AlphaTestResult::Unsupported: problem = "is not a TGA picture of type 2 or 10"; break;
      case AlphaTestResult::NoImage: problem = "holds no picture"; break;
      case AlphaTestResult::NoMemory: problem = "needs more memory than there is"; break;
      case AlphaTestResult::NoFrameMemory:
        err_ << "korvctl: board " << index << " gave no usable frame memory\n";
        return kBoardFailed;
    }
  } catch (const TgaReadError&) {
    problem = "cannot be read";
  } catch (const std::bad_alloc&) {
    problem = "is larger than 4096 x 4096 pixels, or needs more memory than there is";
  }
  err_ << "korvctl: the picture " << Shown(path) << " " << problem << "\n";
  return kBoardFailed;
}

int Run::List(const CommandLine& line) {
  if (!line.words.empty()) return Usage("list takes no arguments");
  BoardSettings factory;
  SetFactorySettings(factory);
  const std::vector<std::string> english = SettingLabels(context_.englishDialog),
                                 chinese = SettingLabels(context_.chineseDialog);
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
    if (line.json) continue;
    std::string text = s.name;
    text.resize(18, ' ');
    std::string device = s.device;
    device.resize(22, ' ');
    out_ << text << device << (s.set ? "" : "read only; ") << SettingChoices(s) << "; factory "
         << ValueText(s, factory.*s.field) << (english[i].empty() ? "" : "; \"" + english[i] + "\"") << "\n";
  }
  if (line.json) out_ << json << "]}\n";
  return kDone;
}

int Run::Report(const CommandLine& line) {
  if (!line.words.empty()) return Usage("report takes no arguments");
  if (line.board) return Usage("report covers every board; it takes no --board");
  SystemFacts facts;
  facts.moduleFolder = context_.directory.u8string();
  if (context_.systemFacts) context_.systemFacts(facts);
  if (context_.deviceLibraryProblem) facts.deviceLibrary.problem = context_.deviceLibraryProblem;
  const std::string report = ReportJson(facts, !context_.deviceLibraryProblem, context_.directory / "Board.ini");
  if (!line.out) {
    out_ << report;
    return kDone;
  }
  if (!ReplaceWholeFile(std::filesystem::u8path(*line.out), report)) {
    err_ << "korvctl: cannot write the report to " << Shown(*line.out) << "\n";
    return kBoardFailed;
  }
  out_ << "report written to " << Shown(*line.out) << "\n";
  return kDone;
}

}  // namespace

int RunKorvctl(const std::vector<std::string>& args, const KorvctlContext& context) {
  try {
    return Run(context).Main(args);
  } catch (const std::exception& e) {
    *context.err << "korvctl: " << e.what() << "\n";
    return kBoardFailed;
  }
}
