// The configuration dialog of one open board.
#pragma once

#include <string>

#include "../settings/board_settings.h"
#include "control_ids.h"
#include "dialog.h"

class BoardConfigDialog : public Dialog {
 public:
  // Loads the user's defaults from moduleDirectory (ending in its separator)
  // + "Board.ini"; touches no board.
  BoardConfigDialog(int templateId, int cardIndex, const std::string& moduleDirectory, HWND parent = nullptr);

  int CardIndex;                 // the board every device call names
  std::string SettingsFilePath;  // ModuleDirectory + "Board.ini"
  BoardSettings StoredDefaults;  // the user's defaults, from SettingsFilePath
  std::string DialogTitle;       // caption instead of the template's, when not empty

 protected:
  BOOL OnInitDialog() override;
  // Enter sends OK while no push button is the default; it must not close
  // the dialog. Only the cancel command ("Exit", Escape, close box) does.
  void OnOK() override {}
};
