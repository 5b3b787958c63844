#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "file_store.h"
#include "host_path.h"

bool ReadWholeFile(const std::string& path, size_t limit, std::string& text) {
  text.clear();
  HANDLE h = CreateFileW(FileApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND;
  }
  char buffer[4096];
  DWORD n = 0;
  bool ok;
  while ((ok = ReadFile(h, buffer, sizeof buffer, &n, nullptr) != 0) && n > 0 && text.size() <= limit)
    text.append(buffer, n);
  CloseHandle(h);
  return ok && text.size() <= limit;
}

namespace {

bool WriteAll(HANDLE h, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    // At most 1 GiB a call: a DWORD cannot count every size_t of a 64-bit build.
    const DWORD size = DWORD(FileStoreTake(std::min<size_t>(text.size() - done, size_t(1) << 30)));
    DWORD n = 0;
    if (size == 0 || !WriteFile(h, text.data() + done, size, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

bool ReplaceWholeFile(const std::string& path, const std::string& text) {
  const std::wstring target = FileApiPath(path);
  // The platform (Wine as the superuser, at least) writes, moves over and
  // replaces read-only files without complaint: the attribute is looked at
  // here. The new file takes the old one's hidden and system attributes.
  DWORD keep = FILE_ATTRIBUTE_NORMAL;
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
      keep = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }

  // A name no other save uses: this process's id, a count, and CREATE_NEW.
  static std::atomic<unsigned> counter{0};
  std::wstring temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; h == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
    temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) + L".tmp";
    h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, keep, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(h, text) && FlushFileBuffers(h);
  ok = CloseHandle(h) && ok;
  if (ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileW(temp.c_str());
  return false;
}
