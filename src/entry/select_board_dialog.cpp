#include "select_board_dialog.h"

#include <cstdio>

#include "config_app.h"
#include "texts.h"

namespace {
const int kBoardList = 1000;
}

void SelectBoardDialog::DoDataExchange(DataExchange& dx) { dx.ListIndex(kBoardList, SelectedBoard); }

BOOL SelectBoardDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  for (int i = 0; i < BoardCount; ++i) {
    char entry[32];
    std::snprintf(entry, sizeof entry, kCardEntryFormat, i);
    SendDlgItemMessageA(Hwnd(), kBoardList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  return TRUE;
}

void SelectBoardDialog::OnOK() {
  UpdateData(true);
  if (SelectedBoard < 0) {
    ShowInformation(Hwnd(), kMustSelectCard);
    return;
  }
  Dialog::OnOK();
}
