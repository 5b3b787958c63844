// Drives the real dialogs of korvcfg.dll under Wine, as a person would.
//
// ModuleRun calls bd_ShowConfigDlg on a thread of its own; the test's thread
// finds that thread's dialogs and message boxes, reads them and clicks,
// scrolls, presses keys and closes them. Every wait has a time limit: a
// dialog that never comes or never goes fails the test instead of hanging.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "wine_testing.h"

namespace ui {

// One window created or destroyed on the module's thread, seen by a CBT hook
// as it happened. Times are on the simulator's clock (KorvSim_Now).
struct WindowEvent {
  bool created;  // false: destroyed
  HWND hwnd;
  HWND parent;
  std::wstring className;
  std::wstring text;
  int id;
  DWORD style;
  DWORD exStyle;
  double ms;
};

class ModuleRun {
 public:
  // Loads the module (a full path, or a file in the test program's folder)
  // and starts `calls` calls of bd_ShowConfigDlg, one after the other.
  explicit ModuleRun(int calls = 1, const std::wstring& module = L"korvcfg.dll");
  // Runs body on that thread instead, such as a dialog of the module's code
  // that the test program links itself.
  explicit ModuleRun(std::function<void()> body);
  // Waits for the run to end; if it does not, closes what it can, and if
  // the thread is still stuck, fails the test and ends the process.
  ~ModuleRun();

  DWORD ThreadId() const { return threadId_; }
  bool Finished() const;
  // True when every call of bd_ShowConfigDlg has returned within the time.
  bool WaitFinished(int timeoutMs = 5000);

  // The first visible dialog or message box of the run's thread for which
  // `match` holds; null after the time limit.
  HWND WaitWindow(const std::function<bool(HWND)>& match, int timeoutMs = 5000);
  HWND WaitWindowTitled(const std::wstring& caption, int timeoutMs = 5000);
  HWND WaitMessageBox(int timeoutMs = 5000);
  // Every visible top-level window of the run's thread.
  std::vector<HWND> Windows() const;

  // Returns once the run's thread has handled everything posted to it so
  // far (a marker message goes through its message loop).
  bool Sync(int timeoutMs = 5000);
  // Runs `action` on the run's thread when its message loop next takes a
  // message, as a host's handler of that message would run; then Syncs.
  bool RunInItsLoop(std::function<void()> action, int timeoutMs = 5000);

  std::vector<WindowEvent> Events() const;
  void ForgetEvents();
  // The time a top-level dialog with this caption was destroyed, or -1.
  double DestroyedAt(const std::wstring& caption) const;
  // How many top-level dialogs (class #32770) were created.
  int DialogsCreated() const;

 private:
  static void Body(ModuleRun* self, std::function<void()> body);

  std::thread thread_;
  DWORD threadId_ = 0;
  HANDLE started_;
  volatile LONG finished_ = 0;
};

// Reading windows.
std::wstring Text(HWND window);
std::wstring ClassName(HWND window);
bool IsMessageBox(HWND window);
// The text of a message box (its static 0xFFFF).
std::wstring MessageText(HWND box);
// Whether a message box shows the information icon.
bool HasInformationIcon(HWND box);
// Ids of the push buttons of a dialog, in creation order.
std::vector<int> ButtonIds(HWND dialog);
int CheckState(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
int ScrollPos(HWND dialog, int id);
std::vector<std::wstring> ListEntries(HWND dialog, int id);
int ListSelection(HWND dialog, int id);

// Acting on windows. All actions are posted, so a handler that opens a
// message box does not block the test; use Sync or a Wait to know when it
// has run.
void Click(HWND dialog, int id);  // never on a disabled button: that hangs Wine
// The click notification of a button as the dialog receives it, also for a
// disabled button, which a person cannot click.
void Command(HWND dialog, int id);
void SelectListEntry(HWND dialog, int id, int index);
void PressKey(ModuleRun& run, HWND dialog, WORD key);  // to the focused control
// Real key presses, as a keyboard makes them (SendInput), which go through
// the dialog manager as a person's do: `window` (a dialog or box of the
// run) is brought to the front, then each key is pressed and released, with
// its modifier (VK_MENU, VK_SHIFT) held around it. Returns once the run's
// thread has handled every key; false if it did not within the time.
struct Key {
  WORD vk;
  WORD modifier = 0;
};
bool Type(ModuleRun& run, HWND window, const std::vector<Key>& keys);
// The window that has the keyboard focus on the run's thread.
HWND Focus(const ModuleRun& run);
void PressClose(HWND window);                          // the close box
void Scroll(HWND dialog, int id, int code, int position = 0);

// A folder of its own in the temporary folder (TempFolder), holding a copy
// of korvcfg.dll (and whatever a test puts there), so that a run's Board.ini
// and TestAlpha.tga are the test's alone. The copy stays loaded until the
// test program ends, so the folder is left behind.
class ModuleFolder : public TempFolder {
 public:
  explicit ModuleFolder(const std::wstring& suffix = L"");
  std::wstring Module() const { return Path() + L"korvcfg.dll"; }
  bool CopyIn(const std::wstring& name) const;  // from the test program's folder, waiting while it is held
  bool Write(const std::wstring& name, const std::vector<uint8_t>& bytes) const;
};

// Waits until `condition` holds, checking every few milliseconds.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Utf-8 to wide, so tests can spell expected texts plainly.
std::wstring W(const char* utf8);

}  // namespace ui
