#include "board_config_dialog.h"

#include "../entry/config_app.h"

BoardConfigDialog::BoardConfigDialog(int templateId, HWND parent)
    : Dialog(templateId, parent), SettingsFilePath(theApp.ModuleDirectory + "Board.ini") {
  LoadSettingsFile(SettingsFilePath, StoredDefaults);
}

BOOL BoardConfigDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  if (!DialogTitle.empty()) SetWindowTextA(Hwnd(), DialogTitle.c_str());
  return TRUE;
}
