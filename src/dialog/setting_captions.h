// The captions of the settings in the configuration dialog, in both
// languages: the group box of a choice, the label beside a slider. The
// templates (board_config.rc) take them from here, and so does whatever
// names a setting as the dialog does (korvctl's list).
// UTF-8, like the resource scripts; '&' marks a mnemonic.
#ifndef SETTING_CAPTIONS_H
#define SETTING_CAPTIONS_H

#define CAPTION_EN_SYNC "S&ync Mode"
#define CAPTION_ZH_SYNC "同步模式(&Y)"
#define CAPTION_EN_VIDEO_SRC "&Video Src"
#define CAPTION_ZH_VIDEO_SRC "视频源(&V)"
#define CAPTION_EN_AUDIO_SRC "&Audio Src"
#define CAPTION_ZH_AUDIO_SRC "音频源(&A)"
#define CAPTION_EN_TITLE_MIX "&Title Mix Mode"
#define CAPTION_ZH_TITLE_MIX "字幕叠加模式(&T)"
#define CAPTION_EN_LOCK "&Lock Mode"
#define CAPTION_ZH_LOCK "锁相模式(&L)"
#define CAPTION_EN_TV_MODE "TV &Mode"
#define CAPTION_ZH_TV_MODE "制式(&M)"
#define CAPTION_EN_BLACK_LEVEL "Blac&k Level"
#define CAPTION_ZH_BLACK_LEVEL "黑电平(&K)"
#define CAPTION_EN_VIDEO_OUT "Video &Out SRC"
#define CAPTION_ZH_VIDEO_OUT "视频输出选择(&O)"
#define CAPTION_EN_AUDIO_OUT "Au&dio Out SRC"
#define CAPTION_ZH_AUDIO_OUT "音频输出选择(&D)"
#define CAPTION_EN_PAUSE_OUT "Video Paus&e Out"
#define CAPTION_ZH_PAUSE_OUT "视频暂停输出(&E)"
#define CAPTION_EN_CAPTURE "Ca&pture Video SRC"
#define CAPTION_ZH_CAPTURE "采集视频选择(&P)"
#define CAPTION_EN_CONTRAST "Contrast"
#define CAPTION_ZH_CONTRAST "对比度"
#define CAPTION_EN_LIGHT "Light"
#define CAPTION_ZH_LIGHT "亮度"
#define CAPTION_EN_HUE "Hue"
#define CAPTION_ZH_HUE "色度"
#define CAPTION_EN_SATUATION "Satuation"
#define CAPTION_ZH_SATUATION "饱和度"
#define CAPTION_EN_SUBCARRIER "SubCarrier"
#define CAPTION_ZH_SUBCARRIER "副载波"
#define CAPTION_EN_LINE_PHASE "LinePhase"
#define CAPTION_ZH_LINE_PHASE "行相位"
#define CAPTION_EN_FIELD_PHASE "FieldPhase"
#define CAPTION_ZH_FIELD_PHASE "场相位"
#define CAPTION_EN_VOLUME "Volume"
#define CAPTION_ZH_VOLUME "音量"

#ifndef RC_INVOKED
#include <string>

#include "board_settings.h"

// A setting's captions, by its field in the record.
struct SettingCaption {
  int32_t BoardSettings::*field;
  const char* english;
  const char* chinese;
};
constexpr SettingCaption kSettingCaptions[] = {
    {&BoardSettings::innerOrExtraSync, CAPTION_EN_SYNC, CAPTION_ZH_SYNC},
    {&BoardSettings::cmpsOrSvideo, CAPTION_EN_VIDEO_SRC, CAPTION_ZH_VIDEO_SRC},
    {&BoardSettings::audioSrc, CAPTION_EN_AUDIO_SRC, CAPTION_ZH_AUDIO_SRC},
    {&BoardSettings::videoBypass, CAPTION_EN_TITLE_MIX, CAPTION_ZH_TITLE_MIX},
    {&BoardSettings::tvOrVtr, CAPTION_EN_LOCK, CAPTION_ZH_LOCK},
    {&BoardSettings::videoMode, CAPTION_EN_TV_MODE, CAPTION_ZH_TV_MODE},
    {&BoardSettings::videoBlackLevel, CAPTION_EN_BLACK_LEVEL, CAPTION_ZH_BLACK_LEVEL},
    {&BoardSettings::outVideoSrc, CAPTION_EN_VIDEO_OUT, CAPTION_ZH_VIDEO_OUT},
    {&BoardSettings::outAudioSrc, CAPTION_EN_AUDIO_OUT, CAPTION_ZH_AUDIO_OUT},
    {&BoardSettings::playBufferRepeatMode, CAPTION_EN_PAUSE_OUT, CAPTION_ZH_PAUSE_OUT},
    {&BoardSettings::capVideoSrc, CAPTION_EN_CAPTURE, CAPTION_ZH_CAPTURE},
    {&BoardSettings::contrast, CAPTION_EN_CONTRAST, CAPTION_ZH_CONTRAST},
    {&BoardSettings::light, CAPTION_EN_LIGHT, CAPTION_ZH_LIGHT},
    {&BoardSettings::hue, CAPTION_EN_HUE, CAPTION_ZH_HUE},
    {&BoardSettings::satuation, CAPTION_EN_SATUATION, CAPTION_ZH_SATUATION},
    {&BoardSettings::subcarrierPhase, CAPTION_EN_SUBCARRIER, CAPTION_ZH_SUBCARRIER},
    {&BoardSettings::linePhase, CAPTION_EN_LINE_PHASE, CAPTION_ZH_LINE_PHASE},
    {&BoardSettings::fieldPhase, CAPTION_EN_FIELD_PHASE, CAPTION_ZH_FIELD_PHASE},
    {&BoardSettings::audioVolumn, CAPTION_EN_VOLUME, CAPTION_ZH_VOLUME},
};

// A caption as a label: without its mnemonic ("S&ync Mode" is "Sync Mode",
// "同步模式(&Y)" is "同步模式").
inline std::string CaptionLabel(const char* caption) {
  std::string label;
  for (const char* c = caption; *c; ++c) {
    if (c[0] == '(' && c[1] == '&' && c[2] && c[3] == ')' && !c[4]) break;
    if (*c != '&') label += *c;
  }
  return label;
}
#endif

#endif
