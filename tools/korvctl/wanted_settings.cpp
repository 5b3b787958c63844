#include "wanted_settings.h"

#include <climits>

#include "file_store.h"
#include "json.h"
#include "profile_file.h"
#include "text_encoding.h"

namespace {

using Type = JsonValue::Type;

bool ReadJson(const std::string& text, WantedSettings& wanted, std::string& problem) {
  const std::optional<JsonValue> document = ParseJson(text, problem);
  if (!document) return false;
  const JsonValue* settings = document->Find("settings");
  if (!document->Is(Type::Object) || !settings || !settings->Is(Type::Object)) {
    problem = JsonAt(*document) + "no \"settings\" object: not in the shape korvctl show --json prints";
    return false;
  }
  for (const auto& [key, member] : document->members)
    if (key != "settings" && !(key == "board" && member.Int32())) {
      problem = JsonAt(member) + "\"" + ShortenedText(key) +
                "\" is no part of a settings file; it holds \"settings\" (and \"board\")";
      return false;
    }
  bool any = false;
  for (const auto& [name, entry] : settings->members) {
    const BoardSetting* s = SettingNamed(name.c_str());
    if (!s) {
      problem = JsonAt(entry) + "unknown setting \"" + ShortenedText(name) + "\"";
      return false;
    }
    std::optional<int32_t> value;
    if (!ReadSettingValue(*s, entry, value, problem)) return false;
    if (!value) {
      problem = JsonAt(entry) + s->name + " is given no code or word";
      return false;
    }
    // What the board only reports (the sub-board) is shown, never sent.
    if (!s->set) continue;
    wanted.values[s - kBoardSettings] = value;
    any = true;
  }
  if (!any) problem = JsonAt(*settings) + "the file names no setting that can be set";
  return any;
}

}  // namespace

WantedSettings WantedRecord(const BoardSettings& record) {
  WantedSettings wanted;
  for (size_t i = 0; i < kBoardSettingCount; ++i)
    if (kBoardSettings[i].set) wanted.values[i] = record.*kBoardSettings[i].field;
  return wanted;
}

std::optional<int32_t> SettingValue(const BoardSetting& s, const std::string& text) {
  if (const std::optional<int32_t> code = WordCode(s, text)) return code;
  // A code: an optional minus and decimal digits, within 32 bits.
  const size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() <= digits || text.size() > digits + 10 ||
      text.find_first_not_of("0123456789", digits) != std::string::npos)
    return std::nullopt;
  const long long code = std::stoll(text);
  return code >= INT32_MIN && code <= INT32_MAX && s.Valid(int32_t(code)) ? std::optional<int32_t>(int32_t(code))
                                                                          : std::nullopt;
}

std::optional<std::string> NothingToSend(const SettingsFileReading& reading) {
  if (reading.state == SettingsFileState::kUnreadable) return reading.why;
  if (reading.outOfRange.empty()) return std::nullopt;
  std::string problem = "holds values the settings do not take:";
  for (const BoardSetting* s : reading.outOfRange)
    problem += std::string(s == reading.outOfRange.front() ? " " : ", ") + s->name + " = " +
               std::to_string(reading.record.*s->field);
  return problem;
}

bool ReadWantedSettings(const std::filesystem::path& path, WantedSettings& wanted, std::string& problem) {
  std::string text;
  TextEncoding encoding = TextEncoding::kPlain;
  switch (const FileFailure failure = ReadProfileText(path, text, &encoding)) {
    case FileFailure::kNone: break;
    case FileFailure::kNotFound: problem = "there is no such file"; return false;
    case FileFailure::kTooLarge:
      problem = "holds " + std::to_string(FileSize(path).value_or(0)) + " bytes; a settings file holds at most 1 MiB";
      return false;
    case FileFailure::kOther:
      if (encoding == TextEncoding::kUtf16Le || encoding == TextEncoding::kUtf16Be) {
        problem = std::string("is ") + TextEncodingName(encoding) + " but of an odd number of bytes, so no text";
        return false;
      }
      [[fallthrough]];
    default: problem = std::string("cannot be read: ") + FileFailureText(failure); return false;
  }
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && text[first] == '{') return ReadJson(text, wanted, problem);
  // Otherwise a Board.ini, read as the module reads it.
  const SettingsFileReading reading = ReadSettingsText(text);
  if (reading.state != SettingsFileState::kRecord) {
    problem = "is neither JSON nor a Board.ini with a record: " + reading.why;
    if (encoding != TextEncoding::kPlain) problem += std::string(" (the file is ") + TextEncodingName(encoding) + ")";
    return false;
  }
  if (const std::optional<std::string> nothing = NothingToSend(reading)) {
    problem = *nothing;
    return false;
  }
  wanted = WantedRecord(reading.record);
  return true;
}
