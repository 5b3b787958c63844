// korvctl: the board's settings, defaults and test pictures from a command
// line, through the same code as the configuration dialog. This is the
// portable part; korvctl_main.cpp binds it to a Windows console.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "korv_report.h"
#include "test_pictures.h"
#include "tga_platform.h"

// What a run needs from its program.
struct KorvctlContext {
  std::filesystem::path directory;  // korvctl.exe's folder: Board.ini, TestAlpha.tga
  TgaPlatform* platform;  // for the alpha picture
  std::ostream* out;      // results
  std::ostream* err;      // messages
  // A path as a message shows it; null: in UTF-8.
  std::string (*showPath)(const std::filesystem::path& path);
  // Whether frame memory the board gives may be written; null: any.
  FrameMemoryCheck frameMemory;
  // What the platform tells the support report; null: nothing.
  void (*systemFacts)(SystemFacts& facts) = nullptr;
  // Why the device library is not bound, or null when it is: every command
  // but the report then ends with this message.
  const char* deviceLibraryProblem = nullptr;
  // The configuration dialog's templates in English and in Chinese, as
  // korvcfg.dll holds them, for list's labels; empty: not found.
  std::string englishDialog = {}, chineseDialog = {};
};

// Exit statuses.
enum KorvctlStatus {
  kDone = 0,
  kBoardFailed = 1,  // a board refused a value or could not be opened
  kFileFailed = 1,   // a file or folder could not be written, read or removed
  kBadCommandLine = 2,  // also a bad file; nothing was sent
  kDifferent = 3,       // apply --check: a board differs from the file
};

// Runs one command line (without the program's name), its words in UTF-8.
int RunKorvctl(const std::vector<std::string>& args, const KorvctlContext& context);
