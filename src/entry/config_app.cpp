// The module object and the one export, bd_ShowConfigDlg: count the boards,
// pick one, open it, run the configuration dialog on it, close it.
#include "config_app.h"

#include <cstdio>

#include "../device/korvio.h"
#include "../dialog/board_config_dialog.h"
#include "module_path.h"
#include "select_board_dialog.h"
#include "texts.h"

ConfigApp theApp;
int UseChinese = 0;

namespace {

bool IsAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

const EntryTexts& Texts() { return UseChinese ? kChineseTexts : kEnglishTexts; }

}  // namespace

void ConfigApp::InitInstance(HINSTANCE module) {
  char path[260] = {};
  GetModuleFileNameA(module, path, 259);
  ModuleDirectory = DirectoryOfPath(path, IsAnsiLeadByte);
  AppName = BaseNameOfPath(path, IsAnsiLeadByte);
  UseChinese = GetSystemDefaultLangID() == 0x0804;
}

void ShowInformation(HWND owner, const char* text) {
  MessageBoxA(owner, text, theApp.AppName.c_str(), MB_OK | MB_ICONINFORMATION);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    theApp.InitInstance(module);
    Dialog::SetResourceModule(module);
  }
  return TRUE;
}

extern "C" void bd_ShowConfigDlg(void) {
  char message[256];
  int count = Orbel_GetCardNum();
  if (count == 0) {
    ShowInformation(nullptr, Texts().noBoard);
    return;
  }

  int cardIndex = 0;
  if (count == 1) {
    if (!Orbel_Initial(0, 1, 0)) {
      ShowInformation(nullptr, Texts().cannotOpenOnly);
      return;
    }
  } else {
    SelectBoardDialog select(UseChinese ? kSelectBoardTemplateChinese : kSelectBoardTemplateEnglish);
    select.BoardCount = count;
    if (select.DoModal() != IDOK) return;
    cardIndex = select.SelectedBoard;
    if (!Orbel_Initial(cardIndex, 1, 0)) {
      std::snprintf(message, sizeof message, Texts().cannotOpenChosen, cardIndex + 1);
      ShowInformation(nullptr, message);
      return;
    }
  }

  BoardConfigDialog dialog(UseChinese ? kConfigTemplateChinese : kConfigTemplateEnglish);
  dialog.CardIndex = cardIndex;
  if (count > 1) {
    std::snprintf(message, sizeof message, Texts().dialogTitle, cardIndex + 1);
    dialog.DialogTitle = message;
  }
  dialog.DoModal();
  // Give the board a moment after the dialog's last call before closing it.
  Sleep(100);
  Orbel_Close(cardIndex);
}
