// korvctl's dispatch: the command line parsed and checked whole against the
// command's row (command_table.h) before any device call, the help made
// from the rows, and the run handed to the command.
#include "korvctl.h"

#include <exception>
#include <utility>

#include "board_count.h"
#include "command_table.h"
#include "file_store.h"
#include "korvcfg_version.h"
#include "korvio.h"
#include "profiles.h"
#include "setting_table.h"

namespace {

const char kUsageTop[] =
    "usage: korvctl COMMAND [OPTIONS]\n"
    "       korvctl --version\n"
    "\n"
    "Commands (each with --help):\n";
const char kUsageEnd[] =
    "\n"
    "Boards are numbered from 0; --board 0 is the default. Results go to standard output,\n"
    "messages to standard error.\n"
    "Exit status: 0 done; 1 a board refused a value or could not be opened, or a file could\n"
    "not be read, written or removed; 2 the command line or a file was wrong (nothing was\n"
    "sent to a board); 3 apply --check found a board that differs from the file.\n";

// A board number: decimal digits only, small enough to be one.
bool IsBoardNumber(const std::string& text) {
  return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}
bool IsPath(const std::string& text) { return !text.empty(); }

struct OptionRow {
  const char* name;
  Option option;
  // Where its value goes, whether it is one and what it takes (for the
  // message); a flag has none.
  std::string CommandLine::*value;
  bool (*valid)(const std::string& text);
  const char* takes;
};
constexpr OptionRow kOptions[] = {
    {"--board", kBoardOption, &CommandLine::board, IsBoardNumber, "a board number from 0 up"},
    {"--all-boards", kAllBoards, nullptr, nullptr, nullptr},
    {"--json", kJson, nullptr, nullptr, nullptr},
    {"--file", kFile, &CommandLine::file, IsPath, "a path"},
    {"--out", kOut, &CommandLine::out, IsPath, "a path"},
    {"--check", kCheck, nullptr, nullptr, nullptr},
    {"--verify", kVerify, nullptr, nullptr, nullptr},
};

bool Parse(const std::vector<std::string>& args, CommandLine& line, std::string& problem) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a[0] != '-') {
      if (line.command.empty())
        line.command = a;
      else
        line.words.push_back(a);
      continue;
    }
    // --name=value or --name value.
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    if (name == "--help" || name == "-h") {
      line.help = true;
      continue;
    }
    if (name == "--version") {
      line.version = true;
      continue;
    }
    const OptionRow* row = nullptr;
    for (const OptionRow& o : kOptions)
      if (name == o.name) row = &o;
    if (!row) {
      problem = "unknown option " + a;
      return false;
    }
    line.options |= row->option;
    if (!row->value) continue;
    const bool given = eq != std::string::npos || i + 1 < args.size();
    const std::string value = eq != std::string::npos ? a.substr(eq + 1) : given ? args[++i] : "";
    if (!given || !row->valid(value)) {
      problem = name + " takes " + row->takes;
      return false;
    }
    line.*row->value = value;
  }
  return true;
}

std::string CommandName(const Command& c) {
  const std::string synopsis = c.synopsis;
  return synopsis.substr(0, synopsis.find(' '));
}

// A help text with the names of the settings sent last and the settable
// settings' lines put in.
std::string Filled(std::string text) {
  std::vector<std::string> last;
  std::string settings;
  for (const BoardSetting& s : kBoardSettings) {
    if (s.goesLast) last.push_back(s.name);
    if (s.set) settings += "  " + std::string(s.name) + ": " + SettingChoices(s) + "\n";
  }
  for (const auto& [mark, words] : {std::pair<std::string, std::string>{"{last}", Listed(last, " and ")},
                                    std::pair<std::string, std::string>{"{settings}", settings}})
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + words.size()))
      text.replace(at, mark.size(), words);
  return text;
}

// korvctl --help: a line per command, its synopsis and summary, the summary
// on a line of its own after a long synopsis.
std::string UsageText() {
  std::string text = kUsageTop;
  for (const Command& c : kCommands) {
    std::string line = std::string("  ") + c.synopsis;
    line += line.size() < 41 ? std::string(41 - line.size(), ' ') : "\n" + std::string(41, ' ');
    text += line + c.summary + "\n";
  }
  return Filled(text) + kUsageEnd;
}

int Dispatch(Korvctl& k, const std::vector<std::string>& args) {
  CommandLine line;
  std::string problem;
  if (!Parse(args, line, problem)) return k.Usage(problem);
  if (line.version) {
    if (!line.command.empty() || args.size() != 1) return k.Usage("--version goes alone");
    k.out << "korvctl " << KORVCFG_VERSION_TEXT << "\n";
    return kDone;
  }
  if (line.command.empty() || line.command == "help") {
    if (!line.help && line.command.empty()) return k.Usage("no command given");
    k.out << UsageText();
    return kDone;
  }
  for (const Command& c : kCommands) {
    const std::string name = CommandName(c);
    if (line.command != name) continue;
    if (line.help) {
      k.out << "usage: korvctl " << c.synopsis << "\n" << Filled(c.help);
      return kDone;
    }
    if (line.Has(kAllBoards) && line.Has(kBoardOption)) return k.Usage("--board and --all-boards exclude each other");
    for (const OptionRow& o : kOptions)
      if (line.Has(o.option) && !(c.options & o.option))
        return k.Usage(name + " takes no " + o.name + "; see 'korvctl " + name + " --help'");
    if (k.context.deviceLibraryProblem && c.asksBoards) {
      k.err << "korvctl: " << k.context.deviceLibraryProblem << "\n";
      return kBoardFailed;
    }
    return c.run(k, line);
  }
  return k.Usage("unknown command " + line.command);
}

}  // namespace

std::string Listed(const std::vector<std::string>& words, const char* last) {
  std::string text;
  for (size_t i = 0; i < words.size(); ++i) text += (i == 0 ? "" : i + 1 < words.size() ? ", " : last) + words[i];
  return text;
}

int Korvctl::Usage(const std::string& problem) const {
  err << "korvctl: " << problem << "\n"
      << "Try 'korvctl --help'.\n";
  return kBadCommandLine;
}

std::string Korvctl::Shown(const std::filesystem::path& path) const {
  return context.showPath ? context.showPath(path) : path.u8string();
}

std::string Korvctl::Shown(const std::string& name) const { return Shown(std::filesystem::u8path(name)); }

bool Korvctl::RefusesNoFile(const std::filesystem::path& path, const char* done) const {
  if (CheckRegularFile(path) != FileFailure::kNotAFile) return false;
  err << "korvctl: " << Shown(path) << ": " << FileFailureText(FileFailure::kNotAFile) << "; nothing was " << done
      << "\n";
  return true;
}

bool Korvctl::RefusesKeptFile(const std::filesystem::path& path, bool profiles) const {
  const char* kept = SameFile(path, context.directory / "Board.ini") ? "the defaults' Board.ini"
                     : profiles && SameFile(std::filesystem::absolute(path).parent_path(),
                                            ProfileFolder(context.directory).parent_path())
                         ? "in the Profiles folder, which holds the profiles"
                         : nullptr;
  if (kept) err << "korvctl: " << Shown(path) << " is " << kept << "; nothing was written\n";
  return kept != nullptr;
}

std::optional<int> Korvctl::BoardCount(int* reported) const {
  const int count = Orbel_GetCardNum();
  if (reported) *reported = count;
  const std::optional<int> checked = CheckedBoardCount(count);
  if (!checked && count > 0) {  // more than any machine holds
    err << "korvctl: the device library reports " << count << " boards, which is impossible\n";
    return std::nullopt;
  }
  if (!checked || *checked == 0) {  // a negative count is no board either
    err << "korvctl: no Korvex board found\n";
    return std::nullopt;
  }
  return checked;
}

std::optional<std::vector<int>> Korvctl::Targets(const CommandLine& line, int& status) const {
  const std::optional<int> count = BoardCount();
  if (!count) {
    status = kBoardFailed;
    return std::nullopt;
  }
  std::vector<int> boards;
  if (line.Has(kAllBoards)) {
    for (int index = 0; index < *count; ++index) boards.push_back(index);
    return boards;
  }
  const int board = line.Board();
  if (board >= *count) {
    err << "korvctl: there is no board " << board << ": the boards are 0 to " << *count - 1 << "\n";
    status = kBadCommandLine;
    return std::nullopt;
  }
  return std::vector<int>{board};
}

bool Korvctl::Opened(const OpenBoard& board, int& status) const {
  if (board.IsOpen()) return true;
  err << "korvctl: board " << board.index() << " cannot be opened\n";
  status = kBoardFailed;
  return false;
}

std::unique_ptr<OpenBoard> Korvctl::OpenNamed(const CommandLine& line, int& status) const {
  const std::optional<std::vector<int>> boards = Targets(line, status);
  if (!boards) return nullptr;
  auto board = std::make_unique<OpenBoard>(boards->front());
  return Opened(*board, status) ? std::move(board) : nullptr;
}

int RunKorvctl(const std::vector<std::string>& args, const KorvctlContext& context) {
  try {
    Korvctl k{*context.out, *context.err, context};
    return Dispatch(k, args);
  } catch (const std::exception& e) {
    *context.err << "korvctl: " << e.what() << "\n";
    return kBoardFailed;
  }
}
