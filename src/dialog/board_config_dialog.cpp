#include "board_config_dialog.h"

BoardConfigDialog::BoardConfigDialog(int templateId, int cardIndex, const std::string& moduleDirectory, HWND parent)
    : Dialog(templateId, parent), CardIndex(cardIndex), SettingsFilePath(moduleDirectory + "Board.ini") {
  LoadSettingsFile(SettingsFilePath, StoredDefaults);
}

BOOL BoardConfigDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  if (!DialogTitle.empty()) SetWindowTextA(Hwnd(), DialogTitle.c_str());
  return TRUE;
}
