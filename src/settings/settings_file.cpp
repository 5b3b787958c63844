// The settings file where the platform's profile functions are not at hand:
// the same entry, through the same encoding.
#include "setting_table.h"
#include "profile_file.h"

// The file holds the fields as little-endian 32-bit integers, which is how
// every target of this code keeps them in memory.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the settings file is little-endian");

bool LoadSettingsFile(const std::filesystem::path& path, BoardSettings& settings) {
  SetFactorySettings(settings);
  return ReadProfileStruct(path, kSettingsSection, kSettingsKey, &settings, sizeof settings);  // changes nothing when it fails
}

bool SaveSettingsFile(const std::filesystem::path& path, BoardSettings settings, WriteFailure* why) {
  return WriteProfileStruct(path, kSettingsSection, kSettingsKey, &settings, sizeof settings, why);
}
