// The settings as JSON, the one way korvctl's documents and the simulator's
// saved state write and read them: {"video-source": {"code": 5, "word":
// "cvbs2"}, ...}, every row of the table in its order; a value that is not
// known has nulls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "json.h"
#include "setting_table.h"

inline std::string SettingValueJson(const BoardSetting& s, std::optional<int32_t> value) {
  const char* word = value ? s.WordOf(*value) : nullptr;
  return "{\"code\": " + (value ? std::to_string(*value) : "null") +
         ", \"word\": " + (word ? JsonString(word) : "null") + "}";
}

// valueOf(i): the value of row i, or nothing.
template <class ValueOf>
std::string SettingsJsonOf(ValueOf valueOf) {
  std::string json = "{";
  for (size_t i = 0; i < kBoardSettingCount; ++i)
    json += std::string(i ? ", " : "") + JsonString(kBoardSettings[i].name) + ": " +
            SettingValueJson(kBoardSettings[i], valueOf(i));
  return json + "}";
}

// One setting's value as JSON gives it: {"code": 5, "word": "cvbs2"} as
// korvctl's documents write it (either may be null), or the code or the word
// alone. The code must be one the table takes (a word's code, or within the
// range), the word one of the setting's in any case, and both the same
// value. value gets nothing when both are null. False, with the problem
// ("line 3: contrast is 300, which is no value of it; ..."), otherwise.
bool ReadSettingValue(const BoardSetting& s, const JsonValue& entry, std::optional<int32_t>& value,
                      std::string& problem);
// The code of one of the setting's words, in any case.
std::optional<int32_t> WordCode(const BoardSetting& s, const std::string& word);
// What a setting takes, for a message: "cvbs1 (0), yc (1), ..." or a range.
std::string SettingChoices(const BoardSetting& s);
