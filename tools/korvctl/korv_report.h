// korvctl's support report: one JSON document with the programs' versions,
// the Windows version, the device library that was bound, the module's
// folder, Board.ini byte and record, and every board with every setting.
// Making it only reads: nothing is sent to a board and no file is written.
// The simulator takes such a report as its state (sim/sim_state.h).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "board_json.h"
#include "board_settings.h"
#include "open_board.h"
#include "setting_table.h"

// A program file as the report gives it. Text is UTF-8.
struct FileFacts {
  std::string path;
  std::string version;  // from its version resource: "1.6.0.0"
  std::string problem;  // why the path or the version is missing
};

// What only the platform knows (korvctl_main.cpp fills it on Win32).
struct SystemFacts {
  FileFacts korvctl, korvcfg, deviceLibrary;
  std::string windowsVersion;  // "10.0.19045"; empty when unknown
  std::string moduleFolder;    // korvctl.exe's folder, which korvcfg.dll shares
  std::optional<bool> folderWritable;
};

// Whether a board opened, and its type and SDI sub-board as it reports them.
BoardFacts ReadBoardFacts(const OpenBoard& board);

// A board's settings, read in the read order, and which it reported.
struct BoardReading {
  BoardSettings values;
  bool reported[kBoardSettingCount] = {};
};
BoardReading ReadBoard(int index);

// Every setting as {"name": {"code": 5, "word": "cvbs2"}, ...}, as show
// --json prints it; a setting not reported has nulls. reported null: all.
std::string SettingsJson(const BoardSettings& values, const bool* reported);

// The report. deviceLibraryBound false: the boards are not asked.
std::string ReportJson(const SystemFacts& facts, bool deviceLibraryBound, const std::filesystem::path& boardIni);
