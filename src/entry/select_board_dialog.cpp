#include "select_board_dialog.h"

#include <cstdio>

namespace {

// The list's entries and the one message are English in both languages.
constexpr const char* kBoardEntryFormat = "Card %d";
constexpr const char* kMustSelectBoard = "A card must be selected!";

}  // namespace

void SelectBoardDialog::DoDataExchange(DataExchange& dx) { dx.ListIndex(IDC_BOARD_LIST, SelectedBoard); }

BOOL SelectBoardDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  for (int i = 0; i < BoardCount; ++i) {
    char entry[32];
    std::snprintf(entry, sizeof entry, kBoardEntryFormat, i);
    SendDlgItemMessageA(Hwnd(), IDC_BOARD_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  return TRUE;
}

void SelectBoardDialog::OnOK() {
  UpdateData(true);
  if (SelectedBoard < 0) {
    ShowInformation(Hwnd(), boxCaption_.c_str(), kMustSelectBoard);
    return;
  }
  Dialog::OnOK();
}
