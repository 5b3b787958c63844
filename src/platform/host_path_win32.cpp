#include "host_path.h"

#include <windows.h>

#include <vector>

namespace {

std::string Narrow(const std::wstring& text, UINT codePage, DWORD flags, BOOL* usedDefault) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(codePage, flags, text.data(), int(text.size()), nullptr, 0, nullptr, usedDefault);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(codePage, flags, text.data(), int(text.size()), &out[0], n, nullptr, usedDefault);
  return out;
}

std::wstring Widen(const char* text, int size, UINT codePage) {
  if (size <= 0) return {};
  const int n = MultiByteToWideChar(codePage, 0, text, size, nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text, size, &out[0], n);
  return out;
}

}  // namespace

std::string AnsiText(const std::wstring& text) { return Narrow(text, CP_ACP, 0, nullptr); }

std::string Utf8Text(const std::wstring& text) { return Narrow(text, CP_UTF8, 0, nullptr); }

std::wstring WideText(const std::string& text) { return Widen(text.data(), int(text.size()), CP_ACP); }

std::string MessagePath(const std::filesystem::path& path) {
  // Best-fit mapping would turn a character the code page lacks into a
  // similar one, naming another file; only an exact round trip will do.
  const std::wstring& wide = path.native();
  BOOL usedDefault = FALSE;
  const std::string ansi = Narrow(wide, CP_ACP, WC_NO_BEST_FIT_CHARS, &usedDefault);
  if (!usedDefault && WideText(ansi) == wide) return ansi;
  return Utf8Text(wide);
}

std::wstring FileApiPath(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  if (wide.size() < MAX_PATH || wide.compare(0, 4, L"\\\\?\\") == 0) return wide;
  if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
  if (wide.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
  return wide;  // a relative path cannot take the prefix
}

bool IsDevicePath(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  // The system's own answer to "COM1", "C:\x\aux.txt", "nul": \\.\NAME.
  std::vector<wchar_t> full(wide.size() + MAX_PATH);
  const DWORD n = GetFullPathNameW(wide.c_str(), DWORD(full.size()), full.data(), nullptr);
  const std::wstring resolved = n > 0 && n < full.size() ? std::wstring(full.data(), n) : wide;
  for (const std::wstring& p : {wide, resolved}) {
    if (p.size() >= 4 && (p[0] == L'\\' || p[0] == L'/') && (p[1] == L'\\' || p[1] == L'/') &&
        (p[2] == L'.' || p[2] == L'?') && (p[3] == L'\\' || p[3] == L'/')) {
      if (p[2] == L'.') return true;
      const std::wstring rest = p.substr(4);
      const bool drive = rest.size() >= 3 && rest[1] == L':' && (rest[2] == L'\\' || rest[2] == L'/');
      const bool unc = rest.size() >= 4 && CompareStringOrdinal(rest.c_str(), 4, L"UNC\\", 4, TRUE) == CSTR_EQUAL;
      if (!drive && !unc) return true;
    }
  }
  return false;
}

void* OpenRegularFile(const std::filesystem::path& path, unsigned long access, unsigned long share) {
  if (IsDevicePath(path)) {
    SetLastError(ERROR_BAD_FILE_TYPE);
    return INVALID_HANDLE_VALUE;
  }
  const std::wstring name = FileApiPath(path);
  HANDLE h = CreateFileW(name.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    SetLastError(folder ? ERROR_BAD_FILE_TYPE : error);
    return INVALID_HANDLE_VALUE;
  }
  // A pipe (a FIFO under Wine too) or a serial port opens like a file; a
  // read from it may wait for ever.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    SetLastError(ERROR_BAD_FILE_TYPE);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

std::wstring ModuleFileName(void* module) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(static_cast<HMODULE>(module), buffer.data(), DWORD(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);  // whole: the result left room for its NUL
    if (buffer.size() >= 1 << 16) return {};                       // longer than any path the system allows
    buffer.resize(buffer.size() * 2);
  }
}

std::filesystem::path ModuleFolder(void* module) {
  const std::wstring file = ModuleFileName(module);
  return file.substr(0, file.find_last_of(L"\\/") + 1);
}
