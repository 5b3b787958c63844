#include "open_board.h"

#include <mutex>

#include "korvio.h"
#include "settle.h"

namespace {

// The open board, for the console handler.
std::mutex g_boardLock;
int g_openBoard = -1;

}  // namespace

OpenBoard::OpenBoard(int board) : board_(board) {
  std::lock_guard<std::mutex> guard(g_boardLock);
  open_ = Orbel_Initial(board, 1, 0) != 0;
  if (open_) g_openBoard = board;
}

OpenBoard::~OpenBoard() {
  if (!open_) return;
  // Unless the console handler has closed it already.
  std::lock_guard<std::mutex> guard(g_boardLock);
  if (g_openBoard == board_) CloseBoardWhenSettled(board_);
  g_openBoard = -1;
}

void CloseKorvctlBoard() {
  std::lock_guard<std::mutex> guard(g_boardLock);
  if (g_openBoard >= 0) Orbel_Close(g_openBoard);
  g_openBoard = -1;
}
