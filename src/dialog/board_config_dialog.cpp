#include "board_config_dialog.h"

#include <iterator>

#include <climits>
#include <cstdio>
#include <new>

#include "board_config_controls.h"
#include "dialog_template.h"
#include "file_store.h"
#include "korvio.h"
#include "setting_table.h"
#include "test_pictures.h"
#include "text_ids.h"
#include "tga_reader.h"
#include "tga_win32.h"

namespace {

// The position a field's value checks: the button with that code, or else
// the value counted from the first button's code, which checks nothing when
// it is no position.
int PositionOf(const RadioGroup& group, int32_t value) {
  for (int i = 0; i < group.ButtonCount(); ++i)
    if (group.Code(i) == value) return i;
  const long long position = static_cast<long long>(value) - group.Code(0);
  return position < 0 || position > INT_MAX ? -1 : static_cast<int>(position);
}

// The group of a button, and the button's position in it.
const RadioGroup* FindButton(int id, int& position) {
  for (const RadioGroup& group : kRadioGroups)
    for (int i = 0; i < group.ButtonCount(); ++i)
      if (group.buttons[i].id == id) {
        position = i;
        return &group;
      }
  return nullptr;
}

// A control's text without its mnemonic: "Video &Src" and "视频源(&V)" give
// "Video Src" and "视频源".
std::wstring Caption(HWND control) {
  wchar_t text[128] = {};
  GetWindowTextW(control, text, 128);
  return WithoutMnemonic(std::wstring(text));
}

// The words of a refusal: the setting and the value, named as the dialog
// names them in its language (the group's box and the button).
std::wstring RefusalText(HWND dialog, const RadioGroup& group, int button, const std::wstring& format) {
  HWND first = GetDlgItem(dialog, group.buttons[0].id);
  return FillText(format,
                  {Caption(GetWindow(first, GW_HWNDPREV)), Caption(GetDlgItem(dialog, group.buttons[button].id))});
}

void SetNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
}

// The test-picture buttons, one for each row of kTestPictures, in its order.
constexpr int kTestPictureButtons[] = {IDC_BARS_CLEAR, IDC_BARS_100_0_100_00, IDC_BARS_100_0_100_25,
                                       IDC_BARS_100_0_75_00, IDC_BARS_ALPHA};
static_assert(std::size(kTestPictureButtons) == std::size(kTestPictures), "a button for each test picture");

// The words of IDS_PICTURE_TOO_LARGE name the alpha test's limit.
static_assert(kAlphaTestImageLimit == uint64_t(4096) * 4096 * 4, "the words name the alpha test's limit");

}  // namespace

BoardConfigDialog::BoardConfigDialog(int templateId, int board, const std::filesystem::path& moduleDirectory,
                                     HWND parent)
    : Dialog(templateId, parent),
      CardIndex(board),
      SettingsFilePath(moduleDirectory / "Board.ini"),
      moduleDirectory_(moduleDirectory),
      chinese_(templateId == IDD_CONFIG_CHINESE) {
  for (int& index : groupIndex_) index = -1;
  const SettingsFileReading reading = ReadSettingsFile(SettingsFilePath);
  StoredDefaults = reading.record;
  defaultsProblem_ = reading.problem;
  defaultsFailure_ = reading.failure;
}

const BoardConfigDialog::Command BoardConfigDialog::kDefaultButtons[] = {
    {IDC_RESTORE_DEFAULT, &BoardConfigDialog::OnRestoreDefault},
    {IDC_SAVE_DEFAULT, &BoardConfigDialog::OnSaveDefault},
    {IDC_RESTORE_FACTORY, &BoardConfigDialog::OnRestoreFactory},
};

void BoardConfigDialog::DoDataExchange(DataExchange& dx) {
  for (int i = 0; i < kSliderCount; ++i) dx.Control(kSliders[i].sliderId, sliders_[i]);
  for (int g = 0; g < kGroupCount; ++g) dx.Radio(kRadioGroups[g].buttons[0].id, groupIndex_[g]);
}

BOOL BoardConfigDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  for (int i = 0; i < kSliderCount; ++i) sliders_[i].SetRange(kSliders[i].setting->min, kSliders[i].setting->max);
  BoardSettings settings;
  ReadAllSettings(CardIndex, settings);
  ShowSettings(settings);
  int typeNo = 0;
  Orbel_GetCardTypeNo(&typeNo, CardIndex);  // asked once; nothing depends on it
  // The SDI input and embedded audio need the SDI sub-board.
  const BOOL sdi = settings.subBoardIfExist != 0;
  EnableWindow(GetDlgItem(Hwnd(), IDC_SOURCE_SDI), sdi);
  EnableWindow(GetDlgItem(Hwnd(), IDC_AUDIO_SDI_EMBED), sdi);
  if (!DialogTitle.empty()) SetWindowTextA(Hwnd(), DialogTitle.c_str());
  FitCaptions();
  return TRUE;
}

void BoardConfigDialog::ShowSettings(BoardSettings settings) {
  for (int g = 0; g < kGroupCount; ++g)
    groupIndex_[g] = PositionOf(kRadioGroups[g], settings.*kRadioGroups[g].setting->field);
  UpdateData(false);
  for (int i = 0; i < kSliderCount; ++i) {
    const int32_t value = settings.*kSliders[i].setting->field;
    sliders_[i].SetPosition(value);
    SetNumber(Hwnd(), kSliders[i].valueId, value);
  }
}

bool BoardConfigDialog::OnClicked(int id) {
  // A setting's button tells the board also when it was checked already.
  // The buttons are not automatic: the group shows what the board took,
  // which after a refusal is what the board reports now.
  int i = 0;
  if (const RadioGroup* group = FindButton(id, i)) {
    const int g = static_cast<int>(group - kRadioGroups);
    const bool taken = group->setting->set(group->Code(i), CardIndex) != 0;
    int reported = 0;
    if (taken)
      groupIndex_[g] = i;
    else
      groupIndex_[g] = group->setting->get(&reported, CardIndex) ? PositionOf(*group, reported) : -1;
    DataExchange dx(Hwnd(), false);
    dx.Radio(group->buttons[0].id, groupIndex_[g]);
    if (!taken && group->ReportsRefusal()) {
      const std::string caption = group->buttons[i].errorCaption;
      MessageBoxW(Hwnd(), RefusalText(Hwnd(), *group, i, LoadText(IDS_SETTING_REFUSED)).c_str(),
                  std::wstring(caption.begin(), caption.end()).c_str(), MB_OK);
    }
    return true;
  }
  for (size_t picture = 0; picture < std::size(kTestPictureButtons); ++picture)
    if (kTestPictureButtons[picture] == id) {
      OnTestPicture(picture);
      return true;
    }
  for (const Command& command : kDefaultButtons)
    if (command.id == id) {
      (this->*command.action)();
      return true;
    }
  return false;
}

void BoardConfigDialog::OnTestPicture(size_t picture) {
  switch (kTestPictures[picture].kind) {
    case TestPictureKind::Clear: ClearOutput(CardIndex); break;
    case TestPictureKind::ColorBars:
      // No frame: the box every handler's lack of memory gives.
      if (!SendColorBars(ColorBarPattern(picture), CardIndex)) throw std::bad_alloc();
      break;
    case TestPictureKind::AlphaTest: OnAlphaTest(); break;
  }
}

void BoardConfigDialog::OnAlphaTest() {
  Win32TgaPlatform platform;
  AlphaTestResult result;
  // Each in the kind of box other failures of a handler get.
  const auto fail = [this](const std::wstring& text) {
    MessageBoxW(Hwnd(), text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
  };
  try {
    result = RunAlphaTest(moduleDirectory_, CardIndex, platform, IsWritableMemory);
  } catch (const TgaImageTooLarge&) {
    fail(LoadText(IDS_PICTURE_TOO_LARGE));
    return;
  } catch (const TgaReadError& e) {
    fail(LoadText(IDS_TGA_UNREADABLE) + e.Path().native());
    return;
  }
  if (result == AlphaTestResult::NoMemory) throw std::bad_alloc();
  if (result == AlphaTestResult::NoFrameMemory) ShowError(LoadText(IDS_NO_FRAME_MEMORY));
}

void BoardConfigDialog::OnSaveDefault() {
  BoardSettings settings;
  // A board that did not report its settings would put zeros over the
  // user's defaults: the file and the defaults of this run stay as they are.
  if (!ReadAllSettings(CardIndex, settings).empty()) {
    ShowError(LoadText(IDS_NOT_REPORTED));
    return;
  }
  StoredDefaults = settings;
  defaultsProblem_ = SettingsFileProblem::kNone;
  // The defaults stay in force for this run either way; a person whose file
  // was not written must know that a later run will not have them.
  FileFailure why = FileFailure::kNone;
  if (!SaveSettingsFile(SettingsFilePath, settings, &why)) {
    // The path may hold what the ANSI code page cannot write: the box gets
    // wide text. The reason follows where it is known.
    const std::wstring reason = ReasonText(SettingsFileProblem::kCannotRead, why);
    ShowError(LoadText(IDS_CANNOT_SAVE) + SettingsFilePath.native() + (reason.empty() ? L"" : L"\n" + reason));
  }
}

std::wstring BoardConfigDialog::ReasonText(SettingsFileProblem problem, FileFailure failure) const {
  switch (problem) {
    case SettingsFileProblem::kNotAFile: return LoadText(IDS_FILE_NOT_A_FILE);
    case SettingsFileProblem::kTooLarge: return LoadText(IDS_FILE_TOO_LARGE);
    case SettingsFileProblem::kNotText:
    case SettingsFileProblem::kNoRecord: return LoadText(IDS_FILE_NO_RECORD);
    case SettingsFileProblem::kBadRecord: return LoadText(IDS_FILE_BAD_RECORD);
    case SettingsFileProblem::kNone:
    case SettingsFileProblem::kCannotRead: break;
  }
  for (const auto& [known, textId] :
       {std::pair{FileFailure::kAccessDenied, IDS_SAVE_ACCESS_DENIED},
        std::pair{FileFailure::kReadOnly, IDS_SAVE_READ_ONLY}, std::pair{FileFailure::kDiskFull, IDS_SAVE_DISK_FULL},
        std::pair{FileFailure::kInUse, IDS_FILE_IN_USE}, std::pair{FileFailure::kNotAFile, IDS_FILE_NOT_A_FILE},
        std::pair{FileFailure::kTooLarge, IDS_FILE_TOO_LARGE}})
    if (failure == known) return LoadText(textId);
  return L"";
}

void BoardConfigDialog::OnRestoreDefault() {
  // A Board.ini that exists but cannot be read, or that holds values the
  // settings do not take, is told; nothing is sent in its place.
  if (defaultsProblem_ != SettingsFileProblem::kNone) {
    const std::wstring reason = ReasonText(defaultsProblem_, defaultsFailure_);
    ShowError(LoadText(IDS_DEFAULTS_UNREADABLE) + SettingsFilePath.native() + (reason.empty() ? L"" : L"\n" + reason));
    return;
  }
  const std::vector<const BoardSetting*> outOfRange = SettingsOutOfRange(StoredDefaults);
  if (!outOfRange.empty()) {
    std::wstring text = LoadText(IDS_DEFAULTS_OUT_OF_RANGE) + SettingsFilePath.native();
    for (const BoardSetting* setting : outOfRange) {
      const std::string line =
          std::string("\n") + setting->name + " = " + ValueText(*setting, StoredDefaults.*setting->field);
      text += std::wstring(line.begin(), line.end());
    }
    ShowError(text);
    return;
  }
  Restore(StoredDefaults);
}

void BoardConfigDialog::OnRestoreFactory() {
  BoardSettings factory;
  SetFactorySettings(factory);
  Restore(factory);
}

void BoardConfigDialog::Restore(const BoardSettings& settings) {
  std::vector<const BoardSetting*> refused;
  {
    WaitCursor wait;
    refused = ApplyAllSettings(CardIndex, settings);
    // The display shows the record as sent, but what the board refused as
    // it reports it now; the box lists what it refused.
    BoardSettings shown = settings;
    for (const BoardSetting* setting : refused) {
      int reported = 0;
      if (setting->get(&reported, CardIndex)) shown.*setting->field = reported;
    }
    ShowSettings(shown);
  }
  if (refused.empty()) return;
  std::wstring text = LoadText(IDS_REFUSED);
  for (const BoardSetting* setting : refused) {
    const std::string line = std::string("\n") + setting->name + " = " + ValueText(*setting, settings.*setting->field);
    text += std::wstring(line.begin(), line.end());
  }
  ShowError(text);
}

void BoardConfigDialog::OnHScroll(int code, int position, HWND control) {
  const int id = control ? GetDlgCtrlID(control) : 0;
  for (int i = 0; i < kSliderCount; ++i) {
    if (kSliders[i].sliderId != id) continue;
    const BoardSetting& setting = *kSliders[i].setting;
    int value = sliders_[i].Position();
    switch (code) {
      case SB_LINELEFT: value -= 1; break;
      case SB_LINERIGHT: value += 1; break;
      case SB_PAGELEFT: value -= 10; break;
      case SB_PAGERIGHT: value += 10; break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK: value = position; break;
      case SB_LEFT: value = setting.min; break;   // Home
      case SB_RIGHT: value = setting.max; break;  // End
      default: break;                             // SB_ENDSCROLL: the value stays
    }
    if (value <= setting.min)
      value = setting.min;
    else if (value >= setting.max)
      value = setting.max;
    const int before = sliders_[i].Position();
    if (setting.set(value, CardIndex)) {
      sliders_[i].SetPosition(value);
      SetNumber(Hwnd(), kSliders[i].valueId, value);
    } else {
      SliderRefused(i, value, before);
    }
    // A refusal is told once the gesture ends (a drag, a key held down),
    // not in the middle of it.
    if (code == SB_ENDSCROLL && refusedSlider_ >= 0) {
      const int refused = refusedSlider_;
      refusedSlider_ = -1;
      HWND label = GetWindow(GetDlgItem(Hwnd(), kSliders[refused].valueId), GW_HWNDPREV);
      ShowError(FillText(LoadText(IDS_SETTING_REFUSED), {Caption(label), std::to_wstring(refusedValue_)}));
    }
    break;
  }
}

void BoardConfigDialog::SliderRefused(int slider, int value, int before) {
  // As a radio group does: the slider and its number show what the board
  // reports it has, or stay where they were when it reports nothing.
  int reported = 0;
  const int shown = kSliders[slider].setting->get(&reported, CardIndex) ? reported : before;
  sliders_[slider].SetPosition(shown);
  SetNumber(Hwnd(), kSliders[slider].valueId, shown);
  if (refusedSlider_ < 0) refusedSlider_ = slider, refusedValue_ = value;  // the gesture's first
}

void BoardConfigDialog::ShowError(const std::wstring& text) { MessageBoxW(Hwnd(), text.c_str(), L"error", MB_OK); }

std::wstring BoardConfigDialog::LoadText(int textId) const { return ::LoadText(textId, chinese_); }
