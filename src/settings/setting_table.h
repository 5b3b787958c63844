// The board's settings, one row each: the one place that knows a setting's
// device name, its field in the record, its getter and setter, the name a
// person types and reads, and the words for its value codes (or its range).
// Reading and applying a whole record (setting_table.cpp), the factory
// values, the configuration dialog, the demo host's monitor, korvctl and the
// simulator all walk these rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

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
  int32_t factory;                  // the built-in default
  int wordCount;                    // 0: a number from min to max
  SettingWord words[5];
  int32_t min;
  int32_t max;
  bool goesLast;  // sent after every other setting

  // The word for a code, or null.
  const char* WordOf(int32_t code) const {
    for (int i = 0; i < wordCount; ++i)
      if (words[i].code == code) return words[i].word;
    return nullptr;
  }
  // Whether a value may be sent: one of the words' codes, or within range.
  bool Valid(int32_t code) const { return wordCount ? WordOf(code) != nullptr : code >= min && code <= max; }
};

// Whether a choice is sent in the table's order or after every other.
enum class Send { InOrder, Last };

// A setting with words for its codes, as many as the row gives.
template <size_t N>
constexpr BoardSetting Choice(const char* device, const char* name, int32_t BoardSettings::*field,
                              int (*get)(int*, int), int (*set)(int, int), Send send, int32_t factory,
                              const SettingWord (&words)[N]) {
  static_assert(N >= 2 && N <= 5, "a choice has two to five words");
  BoardSetting setting{device, name, field, get, set, factory, int(N), {}, 0, 0, send == Send::Last};
  for (size_t i = 0; i < N; ++i) setting.words[i] = words[i];
  return setting;
}
// One of the eight adjustments, 0 to 255.
constexpr BoardSetting Adjustment(const char* device, const char* name, int32_t BoardSettings::*field,
                                  int (*get)(int*, int), int (*set)(int, int), int32_t factory) {
  return {device, name, field, get, set, factory, 0, {}, 0, 255, false};
}

// In the order a whole record is read from the board; sent in the same
// order, but that the sync source and the lock mode go last, once the video
// input and the standard are final, so the board locks to what it will
// actually get. The reserved fields have no row.
inline constexpr BoardSetting kBoardSettings[] = {
    Choice("InnerOrExtraSync", "sync-source", &BoardSettings::innerOrExtraSync, Orbel_GetInnerOrExtraSync,
           Orbel_SetInnerOrExtraSync, Send::Last, 2, {{0, "internal"}, {1, "external"}, {2, "video-input"}}),
    // There is no code 4: CVBS2 is 5.
    Choice("CmpsOrSvideo", "video-source", &BoardSettings::cmpsOrSvideo, Orbel_GetCmpsOrSvideo, Orbel_SetCmpsOrSvideo,
           Send::InOrder, 0, {{0, "cvbs1"}, {1, "yc"}, {2, "yuv"}, {3, "sdi"}, {5, "cvbs2"}}),
    Choice("AudioSrc", "audio-source", &BoardSettings::audioSrc, Orbel_GetAudioSrc, Orbel_SetAudioSrc, Send::InOrder, 0,
           {{0, "analog"}, {1, "sdi"}}),
    Choice("TVORVTR", "lock-mode", &BoardSettings::tvOrVtr, Orbel_GetTVORVTR, Orbel_SetTVORVTR, Send::Last, 0,
           {{0, "vtr"}, {1, "tv"}}),
    Choice("VideoBlackLevel", "black-level", &BoardSettings::videoBlackLevel, Orbel_GetVideoBlackLevel,
           Orbel_SetVideoBlackLevel, Send::InOrder, 0, {{0, "0.0ire"}, {1, "7.5ire"}}),
    Choice("VideoBypass", "title-mix", &BoardSettings::videoBypass, Orbel_GetVideoBypass, Orbel_SetVideoBypass,
           Send::InOrder, 1, {{0, "bypass"}, {1, "graphic"}}),
    Choice("VideoMode", "tv-standard", &BoardSettings::videoMode, Orbel_GetVideoMode, Orbel_SetVideoMode, Send::InOrder,
           1, {{0, "ntsc"}, {1, "pal"}}),
    Adjustment("Contrast", "contrast", &BoardSettings::contrast, Orbel_GetContrast, Orbel_SetContrast, 128),
    Adjustment("Light", "brightness", &BoardSettings::light, Orbel_GetLight, Orbel_SetLight, 128),
    Adjustment("Hue", "hue", &BoardSettings::hue, Orbel_GetHue, Orbel_SetHue, 128),
    Adjustment("Satuation", "saturation", &BoardSettings::satuation, Orbel_GetSatuation, Orbel_SetSatuation, 128),
    Adjustment("SubcarrierPhase", "subcarrier-phase", &BoardSettings::subcarrierPhase, Orbel_GetSubcarrierPhase,
               Orbel_SetSubcarrierPhase, 0),
    Adjustment("LinePhase", "line-phase", &BoardSettings::linePhase, Orbel_GetLinePhase, Orbel_SetLinePhase, 0),
    Adjustment("FieldPhase", "field-phase", &BoardSettings::fieldPhase, Orbel_GetFieldPhase, Orbel_SetFieldPhase, 128),
    Adjustment("AudioVolumn", "audio-volume", &BoardSettings::audioVolumn, Orbel_GetAudioVolumn, Orbel_SetAudioVolumn,
               128),
    Choice("SubBoardIfExist", "sdi-sub-board", &BoardSettings::subBoardIfExist, Orbel_GetSubBoardIfExist, nullptr,
           Send::InOrder, 0, {{0, "absent"}, {1, "present"}}),
    Choice("OutVideoSrc", "video-output", &BoardSettings::outVideoSrc, Orbel_GetOutVideoSrc, Orbel_SetOutVideoSrc,
           Send::InOrder, 0, {{0, "play"}, {1, "input"}}),
    Choice("OutAudioSrc", "audio-output", &BoardSettings::outAudioSrc, Orbel_GetOutAudioSrc, Orbel_SetOutAudioSrc,
           Send::InOrder, 0, {{0, "play"}, {1, "input"}}),
    Choice("CapVideoSrc", "capture-source", &BoardSettings::capVideoSrc, Orbel_GetCapVideoSrc, Orbel_SetCapVideoSrc,
           Send::InOrder, 1, {{1, "input"}, {2, "play"}}),
    Choice("PlayBufferRepeatMode", "pause-mode", &BoardSettings::playBufferRepeatMode, Orbel_GetPlayBufferRepeatMode,
           Orbel_SetPlayBufferRepeatMode, Send::InOrder, 2, {{1, "frame"}, {2, "first-field"}, {3, "second-field"}}),
};
inline constexpr size_t kBoardSettingCount = sizeof kBoardSettings / sizeof kBoardSettings[0];

// The settable rows in the order they are sent: the table's, but that those
// marked goesLast follow the others.
const std::vector<const BoardSetting*>& ApplyOrder();

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

// The factory values: every row's, and 1 in reserved7 (which has no row),
// as the first release wrote them.
void SetFactorySettings(BoardSettings& settings);

// The settable rows whose value in a record the table does not take (a
// code without a word, a number beyond the range), in the table's order.
// What may be sent to a board is what the table takes, whatever the
// record's source: such a record is refused whole, and nothing is sent.
std::vector<const BoardSetting*> SettingsOutOfRange(const BoardSettings& settings);

// The board's current settings, every getter in the table's order. The
// record is zeroed first, so a getter that stores nothing leaves 0;
// reserved3 and reserved7 are never read. Gives the rows whose getter
// failed, in the table's order.
std::vector<const BoardSetting*> ReadAllSettings(int board, BoardSettings& settings);
// Sends every setting the board can change in the apply order, without
// checks, whatever the board answers. subBoardIfExist and the reserved
// fields are not sent. Gives the settings the board refused, in the order
// they were sent.
std::vector<const BoardSetting*> ApplyAllSettings(int board, BoardSettings settings);
