#include "installed_win32.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

#include "host_path.h"

namespace {

constexpr size_t kMaxOutput = 4 << 20;

struct Reader {
  HANDLE pipe;
  std::string* text;
};

DWORD WINAPI ReadAll(void* parameter) {
  const Reader& r = *static_cast<Reader*>(parameter);
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(r.pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
    if (r.text->size() < kMaxOutput) r.text->append(buffer, n);
  return 0;
}

}  // namespace

ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs, HANDLE stop) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0)) {
    run.error = GetLastError();
    for (HANDLE h : {input, outRead, outWrite, errRead, errWrite})
      if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return run;
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  std::wstring line = L"\"" + program + L"\" " + arguments;
  std::vector<wchar_t> writable(line.begin(), line.end());
  writable.push_back(0);
  PROCESS_INFORMATION process{};
  run.started = CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &startup, &process) != 0;
  run.error = run.started ? 0 : GetLastError();
  // The child holds its own ends now; the pipes end when it does.
  for (HANDLE h : {input, outWrite, errWrite})
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  Reader readers[] = {{outRead, &run.out}, {errRead, &run.err}};
  HANDLE threads[2] = {};
  if (run.started) {
    for (int i = 0; i < 2; ++i) threads[i] = CreateThread(nullptr, 0, ReadAll, &readers[i], 0, nullptr);
    HANDLE waits[] = {process.hProcess, stop};
    const DWORD woke = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, timeoutMs);
    run.finished = woke == WAIT_OBJECT_0;
    if (!run.finished) {
      TerminateProcess(process.hProcess, ERROR_TIMEOUT);
      WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    for (HANDLE t : threads)
      if (t) {
        // A process the child started may still hold the pipe: the readers
        // are not waited for without end.
        if (WaitForSingleObject(t, 2000) == WAIT_TIMEOUT) TerminateThread(t, 0);
        CloseHandle(t);
      }
  }
  CloseHandle(outRead);
  CloseHandle(errRead);
  return run;
}

bool GuardPath(const std::wstring& path, Guarded what, DWORD& error) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = GetLastError();
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    error = ERROR_CANT_ACCESS_FILE;  // a link: what it leads to is not ours to change
    return false;
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::string sddl = GuardedSddl(what);
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(WideFromUtf8(sddl).c_str(), SDDL_REVISION_1, &descriptor,
                                                            nullptr)) {
    error = GetLastError();
    return false;
  }
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
  GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
  std::vector<wchar_t> name(path.begin(), path.end());
  name.push_back(0);
  error = SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                    PROTECTED_DACL_SECURITY_INFORMATION,
                                owner, nullptr, dacl, nullptr);
  LocalFree(descriptor);
  return error == ERROR_SUCCESS;
}

std::wstring RecordFolder(DWORD& error) {
  PWSTR data = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &data);
  if (FAILED(result)) {
    error = HRESULT_CODE(result);
    return L"";
  }
  std::wstring folder = std::wstring(data) + L"\\" KORV_RECORD_FOLDER;
  CoTaskMemFree(data);
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    error = GetLastError();
    return L"";
  }
  // Made now or long ago, perhaps by a user: it is made the system's either way.
  return GuardPath(folder, Guarded::kRecords, error) ? folder : L"";
}

std::wstring WideFromUtf8(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), n);
  return wide;
}

std::string ErrorText(DWORD error) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string said = text ? Utf8Text(text) : "";
  if (text) LocalFree(text);
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ')) said.pop_back();
  return "error " + std::to_string(error) + (said.empty() ? "" : " (" + said + ")");
}

