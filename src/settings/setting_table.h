// The board's settings, one row each: the one place that knows a setting's
// device name, its field in the record, its getter and setter, the name a
// person types and reads, and the words for its value codes (or its range).
// Reading and applying a whole record, the configuration dialog, the demo
// host's monitor, korvctl and the simulator all walk these rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "board_settings.h"
#include "korvio.h"

// A value code and the word for it.
struct SettingWord {
  int32_t code;
  const char* word;
};

struct BoardSetting {
  const char* device;  // Orbel_Get<device> and Orbel_Set<device>
  const char* name;    // what a person types and reads: "video-source"
  int32_t BoardSettings::*field;
  int (*get)(int* value, int card);
  int (*set)(int value, int card);  // null: the board reports it, nobody sets it
  int wordCount;                    // 0: a number from min to max
  SettingWord words[5];
  int32_t min;
  int32_t max;
  bool dialogReportsRefusal;  // the dialog says so when the board refuses a value

  // The word for a code, or null.
  const char* WordOf(int32_t code) const {
    for (int i = 0; i < wordCount; ++i)
      if (words[i].code == code) return words[i].word;
    return nullptr;
  }
  // Whether a value may be sent: one of the words' codes, or within range.
  bool Valid(int32_t code) const { return wordCount ? WordOf(code) != nullptr : code >= min && code <= max; }
};

// A setting with words for its codes.
constexpr BoardSetting Choice(const char* device, const char* name, int32_t BoardSettings::*field,
                              int (*get)(int*, int), int (*set)(int, int), bool reportsRefusal, int count,
                              SettingWord w0, SettingWord w1, SettingWord w2 = {}, SettingWord w3 = {},
                              SettingWord w4 = {}) {
  return {device, name, field, get, set, count, {w0, w1, w2, w3, w4}, 0, 0, reportsRefusal};
}
// One of the eight adjustments, 0 to 255.
constexpr BoardSetting Adjustment(const char* device, const char* name, int32_t BoardSettings::*field,
                                  int (*get)(int*, int), int (*set)(int, int)) {
  return {device, name, field, get, set, 0, {}, 0, 255, false};
}

// In the order of the record's fields (the reserved ones have no row).
inline constexpr BoardSetting kBoardSettings[] = {
    Choice("InnerOrExtraSync", "sync-source", &BoardSettings::innerOrExtraSync, Orbel_GetInnerOrExtraSync,
           Orbel_SetInnerOrExtraSync, false, 3, {0, "internal"}, {1, "external"}, {2, "video-input"}),
    // There is no code 4: CVBS2 is 5.
    Choice("CmpsOrSvideo", "video-source", &BoardSettings::cmpsOrSvideo, Orbel_GetCmpsOrSvideo, Orbel_SetCmpsOrSvideo,
           true, 5, {0, "cvbs1"}, {1, "yc"}, {2, "yuv"}, {3, "sdi"}, {5, "cvbs2"}),
    Choice("AudioSrc", "audio-source", &BoardSettings::audioSrc, Orbel_GetAudioSrc, Orbel_SetAudioSrc, false, 2,
           {0, "analog"}, {1, "sdi"}),
    Choice("VideoBlackLevel", "black-level", &BoardSettings::videoBlackLevel, Orbel_GetVideoBlackLevel,
           Orbel_SetVideoBlackLevel, true, 2, {0, "0.0ire"}, {1, "7.5ire"}),
    Choice("TVORVTR", "lock-mode", &BoardSettings::tvOrVtr, Orbel_GetTVORVTR, Orbel_SetTVORVTR, true, 2, {0, "vtr"},
           {1, "tv"}),
    Choice("VideoBypass", "title-mix", &BoardSettings::videoBypass, Orbel_GetVideoBypass, Orbel_SetVideoBypass, true, 2,
           {0, "bypass"}, {1, "graphic"}),
    Choice("VideoMode", "tv-standard", &BoardSettings::videoMode, Orbel_GetVideoMode, Orbel_SetVideoMode, false, 2,
           {0, "ntsc"}, {1, "pal"}),
    Adjustment("Contrast", "contrast", &BoardSettings::contrast, Orbel_GetContrast, Orbel_SetContrast),
    Adjustment("Light", "brightness", &BoardSettings::light, Orbel_GetLight, Orbel_SetLight),
    Adjustment("Hue", "hue", &BoardSettings::hue, Orbel_GetHue, Orbel_SetHue),
    Adjustment("Satuation", "saturation", &BoardSettings::satuation, Orbel_GetSatuation, Orbel_SetSatuation),
    Adjustment("SubcarrierPhase", "subcarrier-phase", &BoardSettings::subcarrierPhase, Orbel_GetSubcarrierPhase,
               Orbel_SetSubcarrierPhase),
    Adjustment("LinePhase", "line-phase", &BoardSettings::linePhase, Orbel_GetLinePhase, Orbel_SetLinePhase),
    Adjustment("FieldPhase", "field-phase", &BoardSettings::fieldPhase, Orbel_GetFieldPhase, Orbel_SetFieldPhase),
    Adjustment("AudioVolumn", "audio-volume", &BoardSettings::audioVolumn, Orbel_GetAudioVolumn, Orbel_SetAudioVolumn),
    Choice("OutVideoSrc", "video-output", &BoardSettings::outVideoSrc, Orbel_GetOutVideoSrc, Orbel_SetOutVideoSrc,
           false, 2, {0, "play"}, {1, "input"}),
    Choice("OutAudioSrc", "audio-output", &BoardSettings::outAudioSrc, Orbel_GetOutAudioSrc, Orbel_SetOutAudioSrc,
           false, 2, {0, "play"}, {1, "input"}),
    Choice("CapVideoSrc", "capture-source", &BoardSettings::capVideoSrc, Orbel_GetCapVideoSrc, Orbel_SetCapVideoSrc,
           false, 2, {1, "input"}, {2, "play"}),
    Choice("SubBoardIfExist", "sdi-sub-board", &BoardSettings::subBoardIfExist, Orbel_GetSubBoardIfExist, nullptr,
           false, 2, {0, "absent"}, {1, "present"}),
    Choice("PlayBufferRepeatMode", "pause-mode", &BoardSettings::playBufferRepeatMode, Orbel_GetPlayBufferRepeatMode,
           Orbel_SetPlayBufferRepeatMode, false, 3, {1, "frame"}, {2, "first-field"}, {3, "second-field"}),
};
inline constexpr size_t kBoardSettingCount = sizeof kBoardSettings / sizeof kBoardSettings[0];

// The order a whole record is read from the board.
inline constexpr int32_t BoardSettings::*kReadOrder[] = {
    &BoardSettings::innerOrExtraSync,
    &BoardSettings::cmpsOrSvideo,
    &BoardSettings::audioSrc,
    &BoardSettings::tvOrVtr,
    &BoardSettings::videoBlackLevel,
    &BoardSettings::videoBypass,
    &BoardSettings::videoMode,
    &BoardSettings::contrast,
    &BoardSettings::light,
    &BoardSettings::hue,
    &BoardSettings::satuation,
    &BoardSettings::subcarrierPhase,
    &BoardSettings::linePhase,
    &BoardSettings::fieldPhase,
    &BoardSettings::audioVolumn,
    &BoardSettings::subBoardIfExist,
    &BoardSettings::outVideoSrc,
    &BoardSettings::outAudioSrc,
    &BoardSettings::capVideoSrc,
    &BoardSettings::playBufferRepeatMode,
};
// The order a whole record (or any set of values) is sent. The sync source
// and the lock mode go last, once the video input and the standard are
// final, so the board locks to what it will actually get.
inline constexpr int32_t BoardSettings::*kApplyOrder[] = {
    &BoardSettings::cmpsOrSvideo,
    &BoardSettings::audioSrc,
    &BoardSettings::videoBlackLevel,
    &BoardSettings::videoBypass,
    &BoardSettings::videoMode,
    &BoardSettings::contrast,
    &BoardSettings::light,
    &BoardSettings::hue,
    &BoardSettings::satuation,
    &BoardSettings::subcarrierPhase,
    &BoardSettings::linePhase,
    &BoardSettings::fieldPhase,
    &BoardSettings::audioVolumn,
    &BoardSettings::outVideoSrc,
    &BoardSettings::outAudioSrc,
    &BoardSettings::capVideoSrc,
    &BoardSettings::playBufferRepeatMode,
    &BoardSettings::innerOrExtraSync,
    &BoardSettings::tvOrVtr,
};

// The row of a field, of a person's name or of a device name; null when none.
constexpr const BoardSetting* SettingOf(int32_t BoardSettings::*field) {
  for (const BoardSetting& s : kBoardSettings)
    if (s.field == field) return &s;
  return nullptr;
}
inline const BoardSetting* SettingNamed(const char* name) {
  for (const BoardSetting& s : kBoardSettings)
    if (std::strcmp(s.name, name) == 0) return &s;
  return nullptr;
}
inline const BoardSetting* SettingOfDevice(const char* device) {
  for (const BoardSetting& s : kBoardSettings)
    if (std::strcmp(s.device, device) == 0) return &s;
  return nullptr;
}

// A value as a person reads it: "sdi (3)" for a code with a word, the number
// alone otherwise.
std::string ValueText(const BoardSetting& setting, int32_t value);
