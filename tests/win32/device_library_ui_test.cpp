// korvcfg.dll without the board's device library, with an incomplete one,
// and with korvio.dll where the loader finds it. The program sits in a
// folder of its own without korvio.dll and links no simulator, so the
// module's run has only the library each case gives it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ui_driver.h"

namespace {

using ui::W;

// The build's own programs, one folder up.
std::wstring Built(const std::wstring& name) { return ProgramFolder() + L"..\\" + name; }

bool Copy(const std::wstring& from, const std::wstring& to) { return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0; }

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The simulator with its export Orbel_SetRectangle renamed, so that it lacks
// that one function.
bool WriteIncompleteLibrary(const std::wstring& path) {
  std::string dll = ReadFile(Built(L"korvio.dll"));
  const std::string name("Orbel_SetRectangle\0", 19);
  const size_t at = dll.find(name);
  if (at == std::string::npos) return false;
  dll[at + name.size() - 2] = 'X';  // keeps the sorted order of the names
  std::ofstream(path.c_str(), std::ios::binary) << dll;
  return true;
}

bool Chinese() { return GetSystemDefaultLangID() == 0x0804; }

TEST(DeviceLibraryMessage, AMissingOrIncompleteLibraryIsToldAndNoDeviceCallIsMade) {
  const struct {
    const char* what;
    bool incomplete;
    const char* english;
    const char* chinese;
  } cases[] = {
      {"missing", false, "The board's device library korvio.dll is not installed or is incomplete.",
       "板卡的设备库korvio.dll未安装或不完整。"},
      {"incomplete", true,
       "The board's device library korvio.dll is not installed or is incomplete (Orbel_SetRectangle missing).",
       "板卡的设备库korvio.dll未安装或不完整(缺少Orbel_SetRectangle)。"},
  };
  for (const auto& c : cases) {
    ui::ModuleFolder folder;
    if (c.incomplete) {
      ASSERT_TRUE(WriteIncompleteLibrary(folder.Path() + L"korvio.dll"));
    }
    // An incomplete simulator would trace any call it got.
    const std::wstring trace = folder.Path() + L"trace.txt";
    SetEnvironmentVariableW(L"KORVSIM_TRACE", trace.c_str());
    ui::ModuleRun run(1, folder.Module());
    HWND box = run.WaitMessageBox();
    ASSERT_TRUE(box) << c.what;
    EXPECT_EQ(ui::Text(box), L"korvcfg") << c.what;
    EXPECT_EQ(ui::MessageText(box), W(Chinese() ? c.chinese : c.english)) << c.what;
    EXPECT_TRUE(ui::HasInformationIcon(box)) << c.what;
    ui::Click(box, IDOK);
    ASSERT_TRUE(run.WaitFinished()) << c.what;
    EXPECT_EQ(run.DialogsCreated(), 1) << c.what << ": the box alone";
    EXPECT_EQ(ReadFile(trace), "") << c.what;
    EXPECT_FALSE(GetModuleHandleW(L"korvio.dll")) << c.what << ": not kept loaded";
  }
}

// Runs the demo host from host\, as a person would start it, on no board,
// and returns its board library's first traced call.
std::string FirstCall(const std::wstring& folder, const std::wstring& arguments, const std::wstring& path) {
  const std::wstring trace = folder + L"trace.txt";
  SetEnvironmentVariableW(L"KORVSIM_TRACE", trace.c_str());
  SetEnvironmentVariableW(L"KORVSIM_BOARDS", L"0");
  wchar_t oldPath[32768] = {};
  GetEnvironmentVariableW(L"PATH", oldPath, 32768);
  SetEnvironmentVariableW(L"PATH", (path + L";" + oldPath).c_str());
  std::wstring command =
      L"\"" + folder + L"host\\korvhost.exe\" --no-monitor --screenshot \"" + folder + L"host\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  const bool started =
      CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process);
  SetEnvironmentVariableW(L"PATH", oldPath);
  if (!started) return "not started";
  const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const std::string calls = ReadFile(trace);
  return ended ? calls.substr(0, calls.find_first_of("\r\n")) : "the host did not end";
}

TEST(DeviceLibraryPlacement, FoundWhereTheLoaderFindsItAndNoOtherCopy) {
  enum Place { kBesideHost, kOnPath, kBesideModule };
  const struct {
    const char* what;
    Place library;
  } cases[] = {
      {"beside the host program", kBesideHost},
      {"on the search path", kOnPath},
      {"beside korvcfg.dll loaded with LOAD_WITH_ALTERED_SEARCH_PATH, an incomplete one beside the host",
       kBesideModule},
  };
  for (const auto& c : cases) {
    ui::ModuleFolder folder;  // host\ the host, lib\ a folder on PATH, module\ korvcfg.dll with --module
    for (const wchar_t* sub : {L"host", L"lib", L"module"}) CreateDirectoryW((folder.Path() + sub).c_str(), nullptr);
    const std::wstring host = folder.Path() + L"host\\";
    ASSERT_TRUE(Copy(Built(L"korvhost.exe"), host + L"korvhost.exe"));
    const std::wstring module = c.library == kBesideModule ? folder.Path() + L"module\\" : host;
    ASSERT_TRUE(Copy(folder.Module(), module + L"korvcfg.dll"));
    const std::wstring library = c.library == kOnPath ? folder.Path() + L"lib\\" : module;
    ASSERT_TRUE(Copy(Built(L"korvio.dll"), library + L"korvio.dll"));
    if (c.library == kBesideModule) {
      ASSERT_TRUE(WriteIncompleteLibrary(host + L"korvio.dll"));
    }
    const std::wstring arguments = c.library == kBesideModule ? L"--module \"" + module + L"korvcfg.dll\"" : L"";
    EXPECT_EQ(FirstCall(folder.Path(), arguments, folder.Path() + L"lib"), "Orbel_GetCardNum() = 0") << c.what;
  }
}

}  // namespace
