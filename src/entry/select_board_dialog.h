// The small dialog that asks which board to configure when several are
// installed. It only returns the chosen list position; opening the board is
// the caller's business.
#pragma once

#include "../dialog/dialog.h"

enum { kSelectBoardTemplateChinese = 130, kSelectBoardTemplateEnglish = 139 };

class SelectBoardDialog : public Dialog {
 public:
  explicit SelectBoardDialog(int templateId, HWND parent = nullptr) : Dialog(templateId, parent) {}

  int BoardCount = 0;      // entries to offer; set before the dialog runs
  int SelectedBoard = -1;  // chosen position, the board's CardIndex; -1 for none

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
};
