#include "wine_testing.h"

#include <windows.h>

#include <filesystem>
#include <stdexcept>

#include "host_path.h"

std::wstring ProgramFolder() { return ModuleFolder(nullptr).native(); }

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
