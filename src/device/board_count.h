// The board count a device library reports, checked once for every caller.
#pragma once

#include <optional>

#include "korvio.h"

// The count, when a machine can have that many boards (0 to
// kMaxBoardCount); nothing for a negative count or a larger one.
inline std::optional<int> CheckedBoardCount(int reported) {
  if (reported < 0 || reported > kMaxBoardCount) return std::nullopt;
  return reported;
}
