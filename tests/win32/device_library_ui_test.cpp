// korvcfg.dll without the board's device library, with an incomplete one,
// with a foreign one where the module must never look, and with korvio.dll
// in each place the module takes it from. The program sits in a folder of its
// own without korvio.dll and links no simulator, so the module's run has
// only the library each case gives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host_path.h"
#include "ui_driver.h"

namespace {

using ui::W;

// The build's own programs, one folder up.
std::wstring Built(const std::wstring& name) { return ProgramFolder() + L"..\\" + name; }

bool Copy(const std::wstring& from, const std::wstring& to) { return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The simulator with the exports named renamed (their last but one letter,
// which keeps the sorted order of the names), so that it lacks those
// functions; the same words elsewhere in the file change too.
bool WriteIncompleteLibrary(const std::wstring& path, const std::vector<std::string>& lacking = {"Orbel_SetRectangle"}) {
  std::string dll = FileBytes(Built(L"korvio.dll"));
  for (const std::string& function : lacking) {
    const std::string name = function + '\0';
    size_t at = dll.find(name);
    if (at == std::string::npos) return false;
    for (; at != std::string::npos; at = dll.find(name, at)) dll[at + name.size() - 3] = 'X';
  }
  std::ofstream(path.c_str(), std::ios::binary) << dll;
  return true;
}

bool Chinese() { return GetSystemDefaultLangID() == 0x0804; }

// The system folder of this architecture as Wine names it.
std::wstring SystemFolder() {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  return wow64 ? L"C:\\windows\\syswow64\\" : L"C:\\windows\\system32\\";
}

// The box of a missing library, naming where it was looked for.
std::wstring MissingText(const std::wstring& moduleFolder) {
  return W(Chinese() ? "板卡的设备库korvio.dll未安装或不完整。\n已在以下文件夹中查找：\n"
                     : "The board's device library korvio.dll is not installed or is incomplete.\n"
                       "It was looked for in these folders:\n") +
         moduleFolder + L"\n" + ProgramFolder() + L"\n" + SystemFolder();
}

// Runs the module from folder and returns the text of the one box it shows;
// no device call may have reached a simulator.
std::wstring OnlyBox(const ui::ModuleFolder& folder) {
  const std::wstring trace = folder.Path() + L"trace.txt";
  SetEnvironmentVariableW(L"KORVSIM_TRACE", trace.c_str());
  ui::ModuleRun run(1, folder.Module());
  HWND box = run.WaitMessageBox();
  if (!box) return L"no box";
  EXPECT_EQ(ui::Text(box), L"korvcfg");
  EXPECT_TRUE(ui::HasInformationIcon(box));
  const std::wstring text = ui::MessageText(box);
  ui::Click(box, IDOK);
  EXPECT_TRUE(run.WaitFinished());
  EXPECT_EQ(run.DialogsCreated(), 1) << "the box alone";
  EXPECT_EQ(FileBytes(trace), "");
  return text;
}

TEST(DeviceLibraryMessage, AMissingOrIncompleteLibraryIsToldAndNoDeviceCallIsMade) {
  const struct {
    const char* what;
    std::vector<std::string> lacking;  // none: no library
    const char* english;
    const char* chinese;
  } cases[] = {
      {"missing", {}, nullptr, nullptr},
      {"one function missing",
       {"Orbel_SetRectangle"},
       "The board's device library korvio.dll is not installed or is incomplete (Orbel_SetRectangle missing).",
       "板卡的设备库korvio.dll未安装或不完整(缺少Orbel_SetRectangle)。"},
      {"three missing",
       {"Orbel_SetRectangle", "Orbel_GetCardNum", "Orbel_GetMemAddress"},
       "The board's device library korvio.dll is not installed or is incomplete "
       "(Orbel_GetCardNum, Orbel_SetRectangle, Orbel_GetMemAddress missing).",
       "板卡的设备库korvio.dll未安装或不完整(缺少Orbel_GetCardNum, Orbel_SetRectangle, Orbel_GetMemAddress)。"},
      {"five missing",
       {"Orbel_SetRectangle", "Orbel_GetCardNum", "Orbel_GetMemAddress", "Orbel_ClearCurrentScreen",
        "Orbel_GetSubBoardIfExist"},
       "The board's device library korvio.dll is not installed or is incomplete "
       "(Orbel_GetCardNum, Orbel_GetSubBoardIfExist, Orbel_ClearCurrentScreen and 2 more missing).",
       "板卡的设备库korvio.dll未安装或不完整(缺少Orbel_GetCardNum, Orbel_GetSubBoardIfExist, "
       "Orbel_ClearCurrentScreen及另外2个)。"},
  };
  for (const auto& c : cases) {
    ui::ModuleFolder folder;
    if (!c.lacking.empty()) {
      ASSERT_TRUE(WriteIncompleteLibrary(folder.Path() + L"korvio.dll", c.lacking));
    }
    const std::wstring expected = c.english ? W(Chinese() ? c.chinese : c.english) : MissingText(folder.Path());
    EXPECT_EQ(OnlyBox(folder), expected) << c.what;
    EXPECT_FALSE(GetModuleHandleW(L"korvio.dll")) << c.what << ": not kept loaded";
  }
}

// Runs the demo host from host\, as a person would start it, on no board,
// and returns its board library's first traced call.
std::string FirstCall(const std::wstring& folder, const std::wstring& arguments) {
  const std::wstring trace = folder + L"trace.txt";
  SetEnvironmentVariableW(L"KORVSIM_TRACE", trace.c_str());
  SetEnvironmentVariableW(L"KORVSIM_BOARDS", L"0");
  std::wstring command =
      L"\"" + folder + L"host\\korvhost.exe\" --no-monitor --screenshot \"" + folder + L"host\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process))
    return "not started";
  const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const std::string calls = FileBytes(trace);
  return ended ? calls.substr(0, calls.find_first_of("\r\n")) : "the host did not end";
}

TEST(DeviceLibraryPlacement, TakenBesideTheModuleBesideTheHostOrFromTheSystemFolder) {
  enum Place { kBesideHost, kBesideModule, kSystemFolder };
  const struct {
    const char* what;
    Place library;
  } cases[] = {
      {"beside the host program", kBesideHost},
      {"beside korvcfg.dll loaded by its full path, an incomplete one beside the host", kBesideModule},
      {"in the system folder", kSystemFolder},
  };
  for (const auto& c : cases) {
    ui::ModuleFolder folder;  // host\ the host, module\ korvcfg.dll with --module
    for (const wchar_t* sub : {L"host", L"module"}) CreateDirectoryW((folder.Path() + sub).c_str(), nullptr);
    const std::wstring host = folder.Path() + L"host\\";
    ASSERT_TRUE(Copy(Built(L"korvhost.exe"), host + L"korvhost.exe"));
    const std::wstring module = c.library == kBesideModule ? folder.Path() + L"module\\" : host;
    ASSERT_TRUE(Copy(folder.Module(), module + L"korvcfg.dll"));
    const std::wstring library = c.library == kSystemFolder ? SystemFolder() : module;
    ASSERT_FALSE(c.library == kSystemFolder && Exists(library + L"korvio.dll")) << "left from an earlier run";
    ASSERT_TRUE(Copy(Built(L"korvio.dll"), library + L"korvio.dll"));
    if (c.library == kBesideModule) {
      ASSERT_TRUE(WriteIncompleteLibrary(host + L"korvio.dll"));
    }
    const std::wstring arguments = c.library == kBesideModule ? L"--module \"" + module + L"korvcfg.dll\"" : L"";
    EXPECT_EQ(FirstCall(folder.Path(), arguments), "Orbel_GetCardNum() = 0") << c.what;
    if (c.library == kSystemFolder) {
      EXPECT_TRUE(DeleteFileW((library + L"korvio.dll").c_str()));
    }
  }
}

// Puts the foreign korvio.dll into folder; returns the file its DllMain
// creates there when it runs.
std::wstring PlantForeignLibrary(const std::wstring& folder) {
  EXPECT_TRUE(Copy(Built(L"foreign\\korvio.dll"), folder + L"korvio.dll"));
  const std::wstring marker = folder + L"ran.txt";
  SetEnvironmentVariableW(L"KORV_FOREIGN_MARKER", marker.c_str());
  return marker;
}

// A library of that name in the current folder or in a folder of PATH, the
// classic place to plant one, never runs: the user is told that there is no
// device library.
TEST(DeviceLibraryPlacement, NeverFromTheCurrentFolderOrPath) {
  ui::ModuleFolder module;
  TempFolder planted;
  const std::wstring marker = PlantForeignLibrary(planted.Path());
  wchar_t oldFolder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, oldFolder);
  std::vector<wchar_t> oldPath(32768);
  GetEnvironmentVariableW(L"PATH", oldPath.data(), DWORD(oldPath.size()));
  for (const char* where : {"current folder", "PATH"}) {
    DeleteFileW(marker.c_str());
    if (where[0] == 'c')
      SetCurrentDirectoryW(planted.Path().c_str());
    else
      SetEnvironmentVariableW(L"PATH", (planted.Path() + L";" + oldPath.data()).c_str());
    EXPECT_EQ(OnlyBox(module), MissingText(module.Path())) << where;
    SetCurrentDirectoryW(oldFolder);
    SetEnvironmentVariableW(L"PATH", oldPath.data());
    EXPECT_FALSE(Exists(marker)) << where << ": the foreign library ran";
  }
  // The marker does come when the library is loaded.
  HMODULE foreign = LoadLibraryW((planted.Path() + L"korvio.dll").c_str());
  ASSERT_TRUE(foreign);
  EXPECT_TRUE(Exists(marker));
  FreeLibrary(foreign);
}

// Runs korvctl.exe of folder with those arguments in another current
// folder, its standard error to the file errors; its exit status, or a
// status no program gives when it did not start or end.
DWORD RunKorvctl(const std::wstring& folder, const std::wstring& arguments, const std::wstring& current,
                 const std::wstring& errors) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE err = CreateFileW(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  std::wstring command = L"\"" + folder + L"korvctl.exe\" " + arguments;
  const bool started =
      CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, current.c_str(), &startup, &process);
  CloseHandle(err);
  if (!started) return 0xDEAD;
  DWORD status = 0xDEAD;
  if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status;
}

// korvctl looks where the module does: a foreign library in its current
// folder never runs, and it says where it looked.
TEST(DeviceLibraryPlacement, KorvctlNeverFromTheCurrentFolderEither) {
  TempFolder tool, planted;
  ASSERT_TRUE(Copy(Built(L"korvctl.exe"), tool.Path() + L"korvctl.exe"));
  const std::wstring marker = PlantForeignLibrary(planted.Path());
  const std::wstring errors = planted.Path() + L"stderr.txt";
  EXPECT_EQ(RunKorvctl(tool.Path(), L"boards", planted.Path(), errors), 1u);
  std::string expected =
      "korvctl: the board's device library korvio.dll is not installed or is incomplete; it was looked for in "
      "these folders:\n  " +
      AnsiText(tool.Path()) + "\n  " + AnsiText(SystemFolder()) + "\n";
  std::string shown = FileBytes(errors);
  shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
  EXPECT_EQ(shown, expected);
  EXPECT_FALSE(Exists(marker));
}

// A host that keeps the driver elsewhere loads it first; the module takes
// that one before any it would find beside itself.
TEST(DeviceLibraryPlacement, OneLoadedAlreadyComesFirst) {
  ui::ModuleFolder module;
  TempFolder elsewhere;
  const std::wstring marker = PlantForeignLibrary(module.Path());
  ASSERT_TRUE(Copy(Built(L"korvio.dll"), elsewhere.Path() + L"korvio.dll"));
  HMODULE loaded = LoadLibraryW((elsewhere.Path() + L"korvio.dll").c_str());
  ASSERT_TRUE(loaded);
  SetEnvironmentVariableW(L"KORVSIM_BOARDS", L"0");
  ui::ModuleRun run(1, module.Module());
  HWND box = run.WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::MessageText(box), Chinese() ? W("没有安装Korvex板卡!") : L"No found Korvex board!");
  ui::Click(box, IDOK);
  EXPECT_TRUE(run.WaitFinished());
  EXPECT_FALSE(Exists(marker));
}

// korvctl on a korvio.dll that crashes in a setter: status 1, the function
// named, and the board closed, for a fault of each kind.
TEST(DeviceLibraryFault, KorvctlNamesTheFunctionAndClosesTheBoard) {
  TempFolder tool;
  ASSERT_TRUE(Copy(Built(L"korvctl.exe"), tool.Path() + L"korvctl.exe"));
  ASSERT_TRUE(Copy(Built(L"korvio.dll"), tool.Path() + L"korvio.dll"));
  for (const wchar_t* fault : {L"Orbel_SetContrast:access", L"Orbel_SetContrast:msvc"}) {
    const std::wstring trace = tool.Path() + L"trace.txt", errors = tool.Path() + L"stderr.txt";
    DeleteFileW(trace.c_str());
    SetEnvironmentVariableW(L"KORVSIM_TRACE", trace.c_str());
    SetEnvironmentVariableW(L"KORVSIM_FAULT", fault);
    EXPECT_EQ(RunKorvctl(tool.Path(), L"set contrast=9", tool.Path(), errors), 1u) << Utf8Text(fault);
    EXPECT_NE(FileBytes(errors).find("Orbel_SetContrast"), std::string::npos) << FileBytes(errors);
    EXPECT_NE(FileBytes(trace).find("Orbel_Close(0) = 1"), std::string::npos) << FileBytes(trace);
  }
  SetEnvironmentVariableW(L"KORVSIM_FAULT", nullptr);
  SetEnvironmentVariableW(L"KORVSIM_TRACE", nullptr);
}

}  // namespace
