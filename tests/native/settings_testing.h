// Shared by the settings tests: the device calls of the whole-record
// operations in their order, each with the index of its field in
// BoardSettings, and records as lists of fields.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "board_settings.h"

using CallTable = std::vector<std::pair<std::string, int>>;

inline const CallTable kGetters = {{"Orbel_GetInnerOrExtraSync", 0}, {"Orbel_GetCmpsOrSvideo", 1},
                                   {"Orbel_GetAudioSrc", 2},         {"Orbel_GetTVORVTR", 5},
                                   {"Orbel_GetVideoBlackLevel", 4},  {"Orbel_GetVideoBypass", 6},
                                   {"Orbel_GetVideoMode", 8},        {"Orbel_GetContrast", 9},
                                   {"Orbel_GetLight", 10},           {"Orbel_GetHue", 11},
                                   {"Orbel_GetSatuation", 12},       {"Orbel_GetSubcarrierPhase", 13},
                                   {"Orbel_GetLinePhase", 14},       {"Orbel_GetFieldPhase", 15},
                                   {"Orbel_GetAudioVolumn", 16},     {"Orbel_GetSubBoardIfExist", 20},
                                   {"Orbel_GetOutVideoSrc", 17},     {"Orbel_GetOutAudioSrc", 18},
                                   {"Orbel_GetCapVideoSrc", 19},     {"Orbel_GetPlayBufferRepeatMode", 21}};

inline const CallTable kSetters = {{"Orbel_SetCmpsOrSvideo", 1},
                                   {"Orbel_SetAudioSrc", 2},
                                   {"Orbel_SetVideoBlackLevel", 4},
                                   {"Orbel_SetVideoBypass", 6},
                                   {"Orbel_SetVideoMode", 8},
                                   {"Orbel_SetContrast", 9},
                                   {"Orbel_SetLight", 10},
                                   {"Orbel_SetHue", 11},
                                   {"Orbel_SetSatuation", 12},
                                   {"Orbel_SetSubcarrierPhase", 13},
                                   {"Orbel_SetLinePhase", 14},
                                   {"Orbel_SetFieldPhase", 15},
                                   {"Orbel_SetAudioVolumn", 16},
                                   {"Orbel_SetOutVideoSrc", 17},
                                   {"Orbel_SetOutAudioSrc", 18},
                                   {"Orbel_SetCapVideoSrc", 19},
                                   {"Orbel_SetPlayBufferRepeatMode", 21},
                                   {"Orbel_SetInnerOrExtraSync", 0},
                                   {"Orbel_SetTVORVTR", 5}};

// The 22 fields in file order, so that a mismatch names the field's index.
inline std::vector<int32_t> Fields(const BoardSettings& s) {
  std::vector<int32_t> f(22);
  std::memcpy(f.data(), &s, sizeof s);
  return f;
}

inline BoardSettings FromFields(const std::vector<int32_t>& f) {
  BoardSettings s;
  std::memcpy(static_cast<void*>(&s), f.data(), sizeof s);
  return s;
}

// 22 different values, negative ones among them, that use all four bytes.
inline std::vector<int32_t> SomeValues() {
  std::vector<int32_t> v(22);
  for (int i = 0; i < 22; ++i) v[i] = (i * 0x01030507) ^ (i % 3 ? 0 : -1);
  return v;
}

inline BoardSettings Factory() {
  BoardSettings s;
  SetFactorySettings(s);
  return s;
}

inline std::vector<std::string> Names(const CallTable& table) {
  std::vector<std::string> names;
  for (const auto& entry : table) names.push_back(entry.first);
  return names;
}
