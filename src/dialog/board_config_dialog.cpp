#include "board_config_dialog.h"

#include <array>
#include <climits>
#include <cstdio>

#include "host_path.h"
#include "korvio.h"
#include "setting_table.h"
#include "test_pictures.h"
#include "text_ids.h"
#include "tga_reader.h"
#include "tga_win32.h"

namespace {

// What the colour-bar buttons put on the board's output, by their position
// in the group.
enum TestPicture { kClearOutput, kBars100_0_100_00, kBars100_0_100_25, kBars100_0_75_00, kAlphaTest };

// One radio button, and the caption of the "error" box shown when the board
// refuses its value (used where the setting's refusal is reported).
struct RadioButton {
  int id;
  const char* errorCaption = nullptr;
};

// One radio group, from its first button (the one with WS_GROUP) on: a
// button per word of its setting, in the setting's order of words. A group
// without a setting is the colour-bar group, whose buttons are commands.
struct RadioGroup {
  const BoardSetting* setting;
  int buttonCount;
  RadioButton buttons[5];

  // The value a button sends (for the colour-bar buttons, the picture).
  int32_t Code(int i) const { return setting ? setting->words[i].code : i; }
};

// In the order of the dialog's group indices.
constexpr RadioGroup kRadioGroups[BoardConfigDialog::kGroupCount] = {
    {SettingOf(&BoardSettings::innerOrExtraSync), 3, {{IDC_SYNC_INTERNAL}, {IDC_SYNC_EXTERNAL}, {IDC_SYNC_FROM_VIDEO}}},
    {SettingOf(&BoardSettings::cmpsOrSvideo),
     5,
     {{IDC_SOURCE_CVBS1, "CVBS1 err"},
      {IDC_SOURCE_YC, "Svideo err"},
      {IDC_SOURCE_YUV, "YUV err"},
      {IDC_SOURCE_SDI, "SDI err"},
      {IDC_SOURCE_CVBS2, "CVBS2 err"}}},
    {SettingOf(&BoardSettings::videoBypass), 2, {{IDC_MIX_BYPASS, "Bypass err"}, {IDC_MIX_GRAPHIC, "Video mix err"}}},
    {SettingOf(&BoardSettings::videoMode), 2, {{IDC_MODE_NTSC}, {IDC_MODE_PAL}}},
    {SettingOf(&BoardSettings::tvOrVtr), 2, {{IDC_LOCK_VTR, "VTR err"}, {IDC_LOCK_TV, "TV err"}}},
    {nullptr,
     5,
     {{IDC_BARS_CLEAR}, {IDC_BARS_100_0_100_00}, {IDC_BARS_100_0_100_25}, {IDC_BARS_100_0_75_00}, {IDC_BARS_ALPHA}}},
    {SettingOf(&BoardSettings::videoBlackLevel),
     2,
     {{IDC_BLACK_0_0, "Set video black level error!"}, {IDC_BLACK_7_5, "Set video black level error!"}}},
    {SettingOf(&BoardSettings::outAudioSrc), 2, {{IDC_OUT_AUDIO_PLAY}, {IDC_OUT_AUDIO_INPUT}}},
    {SettingOf(&BoardSettings::outVideoSrc), 2, {{IDC_OUT_VIDEO_PLAY}, {IDC_OUT_VIDEO_INPUT}}},
    {SettingOf(&BoardSettings::capVideoSrc), 2, {{IDC_CAPTURE_INPUT}, {IDC_CAPTURE_PLAY}}},
    {SettingOf(&BoardSettings::audioSrc), 2, {{IDC_AUDIO_ANALOG}, {IDC_AUDIO_SDI_EMBED}}},
    {SettingOf(&BoardSettings::playBufferRepeatMode),
     3,
     {{IDC_PAUSE_FRAME}, {IDC_PAUSE_FIRST_FIELD}, {IDC_PAUSE_SECOND_FIELD}}},
};

// Every group of a setting has a button for each of its words.
constexpr bool ButtonsMatchWords() {
  for (const RadioGroup& group : kRadioGroups)
    if (group.setting && group.setting->wordCount != group.buttonCount) return false;
  return true;
}
static_assert(ButtonsMatchWords(), "a radio group has a button per word of its setting");

// One slider, the value field beside it, and what it adjusts, in the order
// the sliders are ranged, shown and searched.
struct SliderRow {
  int sliderId;
  int valueId;
  const BoardSetting* setting;
};

constexpr SliderRow kSliders[BoardConfigDialog::kSliderCount] = {
    {IDC_CONTRAST, IDC_CONTRAST_VALUE, SettingOf(&BoardSettings::contrast)},
    {IDC_LIGHT, IDC_LIGHT_VALUE, SettingOf(&BoardSettings::light)},
    {IDC_HUE, IDC_HUE_VALUE, SettingOf(&BoardSettings::hue)},
    {IDC_SATUATION, IDC_SATUATION_VALUE, SettingOf(&BoardSettings::satuation)},
    {IDC_SUBCARRIER, IDC_SUBCARRIER_VALUE, SettingOf(&BoardSettings::subcarrierPhase)},
    {IDC_LINE_PHASE, IDC_LINE_PHASE_VALUE, SettingOf(&BoardSettings::linePhase)},
    {IDC_FIELD_PHASE, IDC_FIELD_PHASE_VALUE, SettingOf(&BoardSettings::fieldPhase)},
    {IDC_VOLUME, IDC_VOLUME_VALUE, SettingOf(&BoardSettings::audioVolumn)},
};

constexpr int kSliderMin = 0;
constexpr int kSliderMax = 255;

constexpr int RadioButtonCount() {
  int n = 0;
  for (const RadioGroup& group : kRadioGroups) n += group.buttonCount;
  return n;
}

// The position a field's value checks: the button with that code, or else
// the value counted from the first button's code, which checks nothing when
// it is no position.
int PositionOf(const RadioGroup& group, int32_t value) {
  for (int i = 0; i < group.buttonCount; ++i)
    if (group.Code(i) == value) return i;
  const long long position = static_cast<long long>(value) - group.Code(0);
  return position < 0 || position > INT_MAX ? -1 : static_cast<int>(position);
}

// The group of a button, and the button's position in it.
const RadioGroup* FindButton(int id, int& position) {
  for (const RadioGroup& group : kRadioGroups)
    for (int i = 0; i < group.buttonCount; ++i)
      if (group.buttons[i].id == id) {
        position = i;
        return &group;
      }
  return nullptr;
}

void SetNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
}

// The words of IDS_PICTURE_TOO_LARGE name the alpha test's limit.
static_assert(kAlphaTestImageLimit == uint64_t(4096) * 4096 * 4, "the words name the alpha test's limit");

}  // namespace

BoardConfigDialog::BoardConfigDialog(int templateId, int cardIndex, const std::string& moduleDirectory, HWND parent)
    : Dialog(templateId, parent),
      CardIndex(cardIndex),
      SettingsFilePath(moduleDirectory + "Board.ini"),
      moduleDirectory_(moduleDirectory),
      chinese_(templateId == IDD_CONFIG_CHINESE) {
  for (int& index : groupIndex_) index = -1;
  LoadSettingsFile(SettingsFilePath, StoredDefaults);
}

const MessageEntry* BoardConfigDialog::Handlers() const {
  // Every radio button and default button on click, and the scroll message
  // from any control. Built once, on first use: member pointers to a
  // derived class do not convert in a constant expression.
  static const auto kTable = [] {
    std::array<MessageEntry, RadioButtonCount() + 3 + 2> table{};
    size_t n = 0;
    for (const RadioGroup& group : kRadioGroups)
      for (int i = 0; i < group.buttonCount; ++i)
        table[n++] = OnClicked(group.buttons[i].id, group.setting ? &BoardConfigDialog::OnSettingClicked
                                                                  : &BoardConfigDialog::OnTestPictureClicked);
    table[n++] = OnClicked(IDC_RESTORE_DEFAULT, &BoardConfigDialog::OnRestoreDefault);
    table[n++] = OnClicked(IDC_SAVE_DEFAULT, &BoardConfigDialog::OnSaveDefault);
    table[n++] = OnClicked(IDC_RESTORE_FACTORY, &BoardConfigDialog::OnRestoreFactory);
    table[n++] = OnHScroll(&BoardConfigDialog::OnScroll);
    table[n] = kEndOfHandlers;
    return table;
  }();
  return kTable.data();
}

void BoardConfigDialog::DoDataExchange(DataExchange& dx) {
  for (int i = 0; i < kSliderCount; ++i) dx.Control(kSliders[i].sliderId, sliders_[i]);
  for (int g = 0; g < kGroupCount; ++g) dx.Radio(kRadioGroups[g].buttons[0].id, groupIndex_[g]);
}

BOOL BoardConfigDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  for (Slider& slider : sliders_) slider.SetRange(kSliderMin, kSliderMax);
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
  return TRUE;
}

void BoardConfigDialog::ShowSettings(BoardSettings settings) {
  // The colour-bar group has no setting: its index stays as it is.
  for (int g = 0; g < kGroupCount; ++g)
    if (const BoardSetting* setting = kRadioGroups[g].setting)
      groupIndex_[g] = PositionOf(kRadioGroups[g], settings.*setting->field);
  UpdateData(false);
  for (int i = 0; i < kSliderCount; ++i) {
    const int32_t value = settings.*kSliders[i].setting->field;
    sliders_[i].SetPosition(value);
    SetNumber(Hwnd(), kSliders[i].valueId, value);
  }
}

void BoardConfigDialog::OnSettingClicked(int id) {
  // Also when the button was checked already: the board is told again.
  int i = 0;
  const RadioGroup* group = FindButton(id, i);
  if (!group) return;
  if (!group->setting->set(group->Code(i), CardIndex) && group->setting->dialogReportsRefusal)
    ShowError(group->buttons[i].errorCaption, "error");
}

void BoardConfigDialog::OnTestPictureClicked(int id) {
  int picture = 0;
  if (!FindButton(id, picture)) return;
  switch (picture) {
    case kClearOutput: ClearOutput(CardIndex); break;
    case kBars100_0_100_00: SendColorBars(ColorBarPattern::Bars100_0_100_00, CardIndex); break;
    case kBars100_0_100_25: SendColorBars(ColorBarPattern::Bars100_0_100_25, CardIndex); break;
    case kBars100_0_75_00: SendColorBars(ColorBarPattern::Bars100_0_75_00, CardIndex); break;
    case kAlphaTest: {
      Win32TgaPlatform platform;
      AlphaTestResult result;
      try {
        result = RunAlphaTest(moduleDirectory_, CardIndex, platform, DefaultPixelAllocator, IsWritableMemory);
      } catch (const TgaImageTooLarge&) {
        // In the kind of box other failures of a handler get.
        MessageBoxW(Hwnd(), Words(IDS_PICTURE_TOO_LARGE).c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
        break;
      }
      if (result == AlphaTestResult::NoFrameMemory) ShowError(Words(IDS_NO_FRAME_MEMORY));
      break;
    }
  }
}

void BoardConfigDialog::OnSaveDefault(int) {
  BoardSettings settings;
  // A board that did not report its settings would put zeros over the
  // user's defaults: the file and the defaults of this run stay as they are.
  if (!ReadAllSettings(CardIndex, settings)) {
    ShowError(Words(IDS_NOT_REPORTED));
    return;
  }
  StoredDefaults = settings;
  // The defaults stay in force for this run either way; a person whose file
  // was not written must know that a later run will not have them.
  if (!SaveSettingsFile(SettingsFilePath, settings)) {
    // The path may hold what the ANSI code page cannot write: the box gets
    // wide text.
    ShowError(Words(IDS_CANNOT_SAVE) + WidePath(SettingsFilePath));
  }
}

void BoardConfigDialog::OnRestoreDefault(int) { Restore(StoredDefaults); }

void BoardConfigDialog::OnRestoreFactory(int) {
  BoardSettings factory;
  SetFactorySettings(factory);
  Restore(factory);
}

void BoardConfigDialog::Restore(const BoardSettings& settings) {
  std::vector<const BoardSetting*> refused;
  {
    WaitCursor wait;
    refused = ApplyAllSettings(CardIndex, settings);
    ShowSettings(settings);
  }
  // The display shows the record as sent; what the board did not take is
  // listed, so that it does not look applied.
  if (refused.empty()) return;
  std::wstring text = Words(IDS_REFUSED);
  for (const BoardSetting* setting : refused) {
    const std::string line = std::string("\n") + setting->name + " = " + ValueText(*setting, settings.*setting->field);
    text += std::wstring(line.begin(), line.end());
  }
  ShowError(text);
}

void BoardConfigDialog::OnScroll(const ScrollMessage& message) {
  const int id = message.control ? GetDlgCtrlID(message.control) : 0;
  for (int i = 0; i < kSliderCount; ++i) {
    if (kSliders[i].sliderId != id) continue;
    int value = sliders_[i].Position();
    switch (message.code) {
      case SB_LINELEFT: value -= 1; break;
      case SB_LINERIGHT: value += 1; break;
      case SB_PAGELEFT: value -= 10; break;
      case SB_PAGERIGHT: value += 10; break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK: value = message.position; break;
      default: break;  // SB_LEFT, SB_RIGHT, SB_ENDSCROLL: the value stays
    }
    if (value <= kSliderMin)
      value = kSliderMin;
    else if (value >= kSliderMax)
      value = kSliderMax;
    kSliders[i].setting->set(value, CardIndex);
    sliders_[i].SetPosition(value);
    SetNumber(Hwnd(), kSliders[i].valueId, value);
    break;
  }
  // The checked buttons back into the group indices, so that the next
  // ShowSettings keeps the colour-bar button checked now.
  UpdateData(true);
}

void BoardConfigDialog::ShowError(const char* caption, const char* text) { MessageBoxA(Hwnd(), text, caption, MB_OK); }

void BoardConfigDialog::ShowError(const std::wstring& text) { MessageBoxW(Hwnd(), text.c_str(), L"error", MB_OK); }

std::wstring BoardConfigDialog::Words(int textId) const { return LoadText(textId, chinese_); }
