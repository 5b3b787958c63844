// Demo host: loads korvcfg.dll from its own folder and calls bd_ShowConfigDlg,
// as a host application would. Beside the module's dialogs it shows the
// board monitor (board_monitor.h) when korvio.dll is the simulator. Its
// options are kUsage's.
#include <windows.h>

#include "board_monitor.h"
#include "control_ids.h"
#include "host_path.h"
#include "korvcfg.h"
#include "korvio_binding.h"
#include "sim_picture.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kUsage[] =
    "usage: korvhost [--repeat N] [--screenshot DIR [--press ID,...]] [--no-monitor] [--module PATH]\n";
// --repeat N       call bd_ShowConfigDlg N times (default 1)
// --screenshot DIR for a run without a person: every dialog or message box
//                  the module shows is saved as DIR\korvcfg-K.png and then
//                  answered (the first board is chosen, boxes are confirmed,
//                  the configuration dialog is closed). Before the
//                  configuration dialog is closed, the controls of --press
//                  are clicked, each time until the monitor shows a new
//                  picture, and the monitor is saved as DIR\monitor.png and
//                  beside the dialog as DIR\dialog-and-monitor.png.
// --press ID,...   control ids to click, by default IDC_BARS_100_0_75_00
// --no-monitor     no board monitor
// --module PATH    the korvcfg.dll to load, by its full path with
//                  LOAD_WITH_ALTERED_SEARCH_PATH (default: the one beside
//                  this program)

// Saves what the screen shows in r.
bool SaveScreenPng(const RECT& r, const std::string& path) {
  const std::vector<uint32_t> pixels = ScreenPixels(nullptr, r);
  return !pixels.empty() && WritePng(path.c_str(), pixels.data(), r.right - r.left, r.bottom - r.top);
}

void SaveWindows(std::initializer_list<HWND> windows, const std::string& path) {
  RECT all = {}, r;
  for (HWND w : windows) {
    GetWindowRect(w, &r);
    UnionRect(&all, &all, &r);
  }
  if (SaveScreenPng(all, path)) std::printf("screenshot: %s\n", path.c_str());
  std::fflush(stdout);
}

struct Headless {
  DWORD thread;  // the thread that calls the module
  std::string dir;
  std::vector<int> presses;
  HWND monitor;
};

// Clicks the controls of the configuration dialog, each time waiting for the
// monitor to show a new picture, and saves the monitor alone and beside the
// dialog.
void PressAndShowMonitor(HWND dialog, const Headless& run) {
  for (int id : run.presses) {
    HWND control = GetDlgItem(dialog, id);
    // A disabled button must not be clicked: under Wine it hangs the dialog.
    if (!control || !IsWindowEnabled(control)) {
      std::printf("no enabled control %d in the dialog\n", id);
      continue;
    }
    // Sent, not posted, so that it returns once the dialog has handled the
    // click; then the monitor's timer takes the new picture.
    long before = BoardMonitorPictures(run.monitor);
    DWORD start = GetTickCount();
    DWORD_PTR result;
    SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &result);
    DWORD handled = GetTickCount();
    while (BoardMonitorPictures(run.monitor) == before && GetTickCount() - handled < 1000) Sleep(5);
    if (BoardMonitorPictures(run.monitor) == before)
      std::printf("control %d: handled in %lu ms, the board's picture stayed\n", id, handled - start);
    else
      std::printf("control %d: handled in %lu ms, on the monitor %lu ms later\n", id, handled - start,
                  GetTickCount() - handled);
  }
  Sleep(300);  // let it paint
  SaveWindows({run.monitor}, run.dir + "\\monitor.png");
  SaveWindows({dialog, run.monitor}, run.dir + "\\dialog-and-monitor.png");
}

// Saves and answers every dialog of the calling thread until it ends.
void ScreenshotLoop(Headless run, const std::atomic<bool>* done) {
  std::set<HWND> seen;
  int shot = 0;
  while (!*done) {
    HWND found = FindThreadDialog(run.thread, [&seen](HWND w) { return !seen.count(w); });
    if (!found) {
      Sleep(50);
      continue;
    }
    seen.insert(found);
    Sleep(700);  // let it paint
    SaveWindows({found}, run.dir + "\\korvcfg-" + std::to_string(++shot) + ".png");
    // The selection dialog's list; the configuration dialog has a button
    // with the same id.
    HWND list = GetDlgItem(found, IDC_BOARD_LIST);
    char cls[16] = {};
    if (list) GetClassNameA(list, cls, sizeof cls);
    if (_stricmp(cls, "ComboBox") != 0) list = nullptr;
    if (list && SendMessageA(list, CB_GETCOUNT, 0, 0) > 0) {
      SendMessageA(list, CB_SETCURSEL, 0, 0);
      PostMessageA(found, WM_COMMAND, IDOK, 0);
    } else if (GetDlgItem(found, IDCANCEL)) {
      if (!list && IsWindow(run.monitor)) PressAndShowMonitor(found, run);
      PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
    } else {
      PostMessageA(found, WM_COMMAND, IDOK, 0);
    }
  }
}

std::vector<int> IdList(const char* text) {
  std::vector<int> ids;
  for (const char* p = text; *p;) {
    char* end;
    ids.push_back(static_cast<int>(std::strtol(p, &end, 10)));
    p = *end == ',' ? end + 1 : end + std::strlen(end);
  }
  return ids;
}

}  // namespace

int main(int argc, char** argv) {
  int repeat = 1;
  bool monitor = true;
  std::string screenshotDir;
  std::string modulePath;
  std::vector<int> presses = {IDC_BARS_100_0_75_00};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
      repeat = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
      screenshotDir = argv[++i];
    } else if (std::strcmp(argv[i], "--press") == 0 && i + 1 < argc) {
      presses = IdList(argv[++i]);
    } else if (std::strcmp(argv[i], "--no-monitor") == 0) {
      monitor = false;
    } else if (std::strcmp(argv[i], "--module") == 0 && i + 1 < argc) {
      modulePath = argv[++i];
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }

  // The module beside this program, found by this program's whole path.
  const std::wstring dll =
      modulePath.empty() ? (ModuleFolder(nullptr) / L"korvcfg.dll").native() : WideText(modulePath);
  HMODULE module = modulePath.empty() ? LoadLibraryW(dll.c_str())
                                      : LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    const DWORD error = GetLastError();
    std::fprintf(stderr, "korvhost: cannot load %s (error %lu)\n", AnsiText(dll).c_str(), error);
    return 1;
  }
  auto show = reinterpret_cast<bd_ShowConfigDlg_t>(GetProcAddress(module, "bd_ShowConfigDlg"));
  if (!show) {
    std::fprintf(stderr, "korvhost: %s has no bd_ShowConfigDlg\n", AnsiText(dll).c_str());
    return 1;
  }

  // The monitor lives on this thread: the module's modal dialogs run its timer.
  HWND monitorWindow = nullptr;
  // The module binds korvio.dll only when it is called; the monitor loads
  // it first, from where the module looks (beside korvcfg.dll, beside this
  // program, the system folder), and the module then uses that one.
  SimInspection sim;
  if (monitor) LoadDeviceLibrary(ModuleFolder(module).native());
  if (monitor && FindSimInspection(sim)) {
    monitorWindow = CreateBoardMonitor(sim);
  } else if (monitor) {
    std::printf("korvio.dll is not the simulator: no board monitor\n");
  }

  std::atomic<bool> done{false};
  std::thread shooter;
  if (!screenshotDir.empty())
    shooter = std::thread(ScreenshotLoop, Headless{GetCurrentThreadId(), screenshotDir, presses, monitorWindow}, &done);
  for (int i = 0; i < repeat; ++i) show();
  done = true;
  if (shooter.joinable()) shooter.join();
  if (monitorWindow) DestroyWindow(monitorWindow);
  FreeLibrary(module);
  return 0;
}
