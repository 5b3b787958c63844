// korvboot.exe: the service that brings every board back to the stored
// defaults at each start of Windows, before anyone logs on. It runs the
// korvctl.exe installed beside it,
//   korvctl defaults restore --all-boards --verify --json
// which reads the Board.ini beside it with its strict reader, sends only
// what differs and reads the boards back, and keeps what came of it: one
// entry per board in the Application event log (source korvcfg) and the
// JSON record %ProgramData%\Korvex\boot-restore.json. The service says it
// runs at once and never holds up the start; a korvctl that hangs (a device
// call that never returns) is ended after a bounded time. Then it stops.
//   korvboot.exe [--timeout SECONDS]   as a service (the installer's entry)
//   korvboot.exe --once [--timeout SECONDS]   the same once, from a console
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "boot_record.h"
#include "file_store.h"
#include "host_path.h"
#include "installed_win32.h"
#include "korvboot_messages.h"  // the event log message (korvboot_messages.mc): its one insertion string

namespace {

#ifdef _WIN64
const wchar_t kServiceName[] = KORV_BOOT_SERVICE_64;
#else
const wchar_t kServiceName[] = KORV_BOOT_SERVICE_32;
#endif

DWORD g_timeoutMs = 120 * 1000;
HANDLE g_stop = nullptr;
SERVICE_STATUS_HANDLE g_status = nullptr;

// The service's state; a restore that failed ends it with its own code 1.
void Report(DWORD state, bool failed = false) {
  if (!g_status) return;
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  status.dwWin32ExitCode = failed ? ERROR_SERVICE_SPECIFIC_ERROR : NO_ERROR;
  status.dwServiceSpecificExitCode = failed ? 1 : 0;
  SetServiceStatus(g_status, &status);
}

void LogEvents(const std::vector<BootEvent>& events) {
  HANDLE source = RegisterEventSourceW(nullptr, KORV_EVENT_SOURCE);
  for (const BootEvent& e : events) {
    std::fprintf(stderr, "korvboot: %s\n", e.text.c_str());
    if (!source) continue;
    const std::wstring text = WideFromUtf8(e.text);
    LPCWSTR strings[] = {text.c_str()};
    ReportEventW(source, e.warning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE, 0, KORV_MSG_TEXT, nullptr, 1,
                 0, strings, nullptr);
  }
  if (source) DeregisterEventSource(source);
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  char text[32] = "";
  if (const std::tm* utc = std::gmtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc);
  return text;
}

#ifndef _WIN64
// On 64-bit Windows with the 64-bit package installed too, that one's
// restore runs: one restore a start, through the 64-bit korvctl and its
// Board.ini.
bool SixtyFourBitRestoreInstalled() {
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return false;
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE other = manager ? OpenServiceW(manager, KORV_BOOT_SERVICE_64, SERVICE_QUERY_STATUS) : nullptr;
  if (other) CloseServiceHandle(other);
  if (manager) CloseServiceHandle(manager);
  return other != nullptr;
}
#endif

// One restore: what came of it goes to the event log and the record.
int Restore() {
#ifndef _WIN64
  if (SixtyFourBitRestoreInstalled()) {
    LogEvents({{false, "The 64-bit boot restore is installed on this machine and restores the boards; the 32-bit "
                       "one stands down."}});
    return 0;
  }
#endif
  RestoreRun run;
  run.time = UtcNow();
  const std::wstring korvctl = (ModuleFolder(nullptr) / L"korvctl.exe").native();
  const ProgramRun ran = RunProgram(korvctl, L"defaults restore --all-boards --verify --json", g_timeoutMs, g_stop);
  run.output = ran.out;
  run.messages = ran.err;
  if (!ran.started) {
    run.problem = "cannot start " + MessagePath(korvctl) + ": " + ErrorText(ran.error);
  } else if (!ran.finished) {
    run.problem = WaitForSingleObject(g_stop, 0) == WAIT_OBJECT_0
                      ? "the service was stopped before the boards answered; korvctl was ended"
                      : "the boards did not answer within " + std::to_string(g_timeoutMs / 1000) +
                            " s; korvctl was ended";
  } else {
    run.status = int(ran.status);
  }
  std::vector<BootEvent> events = BootEvents(run);
  DWORD error = 0;
  const std::wstring folder = RecordFolder(error);
  const std::wstring record = folder + L"\\" KORV_RECORD_FILE;
  FileFailure why = FileFailure::kNone;
  if (folder.empty())
    events.push_back({true, "cannot make the folder of the record under %ProgramData%: " + ErrorText(error)});
  else if (!ReplaceWholeFile(record, BootRecordJson(run), &why))
    events.push_back({true, "cannot write " + MessagePath(record) + ": " + FileFailureText(why)});
  LogEvents(events);
  return run.status == 0 ? 0 : 1;
}

DWORD WINAPI OnControl(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    Report(SERVICE_STOP_PENDING);
    SetEvent(g_stop);
    return NO_ERROR;
  }
  return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
  g_status = RegisterServiceCtrlHandlerExW(kServiceName, OnControl, nullptr);
  // Running at once: the start of Windows waits for nothing here.
  Report(SERVICE_RUNNING);
  const int status = Restore();
  Report(SERVICE_STOPPED, status != 0);
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  bool once = false;
  for (int i = 1; argv && i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--once") {
      once = true;
    } else if (a == L"--timeout" && i + 1 < argc && _wtoi(argv[i + 1]) > 0 && _wtoi(argv[i + 1]) <= 3600) {
      g_timeoutMs = DWORD(_wtoi(argv[++i])) * 1000;
    } else {
      std::fprintf(stderr, "usage: korvboot [--once] [--timeout SECONDS (1 to 3600)]\n");
      LocalFree(argv);
      return 2;
    }
  }
  LocalFree(argv);
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (once) return Restore();
  SERVICE_TABLE_ENTRYW table[] = {{const_cast<LPWSTR>(kServiceName), ServiceMain}, {nullptr, nullptr}};
  if (StartServiceCtrlDispatcherW(table)) return 0;
  std::fprintf(stderr, "korvboot: runs as the service %ls, or once with --once (%s)\n", kServiceName,
               ErrorText(GetLastError()).c_str());
  return 2;
}
