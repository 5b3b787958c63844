// The settings file: one reader and one writer for every caller (the
// dialog, korvctl's defaults, apply, profiles and report), on every
// platform, through profile_file.h.
#include <algorithm>

#include "file_store.h"
#include "profile_file.h"
#include "setting_table.h"
#include "text_encoding.h"

// The file holds the fields as little-endian 32-bit integers, which is how
// every target of this code keeps them in memory.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the settings file is little-endian");

namespace {

constexpr size_t kEntryDigits = 2 * sizeof(BoardSettings) + 2;

SettingsFileReading Unreadable(SettingsFileProblem problem, std::string why, FileFailure failure = FileFailure::kNone) {
  SettingsFileReading reading;
  reading.state = SettingsFileState::kUnreadable;
  reading.problem = problem;
  reading.failure = failure;
  reading.why = std::move(why);
  return reading;
}

}  // namespace

SettingsFileReading ReadSettingsText(std::string_view text) {
  SettingsFileReading reading;
  const std::optional<std::string> raw = ProfileValue(text, kSettingsSection, kSettingsKey);
  BoardSettings record;
  if (raw && DecodeProfileStruct(*raw, &record, sizeof record)) {
    reading.state = SettingsFileState::kRecord;
    reading.record = record;
    reading.raw = raw;
    reading.outOfRange = SettingsOutOfRange(record);
    return reading;
  }
  if (!raw) {
    if (text.empty()) return Unreadable(SettingsFileProblem::kNoRecord, "the file is empty");
    if (text.find('\0') != std::string::npos)
      return Unreadable(SettingsFileProblem::kNoRecord,
                        LooksLikeUtf16(text) ? "UTF-16 text without a byte-order mark, which is not read as text"
                                             : "holds NUL bytes and no key Param in section [BOARD]");
    return Unreadable(SettingsFileProblem::kNoRecord, "no key Param in section [BOARD]");
  }
  SettingsFileReading bad = Unreadable(SettingsFileProblem::kBadRecord, "");
  bad.raw = raw;
  if (raw->size() != kEntryDigits)
    bad.why = "Param holds " + std::to_string(raw->size()) + " characters, not the " + std::to_string(kEntryDigits) +
              " hex digits of a record";
  else if (raw->find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
    bad.why = "Param holds characters that are not hex digits";
  else
    bad.why = "Param's checksum does not match its record";
  return bad;
}

SettingsFileReading ReadSettingsFile(const std::filesystem::path& path) {
  std::string text;
  TextEncoding encoding = TextEncoding::kPlain;
  const FileFailure failure = ReadProfileText(path, text, &encoding);
  switch (failure) {
    case FileFailure::kNone: break;
    case FileFailure::kNotFound: return SettingsFileReading();  // never saved: the factory values
    case FileFailure::kNotAFile:
      return Unreadable(SettingsFileProblem::kNotAFile, "is a folder, a device or a pipe, not a file", failure);
    case FileFailure::kTooLarge:
      return Unreadable(SettingsFileProblem::kTooLarge, "larger than 1 MiB, so not a settings file", failure);
    case FileFailure::kOther:
      // What ReadProfileText cannot take as text: UTF-16 of an odd length.
      if (encoding == TextEncoding::kUtf16Le || encoding == TextEncoding::kUtf16Be)
        return Unreadable(SettingsFileProblem::kNotText, "UTF-16 text of an odd number of bytes, so no text", failure);
      [[fallthrough]];
    default: return Unreadable(SettingsFileProblem::kCannotRead, std::string("cannot be read: ") + FileFailureText(failure), failure);
  }
  return ReadSettingsText(text);
}

bool LoadSettingsFile(const std::filesystem::path& path, BoardSettings& settings) {
  const SettingsFileReading reading = ReadSettingsFile(path);
  settings = reading.record;
  return reading.state == SettingsFileState::kRecord;
}

bool SaveSettingsFile(const std::filesystem::path& path, BoardSettings settings, FileFailure* why) {
  return WriteProfileStruct(path, kSettingsSection, kSettingsKey, &settings, sizeof settings, why);
}
