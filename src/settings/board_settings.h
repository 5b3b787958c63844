// The board settings record and the settings file that holds the user's
// defaults; the settings themselves, their factory values and moving a whole
// record to and from a board are in setting_table.h.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One complete set of board settings. The order of the fields is the order
// of the 88 bytes in the settings file, so it must never change.
struct BoardSettings {
  int32_t innerOrExtraSync = 0;  // sync source: 0 internal, 1 external, 2 from the video input
  int32_t cmpsOrSvideo = 0;      // video input: 0 CVBS1, 1 YC, 2 YUV, 3 SDI, 5 CVBS2
  int32_t audioSrc = 0;          // audio input: 0 analog, 1 embedded in SDI
  int32_t reserved3 = 0;         // no device setting; carried unchanged
  int32_t videoBlackLevel = 0;   // 0 is 0.0 IRE, 1 is 7.5 IRE
  int32_t tvOrVtr = 0;           // lock mode: 0 VTR, 1 TV
  int32_t videoBypass = 0;       // title mix: 0 bypass, 1 graphic over video
  int32_t reserved7 = 0;         // no device setting; carried unchanged
  int32_t videoMode = 0;         // TV standard: 0 NTSC, 1 PAL
  int32_t contrast = 0;          // the eight adjustments: 0 to 255 on the sliders
  int32_t light = 0;
  int32_t hue = 0;
  int32_t satuation = 0;
  int32_t subcarrierPhase = 0;
  int32_t linePhase = 0;
  int32_t fieldPhase = 0;
  int32_t audioVolumn = 0;
  int32_t outVideoSrc = 0;           // video output: 0 play video, 1 input video
  int32_t outAudioSrc = 0;           // audio output: 0 play audio, 1 input audio
  int32_t capVideoSrc = 0;           // capture: 1 input video, 2 play video
  int32_t subBoardIfExist = 0;       // nonzero when the SDI sub-board is present; read, never applied
  int32_t playBufferRepeatMode = 0;  // while play is paused: 1 frame, 2 first field, 3 second field
};
static_assert(sizeof(BoardSettings) == 88, "the settings file holds exactly 88 bytes");

// The factory values (SetFactorySettings in setting_table.h).
BoardSettings FactoryRecord();

// The settings file: one record as key "Param" of section "BOARD" of an INI
// file (docs/board-ini.md). Saving tells whether the record reached the
// file, so that the caller can warn the user who would otherwise lose their
// defaults.
constexpr char kSettingsSection[] = "BOARD";
constexpr char kSettingsKey[] = "Param";

struct BoardSetting;
enum class FileFailure;

// What a settings file gives: no file (never saved: the factory values), a
// record, or a file that exists but gives none, which is told, never taken
// for the factory values.
enum class SettingsFileState { kMissing, kRecord, kUnreadable };
// Why a file that exists gives no record, for the dialog's texts.
enum class SettingsFileProblem {
  kNone,
  kNotAFile,   // a folder, a device, a pipe
  kTooLarge,   // above 1 MiB
  kCannotRead, // the system refused (access, sharing...): failure says which
  kNotText,    // UTF-16 of an odd number of bytes
  kNoRecord,   // empty, or no key Param in section [BOARD]
  kBadRecord,  // Param of another length, with other characters or a wrong checksum
};
struct SettingsFileReading {
  SettingsFileState state = SettingsFileState::kMissing;
  BoardSettings record = FactoryRecord();  // the file's record; the factory values where it gives none
  std::optional<std::string> raw;          // Param's value as the file holds it
  SettingsFileProblem problem = SettingsFileProblem::kNone;
  FileFailure failure{};                   // with kCannotRead: why the system refused
  std::string why;                         // the problem in English words, for korvctl and the report
  // With a record: the settable settings whose value the settings table
  // does not take (setting_table.h), which are never sent.
  std::vector<const BoardSetting*> outOfRange;
};
// Reads the file once. Each encoding has one answer (docs/board-ini.md):
// ANSI or UTF-8 text, with or without a byte-order mark, and UTF-16 with its
// mark are read as text; the first section "BOARD" and its first key
// "Param" count; a NUL byte ends a name or a value; a file above 1 MiB, a
// folder, a device or a pipe is not read.
SettingsFileReading ReadSettingsFile(const std::filesystem::path& path);
// The same from the text of a file already read and decoded (ReadProfileText
// in profile_file.h), for a reader that takes JSON as well.
SettingsFileReading ReadSettingsText(std::string_view text);
// The record of ReadSettingsFile into settings; whether the file gave one.
bool LoadSettingsFile(const std::filesystem::path& path, BoardSettings& settings);
// `why`, when given, gets the reason of a failed save (file_store.h).
bool SaveSettingsFile(const std::filesystem::path& path, BoardSettings settings, FileFailure* why = nullptr);
