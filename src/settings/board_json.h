// One board as korvctl's documents and the simulator's saved state write it:
// {"index": 0, "opens": true, "type": 5632, "sdiSubBoard": false,
//       "settings": {...}}; what is not known is null.
#pragma once

#include <optional>
#include <string>

struct BoardFacts {
  int index = 0;
  bool opens = false;
  std::optional<int> type;
  std::optional<bool> sdiSubBoard;
};

// settings: the settings object (setting_json.h) or "null", on a line of
// its own when it is an object; nothing leaves the member out. more: the
// members that follow it, each with its leading comma.
inline std::string BoardJson(const BoardFacts& board, const std::optional<std::string>& settings = std::nullopt,
                             const std::string& more = "") {
  const auto flag = [](bool value) { return value ? "true" : "false"; };
  std::string json = "{\"index\": " + std::to_string(board.index) + ", \"opens\": " + flag(board.opens) +
                     ", \"type\": " + (board.type ? std::to_string(*board.type) : "null") +
                     ", \"sdiSubBoard\": " + (board.sdiSubBoard ? flag(*board.sdiSubBoard) : "null");
  if (settings) json += (*settings == "null" ? ", " : ",\n      ") + std::string("\"settings\": ") + *settings;
  return json + more + "}";
}
