#include "board_config_dialog.h"

#include <array>
#include <climits>
#include <cstdio>

#include "host_path.h"
#include "korvio.h"
#include "test_pictures.h"
#include "tga_reader.h"
#include "tga_win32.h"

namespace {

using Setter = int (*)(int value, int card);

// What the colour-bar buttons put on the board's output, by the code of
// their row below.
enum TestPicture { kClearOutput, kBars100_0_100_00, kBars100_0_100_25, kBars100_0_75_00, kAlphaTest };

// One radio button: the code its group's setter sends (for the colour-bar
// buttons, the test picture), and the caption of the "error" box shown when
// the board refuses it; null where the setter's result is not looked at.
struct RadioButton {
  int id;
  int code;
  const char* errorCaption;
};

// One radio group, from its first button (the one with WS_GROUP) on. A
// group without a field is the colour-bar group, whose buttons are commands.
struct RadioGroup {
  int32_t BoardSettings::*field;
  Setter setter;
  int buttonCount;
  RadioButton buttons[5];
};

// In the order of the dialog's group indices.
constexpr RadioGroup kRadioGroups[BoardConfigDialog::kGroupCount] = {
    {&BoardSettings::innerOrExtraSync,
     Orbel_SetInnerOrExtraSync,
     3,
     {{IDC_SYNC_INTERNAL, 0, nullptr}, {IDC_SYNC_EXTERNAL, 1, nullptr}, {IDC_SYNC_FROM_VIDEO, 2, nullptr}}},
    // There is no code 4: CVBS2 is 5.
    {&BoardSettings::cmpsOrSvideo,
     Orbel_SetCmpsOrSvideo,
     5,
     {{IDC_SOURCE_CVBS1, 0, "CVBS1 err"},
      {IDC_SOURCE_YC, 1, "Svideo err"},
      {IDC_SOURCE_YUV, 2, "YUV err"},
      {IDC_SOURCE_SDI, 3, "SDI err"},
      {IDC_SOURCE_CVBS2, 5, "CVBS2 err"}}},
    {&BoardSettings::videoBypass,
     Orbel_SetVideoBypass,
     2,
     {{IDC_MIX_BYPASS, 0, "Bypass err"}, {IDC_MIX_GRAPHIC, 1, "Video mix err"}}},
    {&BoardSettings::videoMode, Orbel_SetVideoMode, 2, {{IDC_MODE_NTSC, 0, nullptr}, {IDC_MODE_PAL, 1, nullptr}}},
    {&BoardSettings::tvOrVtr, Orbel_SetTVORVTR, 2, {{IDC_LOCK_VTR, 0, "VTR err"}, {IDC_LOCK_TV, 1, "TV err"}}},
    {nullptr,
     nullptr,
     5,
     {{IDC_BARS_CLEAR, kClearOutput, nullptr},
      {IDC_BARS_100_0_100_00, kBars100_0_100_00, nullptr},
      {IDC_BARS_100_0_100_25, kBars100_0_100_25, nullptr},
      {IDC_BARS_100_0_75_00, kBars100_0_75_00, nullptr},
      {IDC_BARS_ALPHA, kAlphaTest, nullptr}}},
    {&BoardSettings::videoBlackLevel,
     Orbel_SetVideoBlackLevel,
     2,
     {{IDC_BLACK_0_0, 0, "Set video black level error!"}, {IDC_BLACK_7_5, 1, "Set video black level error!"}}},
    {&BoardSettings::outAudioSrc,
     Orbel_SetOutAudioSrc,
     2,
     {{IDC_OUT_AUDIO_PLAY, 0, nullptr}, {IDC_OUT_AUDIO_INPUT, 1, nullptr}}},
    {&BoardSettings::outVideoSrc,
     Orbel_SetOutVideoSrc,
     2,
     {{IDC_OUT_VIDEO_PLAY, 0, nullptr}, {IDC_OUT_VIDEO_INPUT, 1, nullptr}}},
    {&BoardSettings::capVideoSrc,
     Orbel_SetCapVideoSrc,
     2,
     {{IDC_CAPTURE_INPUT, 1, nullptr}, {IDC_CAPTURE_PLAY, 2, nullptr}}},
    {&BoardSettings::audioSrc,
     Orbel_SetAudioSrc,
     2,
     {{IDC_AUDIO_ANALOG, 0, nullptr}, {IDC_AUDIO_SDI_EMBED, 1, nullptr}}},
    {&BoardSettings::playBufferRepeatMode,
     Orbel_SetPlayBufferRepeatMode,
     3,
     {{IDC_PAUSE_FRAME, 1, nullptr}, {IDC_PAUSE_FIRST_FIELD, 2, nullptr}, {IDC_PAUSE_SECOND_FIELD, 3, nullptr}}},
};

// One slider, the value field beside it, and what it adjusts, in the order
// the sliders are ranged, shown and searched.
struct SliderRow {
  int sliderId;
  int valueId;
  int32_t BoardSettings::*field;
  Setter setter;
};

constexpr SliderRow kSliders[BoardConfigDialog::kSliderCount] = {
    {IDC_CONTRAST, IDC_CONTRAST_VALUE, &BoardSettings::contrast, Orbel_SetContrast},
    {IDC_LIGHT, IDC_LIGHT_VALUE, &BoardSettings::light, Orbel_SetLight},
    {IDC_HUE, IDC_HUE_VALUE, &BoardSettings::hue, Orbel_SetHue},
    {IDC_SATUATION, IDC_SATUATION_VALUE, &BoardSettings::satuation, Orbel_SetSatuation},
    {IDC_SUBCARRIER, IDC_SUBCARRIER_VALUE, &BoardSettings::subcarrierPhase, Orbel_SetSubcarrierPhase},
    {IDC_LINE_PHASE, IDC_LINE_PHASE_VALUE, &BoardSettings::linePhase, Orbel_SetLinePhase},
    {IDC_FIELD_PHASE, IDC_FIELD_PHASE_VALUE, &BoardSettings::fieldPhase, Orbel_SetFieldPhase},
    {IDC_VOLUME, IDC_VOLUME_VALUE, &BoardSettings::audioVolumn, Orbel_SetAudioVolumn},
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
    if (group.buttons[i].code == value) return i;
  const long long position = static_cast<long long>(value) - group.buttons[0].code;
  return position < 0 || position > INT_MAX ? -1 : static_cast<int>(position);
}

const RadioGroup* FindButton(int id, const RadioButton*& button) {
  for (const RadioGroup& group : kRadioGroups)
    for (int i = 0; i < group.buttonCount; ++i)
      if (group.buttons[i].id == id) {
        button = &group.buttons[i];
        return &group;
      }
  return nullptr;
}

void SetNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
}

// "Save as Default" could not write the file, whose path follows. The
// Chinese text is GBK: "无法保存默认值到文件：".
constexpr struct {
  const char* english;
  const char* chinese;
} kCannotSave = {"Cannot save the defaults to the file:\n",
                 "\xCE\xDE\xB7\xA8\xB1\xA3\xB4\xE6\xC4\xAC\xC8\xCF\xD6\xB5\xB5\xBD\xCE\xC4\xBC\xFE\xA3\xBA\n"};

// What the alpha test tells. The Chinese texts are GBK: "板卡没有提供可用的帧内存。",
// "图片大于4096 × 4096像素。". The English "×" goes as wide text, which any
// code page shows.
constexpr struct {
  const char* english;
  const char* chinese;
} kNoFrameMemory = {"The board gave no usable frame memory.",
                    "\xB0\xE5\xBF\xA8\xC3\xBB\xD3\xD0\xCC\xE1\xB9\xA9\xBF\xC9\xD3\xC3\xB5\xC4\xD6\xA1"
                    "\xC4\xDA\xB4\xE6\xA1\xA3"};
constexpr const wchar_t* kPictureTooLargeEnglish = L"The picture is larger than 4096 \u00D7 4096 pixels.";
constexpr const char* kPictureTooLargeChinese =
    "\xCD\xBC\xC6\xAC\xB4\xF3\xD3\xDA"
    "4096 \xA1\xC1 4096"
    "\xCF\xF1\xCB\xD8\xA1\xA3";
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
        table[n++] = OnClicked(group.buttons[i].id, group.field ? &BoardConfigDialog::OnSettingClicked
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
  // The colour-bar group has no field: its index stays as it is.
  for (int g = 0; g < kGroupCount; ++g)
    if (kRadioGroups[g].field) groupIndex_[g] = PositionOf(kRadioGroups[g], settings.*kRadioGroups[g].field);
  UpdateData(false);
  for (int i = 0; i < kSliderCount; ++i) {
    sliders_[i].SetPosition(settings.*kSliders[i].field);
    SetNumber(Hwnd(), kSliders[i].valueId, settings.*kSliders[i].field);
  }
}

void BoardConfigDialog::OnSettingClicked(int id) {
  // Also when the button was checked already: the board is told again.
  const RadioButton* button = nullptr;
  const RadioGroup* group = FindButton(id, button);
  if (!group) return;
  if (!group->setter(button->code, CardIndex) && button->errorCaption) ShowError(button->errorCaption, "error");
}

void BoardConfigDialog::OnTestPictureClicked(int id) {
  const RadioButton* button = nullptr;
  if (!FindButton(id, button)) return;
  switch (button->code) {
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
        if (chinese_)
          MessageBoxA(Hwnd(), kPictureTooLargeChinese, nullptr, MB_OK | MB_ICONEXCLAMATION);
        else
          MessageBoxW(Hwnd(), kPictureTooLargeEnglish, nullptr, MB_OK | MB_ICONEXCLAMATION);
        break;
      }
      if (result == AlphaTestResult::NoFrameMemory)
        ShowError("error", chinese_ ? kNoFrameMemory.chinese : kNoFrameMemory.english);
      break;
    }
  }
}

void BoardConfigDialog::OnSaveDefault(int) {
  BoardSettings settings;
  ReadAllSettings(CardIndex, settings);
  StoredDefaults = settings;
  // The defaults stay in force for this run either way; a person whose file
  // was not written must know that a later run will not have them.
  if (!SaveSettingsFile(SettingsFilePath, settings)) {
    // The path may hold what the ANSI code page cannot write: the box gets
    // wide text.
    const char* words = chinese_ ? kCannotSave.chinese : kCannotSave.english;
    std::wstring text(MultiByteToWideChar(CP_ACP, 0, words, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, words, -1, &text[0], static_cast<int>(text.size()));
    text.pop_back();
    MessageBoxW(Hwnd(), (text + WidePath(SettingsFilePath)).c_str(), L"error", MB_OK);
  }
}

void BoardConfigDialog::OnRestoreDefault(int) {
  WaitCursor wait;
  ApplyAllSettings(CardIndex, StoredDefaults);
  ShowSettings(StoredDefaults);
}

void BoardConfigDialog::OnRestoreFactory(int) {
  WaitCursor wait;
  BoardSettings factory;
  SetFactorySettings(factory);
  ApplyAllSettings(CardIndex, factory);
  ShowSettings(factory);
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
    kSliders[i].setter(value, CardIndex);
    sliders_[i].SetPosition(value);
    SetNumber(Hwnd(), kSliders[i].valueId, value);
    break;
  }
  // The checked buttons back into the group indices, so that the next
  // ShowSettings keeps the colour-bar button checked now.
  UpdateData(true);
}

void BoardConfigDialog::ShowError(const char* caption, const char* text) { MessageBoxA(Hwnd(), text, caption, MB_OK); }
