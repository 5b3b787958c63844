// The configuration dialog of one open board. Every control acts on the
// board at once; nothing is applied or undone when the dialog closes.
#pragma once

#include <iterator>
#include <string>

#include "board_config_controls.h"
#include "board_settings.h"
#include "control_ids.h"
#include "dialog.h"

class BoardConfigDialog : public Dialog {
 public:
  // The radio groups of settings and the sliders of the dialog, in the order
  // their indices and slider objects are kept (board_config_controls.h has
  // the tables).
  static constexpr int kGroupCount = std::size(kRadioGroups);
  static constexpr int kSliderCount = std::size(kSliders);

  // Loads the user's defaults from Board.ini in moduleDirectory; touches no
  // board. The template picks the language.
  BoardConfigDialog(int templateId, int board, const std::filesystem::path& moduleDirectory, HWND parent = nullptr);

  int CardIndex;                 // the board every device call names
  std::filesystem::path SettingsFilePath;  // Board.ini in the module's folder
  BoardSettings StoredDefaults;  // the user's defaults, from SettingsFilePath
  std::string DialogTitle;       // caption instead of the template's, when not empty

  // Puts a record on the screen: checks the radio buttons, moves the sliders
  // and writes their numbers. Changes nothing on the board.
  void ShowSettings(BoardSettings settings);

 protected:
  bool OnClicked(int id) override;
  void OnHScroll(int code, int position, HWND control) override;
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  // Enter sends OK while no push button is the default; it must not close
  // the dialog. Only the cancel command ("Exit", Escape, close box) does.
  void OnOK() override {}
  // Nor does Enter press a push button that lost the focus, a test
  // picture's among them: only the focused one.
  bool EnterPressesDefaultButton() const override { return false; }

 private:
  // A button whose click runs a command of the dialog.
  struct Command {
    int id;
    void (BoardConfigDialog::*action)();
  };
  static const Command kDefaultButtons[];

  // Sends the test picture of that row of testout's kTestPictures; each
  // click sends it again.
  void OnTestPicture(size_t picture);
  void OnAlphaTest();
  void OnSaveDefault();
  void OnRestoreDefault();
  void OnRestoreFactory();
  // Applies a record, shows it and lists what the board refused.
  void Restore(const BoardSettings& settings);
  // The slider handler's answer to a refused value: the slider shows what
  // the board reports, and the refusal is told once the gesture ends.
  void SliderRefused(int slider, int value, int before);
  // Why the file's defaults cannot be read, after the path; empty: no word.
  std::wstring ReasonText(SettingsFileProblem problem, FileFailure failure) const;
  // A box of type 0 captioned "error", in wide text.
  void ShowError(const std::wstring& text);

  // A text of the string tables in the dialog's language.
  std::wstring LoadText(int textId) const;

  std::filesystem::path moduleDirectory_;
  bool chinese_;
  // Why StoredDefaults came from no file that could be read: a Board.ini
  // that exists but gives no record. Cleared by "Save as Default".
  SettingsFileProblem defaultsProblem_ = SettingsFileProblem::kNone;
  FileFailure defaultsFailure_{};
  // A slider value the board refused during the current scroll gesture,
  // told when the gesture ends: the slider and the value.
  int refusedSlider_ = -1, refusedValue_ = 0;
  Slider sliders_[kSliderCount];
  // The position of the checked button of each radio group of settings, -1
  // for none.
  int groupIndex_[kGroupCount];
};
