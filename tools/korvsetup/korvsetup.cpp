// "Korvex Board Setup": the configuration dialog without a host program. It
// loads the korvcfg.dll installed beside it, by its full path, and calls
// bd_ShowConfigDlg; the module tells the user itself when the board's
// device library is missing. A GUI program: no console window.
#include <windows.h>

#include <string>

#include "host_path.h"
#include "korvcfg.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Only the folder the program lives in: never the current folder or PATH.
  const std::wstring path = (ModuleFolder(nullptr) / L"korvcfg.dll").native();
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD error = GetLastError();
  auto show = module ? reinterpret_cast<bd_ShowConfigDlg_t>(GetProcAddress(module, "bd_ShowConfigDlg")) : nullptr;
  if (!show) {
    // 126: the file is missing; 193: it is of the other architecture.
    const std::wstring text = L"Cannot load the board's configuration module:\n" + path + L"\n\nError " +
                              std::to_wstring(module ? GetLastError() : error) +
                              L". Install Korvex Board Setup again.";
    MessageBoxW(nullptr, text.c_str(), L"Korvex Board Setup", MB_OK | MB_ICONERROR);
    if (module) FreeLibrary(module);
    return 1;
  }
  show();
  FreeLibrary(module);
  return 0;
}
