/* A korvio.dll that is not the board's, as an attacker would plant one: its
   DllMain, the first code of a library to run, creates the file that
   KORV_FOREIGN_MARKER names, so that a test sees whether it was ever loaded.
   With KORV_FOREIGN_HANG set it never returns, as a device library that
   hangs: a test sees that its caller is ended after a bounded time. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  (void)module;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"KORV_FOREIGN_MARKER", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    if (GetEnvironmentVariableW(L"KORV_FOREIGN_HANG", path, MAX_PATH) > 0) Sleep(INFINITE);
  }
  return TRUE;
}
