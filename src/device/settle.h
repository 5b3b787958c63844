// Closing a board: it is given a moment after its last call first, so that
// what was sent last has reached it before it is closed.
#pragma once

#include <chrono>
#include <thread>

#include "korvio.h"

constexpr std::chrono::milliseconds kBoardSettleTime{100};

inline void CloseBoardWhenSettled(int board) {
  std::this_thread::sleep_for(kBoardSettleTime);
  Orbel_Close(board);
}
