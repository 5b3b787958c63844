// korvctl profile: named settings in the Profiles folder, saved from a
// board, listed, shown, applied as apply does, and deleted.
#include <algorithm>
#include <cstdint>
#include <ctime>
#include <optional>

#include "commands.h"
#include "file_store.h"
#include "korv_report.h"
#include "profiles.h"
#include "setting_table.h"

namespace {

std::filesystem::path PathOf(const Korvctl& k, const std::string& name) {
  return ProfilePath(k.context.directory, name);
}

// The settings of a profile that exists: kDone, or kBadCommandLine after a
// message.
int ReadProfile(Korvctl& k, const std::string& name, WantedSettings& wanted) {
  std::string problem;
  if (ReadWantedSettings(PathOf(k, name), wanted, problem)) return kDone;
  return k.Usage(k.Shown(PathOf(k, name)) + ": " + problem + "; nothing was sent");
}

int ProfileSave(Korvctl& k, const CommandLine& line, const std::string& name) {
  const std::filesystem::path path = PathOf(k, name);
  // A Profiles folder that leads to the module's own folder holds Board.ini.
  if (k.RefusesNoFile(path, "written") || k.RefusesKeptFile(path, false)) return kBadCommandLine;
  int status = kDone;
  const std::unique_ptr<OpenBoard> board = k.OpenNamed(line, status);
  if (!board) return status;
  const std::filesystem::path folder = ProfileFolder(k.context.directory);
  FileFailure why = FileFailure::kNone;
  if (!MakeFolder(folder, &why)) {
    k.err << "korvctl: cannot make the folder " << k.Shown(folder) << ": "
          << (why == FileFailure::kNotAFile ? "a file has that name" : FileFailureText(why)) << "\n";
    return kFileFailed;
  }
  status = SaveBoard(k, board->index(), path);
  if (status == kDone)
    k.out << "board " << board->index() << ": saved as profile " << k.Shown(name) << " (" << k.Shown(path) << ")\n";
  return status;
}

int ProfileApply(Korvctl& k, const CommandLine& line, const std::string& name) {
  WantedSettings wanted;
  int status = ReadProfile(k, name, wanted);
  if (status != kDone) return status;
  const std::optional<std::vector<int>> boards = k.Targets(line, status);
  if (!boards) return status;
  return BringBoardsToWanted(k, *boards, wanted, line.Has(kCheck), line.Has(kJson));
}

int ProfileShow(Korvctl& k, const CommandLine&, const std::string& name) {
  WantedSettings wanted;
  const int status = ReadProfile(k, name, wanted);
  if (status != kDone) return status;
  for (const BoardSetting& s : kBoardSettings) {
    const std::optional<int32_t>& value = wanted.values[&s - kBoardSettings];
    if (value) k.out << s.name << " = " << ValueText(s, *value) << "\n";
  }
  return kDone;
}

int ProfileDelete(Korvctl& k, const CommandLine&, const std::string& name) {
  FileFailure why = FileFailure::kNone;
  if (RemoveFile(PathOf(k, name), &why)) return kDone;
  k.err << "korvctl: cannot remove " << k.Shown(PathOf(k, name)) << ": " << FileFailureText(why) << "\n";
  return kFileFailed;
}

// Each profile with the time it was written and how it differs from the
// board (the first, or the one named).
int ProfileList(Korvctl& k, const CommandLine& line, const std::string&) {
  const std::filesystem::path folder = ProfileFolder(k.context.directory);
  std::vector<std::string> names;
  if (!ListProfiles(k.context.directory, names)) {
    k.err << "korvctl: cannot read " << k.Shown(folder) << "\n";
    return kFileFailed;
  }
  if (names.empty()) {
    k.out << "no profiles in " << k.Shown(folder) << "\n";
    return kDone;
  }
  int status = kDone;
  const std::optional<std::vector<int>> boards = k.Targets(line, status);
  std::optional<BoardReading> board;
  if (boards) {
    OpenBoard open(boards->front());
    if (k.Opened(open, status)) board = ReadBoard(open.index());
  }
  for (const std::string& name : names) {
    const std::filesystem::path path = PathOf(k, name);
    std::string row = k.Shown(name);
    row.resize(std::max<size_t>(row.size() + 2, 20), ' ');
    char date[32] = "?";
    if (const std::optional<long long> written = FileWritten(path)) {
      const std::time_t t = static_cast<std::time_t>(*written);
      if (const std::tm* utc = std::gmtime(&t)) std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", utc);
    }
    row += std::string(date) + "  ";
    // Read as show and apply read it: invalid exactly where they refuse it,
    // and compared with the board in what it asks for.
    WantedSettings wanted;
    std::string problem;
    if (!ReadWantedSettings(path, wanted, problem)) {
      k.out << row << "invalid: " << problem << "\n";
      continue;
    }
    std::string differs;
    for (const BoardSetting* s : ApplyOrder()) {
      const size_t i = size_t(s - kBoardSettings);
      if (board && Differs(*board, wanted, i)) differs += (differs.empty() ? "" : ", ") + std::string(s->name);
    }
    k.out << row << (!board ? "" : differs.empty() ? "matches the board" : "differs in " + differs) << "\n";
  }
  return status;
}

// What a verb does with the profile's name.
enum class NameUse { None, Any, Existing };

struct ProfileVerb {
  const char* word;
  NameUse name;
  unsigned options;  // of the options of profile, those it takes
  int (*run)(Korvctl& k, const CommandLine& line, const std::string& name);
};
constexpr ProfileVerb kVerbs[] = {
    {"save", NameUse::Any, kBoardOption, ProfileSave},
    {"apply", NameUse::Existing, kBoardOption | kAllBoards | kCheck | kJson, ProfileApply},
    {"list", NameUse::None, kBoardOption, ProfileList},
    {"show", NameUse::Existing, 0, ProfileShow},
    {"delete", NameUse::Existing, 0, ProfileDelete},
};

}  // namespace

int ProfileCommand(Korvctl& k, const CommandLine& line) {
  const ProfileVerb* verb = line.words.empty() ? nullptr : FindWord(kVerbs, line.words[0]);
  if (!verb) return k.Usage("profile takes " + ListedWords(kVerbs, " or "));
  const std::string what = std::string("profile ") + verb->word;
  const bool named = verb->name != NameUse::None;
  if (line.words.size() != (named ? 2u : 1u)) return k.Usage(what + (named ? " takes one name" : " takes no name"));
  const unsigned refused = line.options & ~verb->options;
  if (refused & (kCheck | kAllBoards | kJson)) return k.Usage("--check, --all-boards and --json go only with profile apply");
  if (refused & kBoardOption) return k.Usage(what + " takes no --board");
  if (!named) return verb->run(k, line, "");
  const std::string& name = line.words[1];
  if (const std::optional<std::string> problem = ProfileNameProblem(name))
    return k.Usage("'" + k.Shown(name) + "': " + *problem + "; nothing was written");
  if (verb->name == NameUse::Existing && !FileSize(PathOf(k, name))) {
    k.err << "korvctl: there is no profile " << k.Shown(name) << " in " << k.Shown(ProfileFolder(k.context.directory))
          << "\n";
    return kBadCommandLine;
  }
  return verb->run(k, line, name);
}
