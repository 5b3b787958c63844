// The configuration dialog's radio groups and sliders: which controls set
// which setting. Portable (ids and rows of the settings table only), so that
// korvctl finds each setting's caption in the dialog's templates too.
#pragma once

#include "control_ids.h"
#include "setting_table.h"

// One radio button, and the caption of the box shown when the board refuses
// its value: a group whose buttons have one tells a refusal, the others only
// show what the board took.
struct RadioButton {
  int id;
  const char* errorCaption = nullptr;
};

// One radio group, from its first button (the one with WS_GROUP) on: a
// button per word of its setting, in the setting's order of words. The
// group box that names it comes just before its first button.
struct RadioGroup {
  const BoardSetting* setting;
  RadioButton buttons[5];

  constexpr int ButtonCount() const { return setting->wordCount; }
  // The value a button sends.
  int32_t Code(int i) const { return setting->words[i].code; }
  // Whether a refused value is told in a box.
  constexpr bool ReportsRefusal() const { return buttons[0].errorCaption != nullptr; }
};

// In the order of the dialog's group indices.
inline constexpr RadioGroup kRadioGroups[] = {
    {SettingOf(&BoardSettings::innerOrExtraSync), {{IDC_SYNC_INTERNAL}, {IDC_SYNC_EXTERNAL}, {IDC_SYNC_FROM_VIDEO}}},
    {SettingOf(&BoardSettings::cmpsOrSvideo),
     {{IDC_SOURCE_CVBS1, "CVBS1 err"},
      {IDC_SOURCE_YC, "Svideo err"},
      {IDC_SOURCE_YUV, "YUV err"},
      {IDC_SOURCE_SDI, "SDI err"},
      {IDC_SOURCE_CVBS2, "CVBS2 err"}}},
    {SettingOf(&BoardSettings::videoBypass), {{IDC_MIX_BYPASS, "Bypass err"}, {IDC_MIX_GRAPHIC, "Video mix err"}}},
    {SettingOf(&BoardSettings::videoMode), {{IDC_MODE_NTSC}, {IDC_MODE_PAL}}},
    {SettingOf(&BoardSettings::tvOrVtr), {{IDC_LOCK_VTR, "VTR err"}, {IDC_LOCK_TV, "TV err"}}},
    {SettingOf(&BoardSettings::videoBlackLevel),
     {{IDC_BLACK_0_0, "Set video black level error!"}, {IDC_BLACK_7_5, "Set video black level error!"}}},
    {SettingOf(&BoardSettings::outAudioSrc), {{IDC_OUT_AUDIO_PLAY}, {IDC_OUT_AUDIO_INPUT}}},
    {SettingOf(&BoardSettings::outVideoSrc), {{IDC_OUT_VIDEO_PLAY}, {IDC_OUT_VIDEO_INPUT}}},
    {SettingOf(&BoardSettings::capVideoSrc), {{IDC_CAPTURE_INPUT}, {IDC_CAPTURE_PLAY}}},
    {SettingOf(&BoardSettings::audioSrc), {{IDC_AUDIO_ANALOG}, {IDC_AUDIO_SDI_EMBED}}},
    {SettingOf(&BoardSettings::playBufferRepeatMode),
     {{IDC_PAUSE_FRAME}, {IDC_PAUSE_FIRST_FIELD}, {IDC_PAUSE_SECOND_FIELD}}},
};

// Every group of a setting has a button for each of its words and no more,
// and either every button of a group has a caption for its refusal or none.
constexpr bool ButtonsMatchWords() {
  for (const RadioGroup& group : kRadioGroups)
    for (int i = 0; i < 5; ++i) {
      const RadioButton& button = group.buttons[i];
      if ((button.id != 0) != (i < group.setting->wordCount)) return false;
      if (button.id != 0 && (button.errorCaption != nullptr) != group.ReportsRefusal()) return false;
    }
  return true;
}
static_assert(ButtonsMatchWords(), "a radio group has a button per word of its setting, all told or none");

// One slider, the value field beside it, and what it adjusts, in the order
// the sliders are ranged, shown and searched.
struct SliderRow {
  int sliderId;
  int valueId;
  const BoardSetting* setting;
};

inline constexpr SliderRow kSliders[] = {
    {IDC_CONTRAST, IDC_CONTRAST_VALUE, SettingOf(&BoardSettings::contrast)},
    {IDC_LIGHT, IDC_LIGHT_VALUE, SettingOf(&BoardSettings::light)},
    {IDC_HUE, IDC_HUE_VALUE, SettingOf(&BoardSettings::hue)},
    {IDC_SATUATION, IDC_SATUATION_VALUE, SettingOf(&BoardSettings::satuation)},
    {IDC_SUBCARRIER, IDC_SUBCARRIER_VALUE, SettingOf(&BoardSettings::subcarrierPhase)},
    {IDC_LINE_PHASE, IDC_LINE_PHASE_VALUE, SettingOf(&BoardSettings::linePhase)},
    {IDC_FIELD_PHASE, IDC_FIELD_PHASE_VALUE, SettingOf(&BoardSettings::fieldPhase)},
    {IDC_VOLUME, IDC_VOLUME_VALUE, SettingOf(&BoardSettings::audioVolumn)},
};
