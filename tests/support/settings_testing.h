// Shared by the settings tests: the device calls of the whole-record
// operations in their order, each with the index of its field in
// BoardSettings, the record's place in the settings file, and records as
// lists of fields.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "board_settings.h"
#include "profile_file.h"

using CallTable = std::vector<std::pair<std::string, int>>;

// Where the settings file holds the record, as the platform's profile
// functions are told it.
constexpr char kFileSection[] = "BOARD";
constexpr char kFileKey[] = "Param";

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

// The factory record, field by field, as docs/board-ini.md prints it.
inline BoardSettings Factory() {
  return FromFields({2, 0, 0, 0, 0, 0, 1, 1, 1, 128, 128, 128, 128, 0, 0, 128, 128, 0, 0, 1, 0, 2});
}

// Entries of Param written out by hand: the factory record (its byte sum
// 776, modulo 256, is 08), and the same with video source 4, contrast
// 2147483647 and brightness -1 (84), which the settings table does not take.
inline const std::string kFactoryEntry =
    "0200000000000000000000000000000000000000000000000100000001000000010000008000000080000000800000008000000000"
    "000000000000008000000080000000000000000000000001000000000000000200000008";
// SomeValues() as an entry, written out by hand (byte sum modulo 256: D0).
inline const std::string kSomeValuesEntry =
    "FFFFFFFF070503010E0A0602EAF0F6FC1C140C0423190F05D5E1EDF93123150738281808C0D2E4F646321E0A4D37210BABC3DBF35B"
    "41270D62462A0E96B4D2F0705030107755331181A5C9ED855F39138C643C146C96C0EAD0";
inline const std::string kOutOfRangeEntry =
    "020000000400000000000000000000000000000000000000010000000100000001000000FFFFFF7FFFFFFFFF80000000800000000000"
    "0000000000008000000080000000000000000000000001000000000000000200000084";

// Settings files that hold no valid record: missing sections and keys,
// entries of other lengths, bad digits and checksums, a very long line, a
// file too large for a settings file, UTF-16, binary noise.
inline std::vector<std::string> HostileBoardInis() {
  const std::string good = kSomeValuesEntry;
  const std::vector<int32_t> longer(23, 0x01010101);
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 7919 >> 3);
  const std::string badSum = good.substr(0, 177) + (good[177] == '0' ? "1" : "0");
  return {"",
          "[BOARD]\r\n",
          "[Other]\r\nParam=" + good,
          "[BOARD]\r\nParam\r\n",
          "Param=" + good,
          "[BOARD]\r\nParam=" + badSum,
          "[BOARD]\r\nParam=" + EncodeProfileStruct(longer.data(), 92),  // a larger record
          "[BOARD]\r\nParam=" + EncodeProfileStruct(longer.data(), 87),  // a smaller one
          "[BOARD]\r\nParam=" + good + "0",
          "[BOARD]\r\nParam=" + good.substr(1),  // odd digit counts
          "[BOARD]\r\nParam=" + good.substr(0, 100) + "xy" + good.substr(102),
          "[BOARD]\r\nParam=" + good + std::string(200000, '0'),
          "[BOARD]\r\nParam=" + good + "\r\n" + std::string(1 << 20, ';'),
          binary};
}

// INI texts of many shapes (comments, blank lines, spaces, other sections,
// names in other cases, lines without '=', duplicate sections, a UTF-8 BOM,
// CR alone, ^Z, NUL bytes): from each, saved by us, the platform must read
// what it reads when it saved the file itself.
inline std::vector<std::string> IniShapes() {
  const std::string entry = kSomeValuesEntry;
  return {"",
          "[Other]\r\na=1",
          "; mine\n\n[Other]\n  a  =  1  \nnoequal\n\n[board]\nX=1\nPARAM = 00\nY=2\n",
          "\xEF\xBB\xBF[Other]\r\na=1\r\n",
          "[BOARD]\r\nParam=1\r\n[BOARD]\r\nParam=2\r\n",
          "[ BOARD ] ; c\r\n",
          "[Other]\ra=1\r[BOARD]\rParam\rb=2\r",
          "x=1\r\n[]\r\n=5\r\n=6\r\ny\r\n=7\r\n[BOARD\r\n\t[[BOARD]]\x1A\r\n",
          "[BOARD]\r\n;Param=00\r\nPar am=00\r\n",
          "[Other]\r\na=1\0b\r\nc=\"  x  \"\r\n" + std::string(1, '\0'),
          "[Other]\r\n\r\n  a = 1\r\n[BOARD]\r\n  Param =  " + entry + "  \r\n"};
}

inline std::vector<std::string> Names(const CallTable& table) {
  std::vector<std::string> names;
  for (const auto& entry : table) names.push_back(entry.first);
  return names;
}
