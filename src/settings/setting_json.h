// The settings as JSON, the one way korvctl's documents and the simulator's
// saved state write them: {"video-source": {"code": 5, "word": "cvbs2"},
// ...}, every row of the table in its order; a value that is not known has
// nulls.
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
