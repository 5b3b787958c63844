// The settings a file asks a board for, as korvctl apply reads them: a
// Board.ini (any name) through the module's own codec, or JSON in the shape
// show --json prints, naming some or all settings by code, word or both.
// Every value is checked as korvctl set checks it before anything is sent.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "board_settings.h"
#include "setting_json.h"
#include "setting_table.h"

// What each row of the table should be; nothing for a row the file leaves
// alone. Only settable rows are ever asked for.
struct WantedSettings {
  std::optional<int32_t> values[kBoardSettingCount];
};

// Every settable row of a whole record.
WantedSettings WantedRecord(const BoardSettings& record);

// A value as set takes it: one of the row's words (in any case) or a code
// the row takes.
std::optional<int32_t> SettingValue(const BoardSetting& s, const std::string& text);

// Why a Board.ini's reading gives nothing that may be sent: the reason of a
// file that exists but gives no record, or the settings of its record that
// the table does not take, with their values ("video-source = 4"). Nothing
// for a record that may be sent, or no file (the factory values).
std::optional<std::string> NothingToSend(const SettingsFileReading& reading);

// What the file at path asks for; false and the reason, naming the line or
// key, when it is no settings file. Whatever the source, only what the
// settings table takes is ever asked for: a Board.ini or a profile with a
// value outside the table is refused whole, naming every such setting. JSON
// and Board.ini text with a byte-order mark, UTF-8 or UTF-16, is read as the
// text it holds (what Windows PowerShell and Notepad write).
bool ReadWantedSettings(const std::filesystem::path& path, WantedSettings& wanted, std::string& problem);
