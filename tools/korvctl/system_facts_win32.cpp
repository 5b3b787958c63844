#include "system_facts_win32.h"

#include <windows.h>

#include <string>
#include <vector>

#include "host_path.h"

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

// A file's path and the file version of its version resource.
FileFacts Describe(const std::wstring& path) {
  FileFacts file;
  file.path = Utf8(path);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    file.problem = "no such file";
    return file;
  }
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) {
    file.problem = "the file has no version resource";
    return file;
  }
  file.version = std::to_string(fixed->dwFileVersionMS >> 16) + "." + std::to_string(fixed->dwFileVersionMS & 0xFFFF) +
                 "." + std::to_string(fixed->dwFileVersionLS >> 16) + "." +
                 std::to_string(fixed->dwFileVersionLS & 0xFFFF);
  return file;
}

// GetVersionEx answers after the program's manifest; ntdll tells the truth.
std::string WindowsVersion() {
  struct Info {
    ULONG size, major, minor, build, platform;
    WCHAR servicePack[128];
  } info{};
  info.size = sizeof info;
  using RtlGetVersion = LONG(WINAPI*)(Info*);
  const auto get = reinterpret_cast<RtlGetVersion>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (!get || get(&info) != 0) return {};
  return std::to_string(info.major) + "." + std::to_string(info.minor) + "." + std::to_string(info.build);
}

// Whether a new file can be made in the folder: one that is gone when
// closed.
bool Writable(const std::wstring& folder) {
  const std::wstring probe = folder + L"korvctl-report-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

}  // namespace

void Win32SystemFacts(SystemFacts& facts) {
  const std::wstring folder = ModuleFolder(nullptr).native();
  facts.korvctl = Describe(ModuleFileName(nullptr));
  facts.korvcfg = Describe(folder + L"korvcfg.dll");
  facts.windowsVersion = WindowsVersion();
  facts.moduleFolder = Utf8(folder);
  facts.folderWritable = Writable(folder);
  HMODULE library = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, L"korvio.dll", &library))
    facts.deviceLibrary = Describe(ModuleFileName(library));
  else
    facts.deviceLibrary.problem = "korvio.dll is not loaded";
}
