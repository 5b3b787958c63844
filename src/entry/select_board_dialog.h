// The small dialog that asks which board to configure when several are
// installed. It only returns the chosen list position; opening the board is
// the caller's business.
#pragma once

#include <string>

#include "control_ids.h"
#include "dialog.h"

class SelectBoardDialog : public Dialog {
 public:
  // boxCaption: the caption of the dialog's information box.
  SelectBoardDialog(int templateId, std::string boxCaption, HWND parent = nullptr)
      : Dialog(templateId, parent), boxCaption_(std::move(boxCaption)) {}

  int BoardCount = 0;      // entries to offer; set before the dialog runs
  int SelectedBoard = -1;  // chosen position, the board's CardIndex; -1 for none

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  std::string boxCaption_;
};
