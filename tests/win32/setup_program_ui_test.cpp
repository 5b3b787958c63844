// "Korvex Board Setup" (korvsetup.exe) as a person starts it: in a folder of
// its own beside a copy of korvcfg.dll and no korvio.dll, the missing-driver
// box comes from the module, and the program ends when it is closed; without
// korvcfg.dll beside it, the program says so itself and fails.
#include <gtest/gtest.h>

#include <string>

#include "ui_driver.h"
#include "wine_testing.h"

namespace {

// The top-level box of another process with this caption; null after the time.
HWND WaitBox(const wchar_t* caption) {
  HWND box = nullptr;
  ui::WaitUntil([&] { return (box = FindWindowW(L"#32770", caption)) != nullptr; }, 20000);
  return box;
}

TEST(SetupProgram, ShowsTheModulesBoxOrItsOwnWhenTheModuleIsMissing) {
  const struct {
    const char* what;
    bool module;            // korvcfg.dll beside the program
    const wchar_t* caption;  // of the box that comes up
    const char* begins;     // its text
    DWORD status;
  } cases[] = {
      {"no korvio.dll", true, L"korvcfg", "The board's device library korvio.dll is not installed", 0},
      {"no korvcfg.dll", false, L"Korvex Board Setup", "Cannot load the board's configuration module:", 1},
  };
  for (const auto& c : cases) {
    ui::ModuleFolder folder;
    if (!c.module) {
      ASSERT_TRUE(DeleteFileW(folder.Module().c_str()));
    }
    const std::wstring program = folder.Path() + L"korvsetup.exe";
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"..\\korvsetup.exe").c_str(), program.c_str(), FALSE));
    const std::wstring trace = folder.Path() + L"trace.txt";
    SetEnvironmentVariableW(L"KORVSIM_TRACE", trace.c_str());
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(),
                               &startup, &process));
    HWND box = WaitBox(c.caption);
    ASSERT_TRUE(box) << c.what;
    EXPECT_EQ(ui::MessageText(box).rfind(ui::W(c.begins), 0), 0u) << c.what << ": " << ui::MessageText(box).size();
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0) << c.what;
    DWORD status = 99;
    GetExitCodeProcess(process.hProcess, &status);
    EXPECT_EQ(status, c.status) << c.what;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(FileBytes(trace), "") << c.what << ": no device call";
  }
}

}  // namespace
