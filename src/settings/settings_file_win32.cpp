// The settings file through the platform's profile functions.
#include <windows.h>

#include "board_settings.h"

namespace {

const char kSection[] = "BOARD";
const char kKey[] = "Param";
// The hex digits of one record and its checksum.
constexpr DWORD kEntryLength = 2 * sizeof(BoardSettings) + 2;

}  // namespace

void LoadSettingsFile(const std::string& path, BoardSettings& settings) {
  SetFactorySettings(settings);
  // GetPrivateProfileStructA may judge a longer entry by its first digits
  // alone, so the length is checked first; and it may fill its buffer before
  // it finds a bad digit or checksum, so it gets a record of its own.
  char entry[kEntryLength + 2];
  if (GetPrivateProfileStringA(kSection, kKey, "", entry, sizeof entry, path.c_str()) != kEntryLength) return;
  BoardSettings fromFile;
  if (GetPrivateProfileStructA(kSection, kKey, &fromFile, sizeof fromFile, path.c_str())) settings = fromFile;
}

bool SaveSettingsFile(const std::string& path, BoardSettings settings) {
  return WritePrivateProfileStructA(kSection, kKey, &settings, sizeof settings, path.c_str()) != 0;
}
