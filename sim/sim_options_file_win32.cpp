// The simulator's options from a file beside it, for processes that do not
// get the shell's environment, such as a service that Windows starts: when
// the DLL is loaded, each line NAME=VALUE of korvsim.env in its folder sets
// that variable in the process, unless the environment sets it already.
// Lines that begin with # and lines without = are skipped. Only tests and
// the simulator kit's users write this file; korvcfg and korvctl never read
// it.
#include <windows.h>

#include <string>

namespace {

void LoadOptionsFile(HMODULE self) {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  std::wstring file(path, n);
  file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"korvsim.env";
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  char buffer[16384];
  DWORD size = 0;
  const bool read = ReadFile(h, buffer, sizeof buffer - 1, &size, nullptr) != 0;
  CloseHandle(h);
  if (!read) return;
  std::string text(buffer, size);
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    begin = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (line.empty() || line[0] == '#' || eq == std::string::npos || eq == 0) continue;
    const std::string name = line.substr(0, eq);
    if (GetEnvironmentVariableA(name.c_str(), nullptr, 0) == 0)
      SetEnvironmentVariableA(name.c_str(), line.substr(eq + 1).c_str());
  }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) LoadOptionsFile(self);
  return TRUE;
}
