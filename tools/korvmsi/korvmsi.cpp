// korvmsi.dll: the installer's own actions, kept in the MSI's Binary table
// and never installed. Each tells what it does in the installer's log
// (msiexec /l*v), where a failure also names its reason. CheckProfile runs
// at once, before the installation changes anything; the others deferred,
// as the system, with what they need in CustomActionData:
//   CheckProfile    the property PROFILE: a profile that is not a settings
//                   file fails the install, naming its line or key, and
//                   nothing is sent to a board
//   PrepareSettings INSTALLFOLDER: makes Board.ini (the factory record) only
//                   when there is none and the Profiles folder, lets every
//                   local user change those two, and makes the records'
//                   folder %ProgramData%\Korvex the system's
//   ApplyProfile    INSTALLFOLDER|PROFILE: keeps the profile's settings as the
//                   defaults in Board.ini, then brings every board to the
//                   profile with the installed korvctl apply
//   RemoveRecords   on a removal that is no upgrade: the records' folder
#include <windows.h>

#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <filesystem>
#include <string>

#include "board_settings.h"
#include "host_path.h"
#include "installed_win32.h"
#include "setting_table.h"
#include "wanted_settings.h"

namespace {

// The korvctl that ApplyProfile runs gets this long for every board.
constexpr DWORD kApplyTimeoutMs = 120 * 1000;

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
  DWORD size = 0;
  wchar_t empty[1] = L"";
  MsiGetPropertyW(install, name, empty, &size);
  std::wstring value(size + 1, L'\0');
  size += 1;
  if (MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) return L"";
  value.resize(size);
  return value;
}
std::wstring ActionData(MSIHANDLE install) { return Property(install, L"CustomActionData"); }

// One line into the installer's log; an error also goes to the user's
// screen in a full-interface install.
void Say(MSIHANDLE install, const std::string& text, bool error = false) {
  MSIHANDLE record = MsiCreateRecord(1);
  MsiRecordSetStringW(record, 0, L"korvcfg: [1]");
  MsiRecordSetStringW(record, 1, WideFromUtf8(text).c_str());
  MsiProcessMessage(install, error ? INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR) : INSTALLMESSAGE_INFO,
                    record);
  MsiCloseHandle(record);
}

std::string Shown(const std::wstring& path) { return Utf8Text(path); }

// The profile the PROFILE property names, checked whole; false after an
// error in the log.
bool ReadProfile(MSIHANDLE install, const std::wstring& profile, WantedSettings& wanted) {
  std::string problem;
  if (ReadWantedSettings(std::filesystem::path(profile), wanted, problem)) return true;
  Say(install, "PROFILE " + Shown(profile) + ": " + problem + "; nothing was sent, and the installation is undone",
      true);
  return false;
}

// Each line of a program's output into the log.
void SayLines(MSIHANDLE install, const std::string& prefix, const std::string& text) {
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) Say(install, prefix + line);
    begin = end + 1;
  }
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall CheckProfile(MSIHANDLE install) {
  const std::wstring profile = Property(install, L"PROFILE");
  if (profile.empty()) return ERROR_SUCCESS;
  WantedSettings wanted;
  if (!ReadProfile(install, profile, wanted)) return ERROR_INSTALL_FAILURE;
  Say(install, "PROFILE " + Shown(profile) + " is a valid settings file");
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall PrepareSettings(MSIHANDLE install) {
  std::wstring folder = ActionData(install);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  const std::wstring ini = folder + L"Board.ini", profiles = folder + L"Profiles";
  if (GetFileAttributesW(ini.c_str()) == INVALID_FILE_ATTRIBUTES) {
    BoardSettings factory;
    SetFactorySettings(factory);
    FileFailure why = FileFailure::kNone;
    if (!SaveSettingsFile(std::filesystem::path(ini), factory, &why)) {
      Say(install, "cannot write " + Shown(ini) + ": " + FileFailureText(why), true);
      return ERROR_INSTALL_FAILURE;
    }
    Say(install, "wrote the factory record to " + Shown(ini));
  } else {
    Say(install, "kept " + Shown(ini));
  }
  if (!CreateDirectoryW(profiles.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    Say(install, "cannot make " + Shown(profiles) + ": " + ErrorText(GetLastError()), true);
    return ERROR_INSTALL_FAILURE;
  }
  const struct {
    const std::wstring& path;
    Guarded what;
  } guarded[] = {{ini, Guarded::kBoardIni}, {profiles, Guarded::kProfiles}};
  for (const auto& g : guarded) {
    DWORD error = 0;
    if (!GuardPath(g.path, g.what, error)) {
      Say(install, "cannot set who may change " + Shown(g.path) + ": " + ErrorText(error), true);
      return ERROR_INSTALL_FAILURE;
    }
    Say(install, "set " + Shown(g.path) + " to " + GuardedSddl(g.what));
  }
  DWORD error = 0;
  const std::wstring records = RecordFolder(error);
  if (records.empty()) {
    Say(install, "cannot make the records' folder under %ProgramData%: " + ErrorText(error), true);
    return ERROR_INSTALL_FAILURE;
  }
  Say(install, "set " + Shown(records) + " to " + GuardedSddl(Guarded::kRecords));
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall ApplyProfile(MSIHANDLE install) {
  const std::wstring data = ActionData(install);
  const size_t bar = data.find(L'|');
  if (bar == std::wstring::npos) return ERROR_SUCCESS;
  std::wstring folder = data.substr(0, bar);
  const std::wstring profile = data.substr(bar + 1);
  if (profile.empty()) return ERROR_SUCCESS;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  WantedSettings wanted;
  if (!ReadProfile(install, profile, wanted)) return ERROR_INSTALL_FAILURE;
  // The profile becomes the defaults: its settings over those kept so far.
  const std::wstring ini = folder + L"Board.ini";
  const SettingsFileReading kept = ReadSettingsFile(std::filesystem::path(ini));
  BoardSettings current = kept.record;
  // A file that gives no record, or one the boards may not be sent, is
  // replaced: the profile's settings go over the factory values.
  if (kept.state == SettingsFileState::kUnreadable || !kept.outOfRange.empty()) {
    current = FactoryRecord();
    Say(install, Shown(ini) + ": " + (kept.outOfRange.empty() ? kept.why : "holds values the settings do not take") +
                     "; the profile's settings go over the factory values");
  }
  FileFailure why = FileFailure::kNone;
  if (!SaveSettingsFile(std::filesystem::path(ini), DefaultsWithProfile(current, wanted), &why)) {
    Say(install, "cannot write " + Shown(ini) + ": " + FileFailureText(why), true);
    return ERROR_INSTALL_FAILURE;
  }
  Say(install, "kept the settings of " + Shown(profile) + " as the defaults in " + Shown(ini));
  // Then every board, as korvctl apply brings it there: only what differs
  // is sent, and the board is read back.
  const std::wstring korvctl = folder + L"korvctl.exe";
  const ProgramRun run = RunProgram(korvctl, L"apply \"" + profile + L"\" --all-boards", kApplyTimeoutMs);
  SayLines(install, "korvctl apply: ", run.out);
  SayLines(install, "korvctl apply: ", run.err);
  if (!run.started) {
    Say(install, "cannot start " + Shown(korvctl) + ": " + ErrorText(run.error), true);
    return ERROR_INSTALL_FAILURE;
  }
  if (!run.finished) {
    Say(install, "the boards did not answer within " + std::to_string(kApplyTimeoutMs / 1000) +
                     " s; korvctl was ended. The defaults are kept and come back at the next start of Windows.");
    return ERROR_SUCCESS;
  }
  if (run.status == 2) {  // the file changed after it was checked
    Say(install, "korvctl refused the profile; the installation is undone", true);
    return ERROR_INSTALL_FAILURE;
  }
  // A board that refused a value or did not open is told, and the install
  // stands: the defaults are kept for the next start.
  Say(install, "korvctl apply ended with status " + std::to_string(run.status));
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall RemoveRecords(MSIHANDLE install) {
  PWSTR data = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &data))) return ERROR_SUCCESS;
  const std::wstring folder = std::wstring(data) + L"\\" KORV_RECORD_FOLDER;
  CoTaskMemFree(data);
  const std::wstring record = folder + L"\\" KORV_RECORD_FILE;
  // A link where the folder was is not followed.
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return ERROR_SUCCESS;
  if (DeleteFileW(record.c_str())) Say(install, "removed " + Shown(record));
  if (RemoveDirectoryW(folder.c_str())) Say(install, "removed " + Shown(folder));
  return ERROR_SUCCESS;
}
