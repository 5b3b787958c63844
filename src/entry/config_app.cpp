// The module object and the one export, bd_ShowConfigDlg: count the boards,
// pick one, open it, run the configuration dialog on it, close it.
#include "config_app.h"

#include <atomic>
#include <cstdio>

#include "board_count.h"
#include "korvio.h"
#include "korvio_binding.h"
#include "missing_functions.h"
#include "settle.h"
#include "board_config_dialog.h"
#include "host_path.h"
#include "module_path.h"
#include "select_board_dialog.h"
#include "text_ids.h"

ConfigApp theApp;
int UseChinese = 0;

namespace {

bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

// A text of the run in the system's language: for the byte-string
// functions (the Chinese in GBK), or as wide text.
std::string GbkText(int id) { return LoadTextBytes(id, UseChinese != 0); }
std::wstring Utf16Text(int id) { return LoadText(id, UseChinese != 0); }

}  // namespace

void ConfigApp::InitInstance(HINSTANCE module) {
  // The whole path, however long (a cut one names a parent folder).
  ModuleDirectory = ModuleFolder(module);
  // The caption as the platform shows the name in the code page.
  AppName = BaseNameOfPath(AnsiText(ModuleFileName(module)), IsAnsiLeadByte);
  UseChinese = GetSystemDefaultLangID() == 0x0804;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    theApp.InitInstance(module);
    Dialog::SetResourceModule(module);
    Dialog::SetLanguage(UseChinese != 0);
  }
  return TRUE;
}

namespace {

// The thread whose configuration run is open, 0 while none is.
std::atomic<DWORD> g_runThread{0};

void Inform(const char* text) { ShowInformation(nullptr, theApp.AppName.c_str(), text); }
void Inform(int textId) { Inform(GbkText(textId).c_str()); }

BOOL CALLBACK FindActiveWindow(HWND window, LPARAM found) {
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Brings the open run's dialog or message box to the front, where the
// platform lets it.
void BringRunToFront(DWORD thread) {
  HWND window = nullptr;
  EnumThreadWindows(thread, FindActiveWindow, reinterpret_cast<LPARAM>(&window));
  if (window) SetForegroundWindow(GetLastActivePopup(window));
}

// One configuration run. openedBoard is the board while it is open, so that
// the caller can close it if the run ends in an exception.
void RunConfiguration(int& openedBoard) {
  char message[256];
  // The board's library first: without all of it no device call is made.
  std::vector<const char*> missing;
  if (!BindDeviceLibrary(theApp.ModuleDirectory.native(), missing)) {
    if (!missing.empty()) {
      const std::string list = MissingFunctionList(missing, GbkText(IDS_AND_MORE));
      std::snprintf(message, sizeof message, GbkText(IDS_INCOMPLETE_DEVICE_LIBRARY).c_str(), list.c_str());
      Inform(message);
      return;
    }
    // The folders in wide text: a path need not fit the code page.
    std::wstring text = Utf16Text(IDS_NO_DEVICE_LIBRARY) + L"\n" + Utf16Text(IDS_LIBRARY_FOLDERS);
    for (const std::wstring& folder : DeviceLibraryFolders(theApp.ModuleDirectory.native())) text += L"\n" + folder;
    ShowInformation(nullptr, WideText(theApp.AppName), text);
    return;
  }
  const int reported = Orbel_GetCardNum();
  const std::optional<int> checked = CheckedBoardCount(reported);
  if (!checked && reported > 0) {  // more than any machine holds
    std::snprintf(message, sizeof message, GbkText(IDS_IMPOSSIBLE_COUNT).c_str(), reported);
    Inform(message);
    return;
  }
  if (!checked || *checked == 0) {  // a negative count is no board either
    Inform(IDS_NO_BOARD);
    return;
  }
  const int count = *checked;

  int board = 0;
  if (count == 1) {
    if (!Orbel_Initial(0, 1, 0)) {
      Inform(IDS_CANNOT_OPEN_ONLY);
      return;
    }
  } else {
    SelectBoardDialog select(UseChinese ? IDD_SELECT_BOARD_CHINESE : IDD_SELECT_BOARD_ENGLISH, theApp.AppName);
    select.BoardCount = count;
    if (select.DoModal() != IDOK) return;
    board = select.SelectedBoard;
    if (!Orbel_Initial(board, 1, 0)) {
      std::snprintf(message, sizeof message, GbkText(IDS_CANNOT_OPEN_CHOSEN).c_str(), board + 1);
      Inform(message);
      return;
    }
  }
  openedBoard = board;

  BoardConfigDialog dialog(UseChinese ? IDD_CONFIG_CHINESE : IDD_CONFIG_ENGLISH, board, theApp.ModuleDirectory);
  if (count > 1) {
    std::snprintf(message, sizeof message, GbkText(IDS_DIALOG_TITLE).c_str(), board + 1);
    dialog.DialogTitle = message;
  }
  if (dialog.DoModal() == -1) Inform(IDS_CANNOT_OPEN_DIALOG);
  openedBoard = -1;
  CloseBoardWhenSettled(board);
}

}  // namespace

extern "C" void bd_ShowConfigDlg(void) {
  // One run at a time: a call while a run is open (from another thread, or
  // from the host's handling of a message that the run's dialog pumps)
  // would open the same board again and close it twice.
  DWORD running = 0;
  if (!g_runThread.compare_exchange_strong(running, GetCurrentThreadId())) {
    BringRunToFront(running);
    return;
  }
  // No C++ exception may reach the host: what escapes the run (no memory
  // for the dialog, say) is told to the user, and a board opened on the way
  // is closed as after the dialog.
  int openedBoard = -1;
  try {
    RunConfiguration(openedBoard);
  } catch (...) {
    ReportCurrentException(nullptr);
    if (openedBoard >= 0) CloseBoardWhenSettled(openedBoard);
  }
  g_runThread = 0;
}
