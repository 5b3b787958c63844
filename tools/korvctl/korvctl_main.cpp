// korvctl.exe: the console program around the portable commands. Arguments
// arrive as the system's wide text and reach the commands in UTF-8, so a
// file named in any script is found; the board a command has open is closed
// also when the user presses Ctrl+C or closes the window.
#include <windows.h>

#include <shellapi.h>

#include <cctype>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "control_ids.h"
#include "dialog.h"
#include "host_path.h"
#include "korvctl.h"
#include "korvio_binding.h"
#include "missing_functions.h"
#include "open_board.h"
#include "system_facts_win32.h"
#include "text_ids.h"
#include "tga_win32.h"

namespace {

BOOL WINAPI OnConsoleEvent(DWORD) {
  CloseKorvctlBoard();
  std::cout.flush();
  ExitProcess(kBoardFailed);  // the command was not done
  return TRUE;
}

// A dialog template of korvcfg.dll in one language, as its bytes; empty
// when there is none.
std::string DialogTemplate(HMODULE module, int id, WORD language) {
  HRSRC found = module ? FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(id),
                                         MAKELANGID(language, language == LANG_CHINESE ? SUBLANG_CHINESE_SIMPLIFIED
                                                                                      : SUBLANG_ENGLISH_US))
                         : nullptr;
  HGLOBAL data = found ? LoadResource(module, found) : nullptr;
  const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
  return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

// A text of the module's English string table (linked into korvctl.exe
// too) as a clause of a message: "The board's ... incomplete." gives "the
// board's ... incomplete".
std::string Clause(int id) {
  std::string text = Utf8Text(LoadText(id, false));
  if (!text.empty()) text[0] = char(std::tolower(static_cast<unsigned char>(text[0])));
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

// Why korvio.dll was not bound, in the module's words.
std::string DeviceLibraryProblem(const std::filesystem::path& directory, const std::vector<const char*>& missing) {
  if (!missing.empty()) {
    const std::string list = MissingFunctionList(missing, Utf8Text(LoadText(IDS_AND_MORE, false)));
    const std::string format = Clause(IDS_INCOMPLETE_DEVICE_LIBRARY);
    std::vector<char> text(format.size() + list.size() + 1);
    std::snprintf(text.data(), text.size(), format.c_str(), list.c_str());
    return text.data();
  }
  std::string problem = Clause(IDS_NO_DEVICE_LIBRARY) + "; " + Clause(IDS_LIBRARY_FOLDERS);
  for (const std::wstring& folder : DeviceLibraryFolders(directory.native())) problem += "\n  " + MessagePath(folder);
  return problem;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(Utf8Text(argv[i]));
  LocalFree(argv);

  Win32TgaPlatform platform;
  KorvctlContext context{ModuleFolder(nullptr),
                         &platform,
                         &std::cout,
                         &std::cerr,
                         MessagePath,
                         IsWritableMemory,
                         Win32SystemFacts};
  // korvio.dll as korvcfg.dll finds it: one loaded already, the one beside
  // the program, the system folder's; never the current folder or PATH.
  // Without it only the report runs, and says why.
  Dialog::SetResourceModule(GetModuleHandleW(nullptr));
  std::vector<const char*> missing;
  std::string problem;
  if (!BindDeviceLibrary(context.directory.native(), missing)) {
    problem = DeviceLibraryProblem(context.directory, missing);
    context.deviceLibraryProblem = problem.c_str();
  }
  // list's labels: the dialog's captions from korvcfg.dll beside the
  // program, read as data (nothing of it runs).
  HMODULE module = LoadLibraryExW((context.directory / L"korvcfg.dll").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
  context.englishDialog = DialogTemplate(module, IDD_CONFIG_ENGLISH, LANG_ENGLISH);
  context.chineseDialog = DialogTemplate(module, IDD_CONFIG_CHINESE, LANG_CHINESE);
  if (module) FreeLibrary(module);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  const int status = RunKorvctl(args, context);
  std::cout.flush();
  return status;
}
