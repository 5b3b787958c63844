#include "board_settings.h"

#include "korvio.h"
#include "setting_table.h"

void SetFactorySettings(BoardSettings& s) {
  s = BoardSettings{};
  s.innerOrExtraSync = 2;  // lock to the video input
  s.videoBypass = 1;
  s.reserved7 = 1;
  s.videoMode = 1;  // PAL
  s.capVideoSrc = 1;
  s.contrast = s.light = s.hue = s.satuation = s.fieldPhase = s.audioVolumn = 128;
  s.playBufferRepeatMode = 2;
}

bool ReadAllSettings(int card, BoardSettings& s) {
  s = BoardSettings{};
  bool all = true;
  for (int32_t BoardSettings::*field : kReadOrder)
    if (!SettingOf(field)->get(&(s.*field), card)) all = false;
  return all;
}

std::vector<const BoardSetting*> ApplyAllSettings(int card, BoardSettings s) {
  std::vector<const BoardSetting*> refused;
  for (int32_t BoardSettings::*field : kApplyOrder) {
    const BoardSetting* setting = SettingOf(field);
    if (!setting->set(s.*field, card)) refused.push_back(setting);
  }
  return refused;
}

std::string ValueText(const BoardSetting& setting, int32_t value) {
  const char* word = setting.WordOf(value);
  return word ? std::string(word) + " (" + std::to_string(value) + ")" : std::to_string(value);
}
