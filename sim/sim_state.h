// The simulated boards' state from a file (KORVSIM_STATE): a support report
// of korvctl, or what `korvctl show --json` or `boards --json` prints. Such
// a file gives the board count, which boards fail to open, each board's type
// and SDI sub-board, and its settings by the names of the settings table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvsim.h"
#include "setting_table.h"

constexpr int32_t kSimBoardType = 0x1600;
// A report of 16 boards holds about 30 KB; a larger file than this is none.
constexpr size_t kMaxSimStateSize = 1 << 20;

// One board as a state file gives it; what it leaves out keeps its
// power-on value.
struct SimBoardState {
  bool opens = true;
  int32_t type = kSimBoardType;
  std::optional<bool> subBoard;
  std::optional<int32_t> values[kBoardSettingCount];  // in the order of the table's rows
};

// Every board of the text, as many as its count. False, with a message that
// names the line, for anything malformed: not JSON, wrong types, numbers
// beyond 32 bits, a setting the table does not know, a code or a word the
// table does not give the setting, more than KORVSIM_MAX_BOARDS boards.
bool ParseSimState(std::string_view text, std::vector<SimBoardState>& boards, std::string& error);
// The same from a regular file, refused unread above kMaxSimStateSize (its
// real size); UTF-8 or UTF-16 with a byte-order mark is read as its text.
bool LoadSimState(const std::filesystem::path& path, std::vector<SimBoardState>& boards, std::string& error);
