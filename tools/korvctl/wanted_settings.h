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

// What a setting takes, for a message: "cvbs1 (0), yc (1), ..." or a range.
std::string SettingChoices(const BoardSetting& s);

// What the file at path asks for; false and the reason, naming the line or
// key, when it is no settings file.
bool ReadWantedSettings(const std::filesystem::path& path, WantedSettings& wanted, std::string& problem);
