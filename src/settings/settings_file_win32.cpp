// The settings file on Win32: read through the platform's profile functions
// where they can open the file, written by our own writer (profile_file.h),
// which lays the file out as they do but replaces it in one step.
#include <windows.h>

#include <iterator>
#include <string>
#include <string_view>

#include "setting_table.h"
#include "host_path.h"
#include "profile_file.h"

namespace {

// The hex digits of one record and its checksum.
constexpr DWORD kEntryLength = 2 * sizeof(BoardSettings) + 2;

}  // namespace

bool LoadSettingsFile(const std::filesystem::path& path, BoardSettings& settings) {
  SetFactorySettings(settings);
  // The platform's reader takes in the whole file however large: a file too
  // large to be a settings file is not read at all.
  WIN32_FILE_ATTRIBUTE_DATA file;
  if (GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &file) &&
      (static_cast<unsigned long long>(file.nFileSizeHigh) << 32 | file.nFileSizeLow) > kMaxProfileFileSize)
    return false;
  const std::wstring& wide = path.native();
  // The profile functions fail on paths of MAX_PATH characters or more, even
  // with the \\?\ prefix; our reader of the same files takes those.
  if (wide.size() >= MAX_PATH)
    return ReadProfileStruct(path, kSettingsSection, kSettingsKey, &settings, sizeof settings);  // changes nothing when it fails
  // GetPrivateProfileStruct may judge a longer entry by its first digits
  // alone, and take any letter for a digit, so that a bad entry can pass its
  // checksum: the length and the digits are checked first. It may fill its
  // buffer before it finds a bad checksum, so it gets a record of its own.
  const std::wstring section(std::begin(kSettingsSection), std::end(kSettingsSection) - 1);
  const std::wstring key(std::begin(kSettingsKey), std::end(kSettingsKey) - 1);
  wchar_t entry[kEntryLength + 2];
  if (GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", entry, kEntryLength + 2, wide.c_str()) !=
          kEntryLength ||
      std::wstring_view(entry, kEntryLength).find_first_not_of(L"0123456789ABCDEFabcdef") != std::wstring_view::npos)
    return false;
  BoardSettings fromFile;
  if (!GetPrivateProfileStructW(section.c_str(), key.c_str(), &fromFile, sizeof fromFile, wide.c_str())) return false;
  settings = fromFile;
  return true;
}

bool SaveSettingsFile(const std::filesystem::path& path, BoardSettings settings, WriteFailure* why) {
  return WriteProfileStruct(path, kSettingsSection, kSettingsKey, &settings, sizeof settings, why);
}
