// The board monitor: a window that shows what a simulated board shows, live,
// and under the picture one status line with the board's settings in words.
//
// It reads the board only through the simulator's inspection exports of the
// loaded korvio.dll and never calls korvcfg.dll. A timer on the thread that
// made the window keeps it current; on the demo host that is the thread that
// calls bd_ShowConfigDlg, whose modal dialogs pump the timer's messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The simulator's inspection functions (sim/korvsim.h), found by name.
struct SimInspection {
  int(__cdecl* isOpen)(int card);
  int(__cdecl* peek)(const char* name, int card);
  const unsigned*(__cdecl* output)(int card);
  const unsigned*(__cdecl* memory)(int card);
  int(__cdecl* lastWritten)(int card);
};

// False when the korvio.dll in this process is not the simulator (or is not
// loaded).
bool FindSimInspection(SimInspection& sim);

// Makes the monitor window on the calling thread and shows it. It watches
// the first open board (the last one it watched while none is open), shows
// its output or its frame memory, whichever was written last, and moves
// beside each new dialog of its thread that is not a message box.
HWND CreateBoardMonitor(const SimInspection& sim);

// How many times the monitor has taken a new picture from the board; any
// thread may ask.
long BoardMonitorPictures(HWND monitor);

// Where the picture is drawn, in the window's client coordinates.
RECT BoardMonitorPictureRect(HWND monitor);

// The settings of a board in words, as on the monitor's status line.
std::string BoardStatusLine(const SimInspection& sim, int card);

// What a window shows in r, in its client coordinates (with no window, what
// the screen shows, in screen coordinates), copied from the screen as
// 0x00RRGGBB pixels, top row first; empty when r is.
std::vector<uint32_t> ScreenPixels(HWND window, const RECT& r);

// The first visible dialog box (window class "#32770") of a thread that
// wanted takes; null when there is none.
HWND FindThreadDialog(DWORD thread, const std::function<bool(HWND)>& wanted);
