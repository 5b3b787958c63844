// One open board for korvctl's commands: opened with Orbel_Initial(N, 1, 0)
// and closed once, after a moment for the board to settle, when the command
// is done, whatever the way out; or at once by CloseKorvctlBoard when
// the user presses Ctrl+C.
#pragma once

class OpenBoard {
 public:
  explicit OpenBoard(int board);
  ~OpenBoard();
  OpenBoard(const OpenBoard&) = delete;
  OpenBoard& operator=(const OpenBoard&) = delete;
  bool IsOpen() const { return open_; }
  int index() const { return board_; }

 private:
  int board_;
  bool open_ = false;
};

// Closes the board a run has open, if any, at once and only once: for a
// console handler when the user presses Ctrl+C or closes the window.
void CloseKorvctlBoard();
