// What korvctl's commands share: the parsed command line, the run's
// streams and its ways of naming paths and boards, and the handlers, a file
// per area: settings_commands.cpp (boards, show, get, set, list),
// apply_commands.cpp (apply, defaults), profile_commands.cpp,
// picture_command.cpp and korv_report.cpp. command_table.h lists the
// commands; korvctl.cpp parses a command line and dispatches it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "korv_report.h"
#include "korvctl.h"
#include "open_board.h"
#include "wanted_settings.h"

// The options a command may take, a bit each (korvctl.cpp names them).
enum Option : unsigned {
  kBoardOption = 1,  // --board N
  kAllBoards = 2,
  kJson = 4,
  kFile = 8,  // --file PATH
  kOut = 16,  // --out FILE
  kCheck = 32,
  kVerify = 64,
};

// The command line, as parsed before anything is sent.
struct CommandLine {
  std::string command;
  std::vector<std::string> words;  // what is not an option
  unsigned options = 0;            // the Options given
  std::string board, file, out;    // the values of --board, --file and --out
  bool help = false;
  bool version = false;

  bool Has(Option option) const { return (options & option) != 0; }
  // --board's number (checked when parsed), 0 without it.
  int Board() const { return Has(kBoardOption) ? std::stoi(board) : 0; }
};

// One run: where results and messages go, what the program hands in, and
// what every command does the same way.
struct Korvctl {
  std::ostream& out;
  std::ostream& err;
  const KorvctlContext& context;

  // Tells a wrong command line or file; gives kBadCommandLine.
  int Usage(const std::string& problem) const;
  // A path, or a name or path the command line gives, as a message shows it.
  std::string Shown(const std::filesystem::path& path) const;
  std::string Shown(const std::string& name) const;
  // Whether a path the command reads or writes is a folder, a device or a
  // pipe, which nothing reads or writes: it is told, saying nothing was
  // `done` ("sent", "written"), before any board is opened.
  bool RefusesNoFile(const std::filesystem::path& path, const char* done) const;
  // Whether a path is the defaults' Board.ini or, with profiles, in the
  // Profiles folder, which only defaults save and profile save write: it is
  // told, saying what it is.
  bool RefusesKeptFile(const std::filesystem::path& path, bool profiles = true) const;
  // The board count, checked; nothing, after a message, when there is no
  // board to work on. reported: what the device library said.
  std::optional<int> BoardCount(int* reported = nullptr) const;
  // The boards a command names, checked against the count; nothing after a
  // message, with status set.
  std::optional<std::vector<int>> Targets(const CommandLine& line, int& status) const;
  // Whether the board opened; it is told otherwise, with status set.
  bool Opened(const OpenBoard& board, int& status) const;
  // The one board a command names, open; null after a message.
  std::unique_ptr<OpenBoard> OpenNamed(const CommandLine& line, int& status) const;
};

// The commands; each checks what its row in command_table.h does not
// (its words, options that go only with some of its sub-actions) and gives
// the exit status.
int BoardsCommand(Korvctl& k, const CommandLine& line);
int ShowCommand(Korvctl& k, const CommandLine& line);
int GetCommand(Korvctl& k, const CommandLine& line);
int SetCommand(Korvctl& k, const CommandLine& line);
int ListCommand(Korvctl& k, const CommandLine& line);
int ApplyCommand(Korvctl& k, const CommandLine& line);
int DefaultsCommand(Korvctl& k, const CommandLine& line);
int ProfileCommand(Korvctl& k, const CommandLine& line);
int PictureCommand(Korvctl& k, const CommandLine& line);
int ReportCommand(Korvctl& k, const CommandLine& line);

// Whether the board does not have wanted setting i: it is wanted, and the
// board reported another value or none.
bool Differs(const BoardReading& board, const WantedSettings& wanted, size_t i);
// Brings each board to what is wanted (apply_commands.cpp): reads it, sends
// what differs in the apply order (nothing when only checking), reads it
// back and reports every wanted setting, as text or one JSON document.
int BringBoardsToWanted(Korvctl& k, const std::vector<int>& boards, const WantedSettings& wanted, bool check,
                        bool json);
// Reads the board and writes its settings to path: kDone, or after a
// message kBoardFailed (it did not report them) or kFileFailed.
int SaveBoard(Korvctl& k, int index, const std::filesystem::path& path);

// Words for a message: "a, b and c" with last " and ", "a, b or c" with
// " or ", "a, b, c" with ", ".
std::string Listed(const std::vector<std::string>& words, const char* last);
// The same of the words of a table's rows (a sub-action's, a picture's).
template <class Row, size_t n>
std::string ListedWords(const Row (&rows)[n], const char* last) {
  std::vector<std::string> words;
  for (const Row& row : rows) words.push_back(row.word);
  return Listed(words, last);
}
// The row of a table with that word, or null.
template <class Row, size_t n>
const Row* FindWord(const Row (&rows)[n], const std::string& word) {
  for (const Row& row : rows)
    if (word == row.word) return &row;
  return nullptr;
}
