#include "wine_testing.h"

#include <windows.h>

#include <filesystem>
#include <stdexcept>

#include "host_path.h"

std::wstring ProgramFolder() { return ModuleFolder(nullptr).native(); }

std::string FileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  CloseHandle(h);
  return bytes;
}

TempFolder::TempFolder(const std::wstring& suffix) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
  // Process ids repeat from one Wine session to the next, so only a folder
  // that did not exist yet will do.
  for (int n = 0; n < 1000; ++n) {
    path_ = std::wstring(temp, length) + L"korv-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(n) + suffix + L"\\";
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot make a folder in the temporary folder, error " + std::to_string(GetLastError()));
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
