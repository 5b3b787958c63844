#include "wanted_settings.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "file_store.h"
#include "json.h"
#include "korv_report.h"
#include "profile_file.h"

namespace {

using Type = JsonValue::Type;

std::string At(const JsonValue& value) { return "line " + std::to_string(value.line) + ": "; }

// A value code: an optional minus and decimal digits, within 32 bits.
std::optional<int32_t> Code(const std::string& text) {
  const size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() <= digits || text.size() > digits + 10 ||
      text.find_first_not_of("0123456789", digits) != std::string::npos)
    return std::nullopt;
  const long long value = std::stoll(text);
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return int32_t(value);
}

std::optional<int32_t> WordCode(const BoardSetting& s, const std::string& text) {
  for (int w = 0; w < s.wordCount; ++w) {
    const char* word = s.words[w].word;
    bool same = std::strlen(word) == text.size();
    for (size_t i = 0; same && i < text.size(); ++i)
      same = std::tolower(static_cast<unsigned char>(word[i])) == std::tolower(static_cast<unsigned char>(text[i]));
    if (same) return s.words[w].code;
  }
  return std::nullopt;
}

std::string Shortened(const std::string& text) { return text.size() > 24 ? text.substr(0, 20) + "..." : text; }

// One setting of a JSON file: {"code": 5, "word": "cvbs2"} as show --json
// prints it (either may be null, not both), or the code or the word alone.
bool ReadValue(const BoardSetting& s, const JsonValue& entry, std::optional<int32_t>& value, std::string& problem) {
  const JsonValue *code = entry.Is(Type::Number) ? &entry : nullptr, *word = entry.Is(Type::String) ? &entry : nullptr;
  const std::string is = At(entry) + s.name + " is ";
  if (entry.Is(Type::Object)) {
    for (const auto& [key, member] : entry.members) {
      const bool null = member.Is(Type::Null);
      if (key == "code" && (null || member.Is(Type::Number)))
        code = null ? nullptr : &member;
      else if (key == "word" && (null || member.Is(Type::String)))
        word = null ? nullptr : &member;
      else {
        problem = At(member) + s.name + " has \"" + key + "\" as " + JsonTypeName(member.type) +
                  "; a setting has a code (a number) and a word (a string)";
        return false;
      }
    }
  } else if (!code && !word) {
    problem = is + JsonTypeName(entry.type) + ", not a code, a word or {\"code\": ..., \"word\": ...}";
    return false;
  }
  const std::optional<int32_t> byCode = code ? Code(code->text) : std::nullopt;
  const std::optional<int32_t> byWord = word ? WordCode(s, word->text) : std::nullopt;
  if ((code && !(byCode && s.Valid(*byCode))) || (word && !byWord) || (!code && !word)) {
    const std::string given = code && !(byCode && s.Valid(*byCode)) ? Shortened(code->text)
                              : word                                 ? "\"" + Shortened(word->text) + "\""
                                                                     : "given no code or word";
    problem = is + given + ", which is no value of it; it takes " + SettingChoices(s);
    return false;
  }
  if (byCode && byWord && *byCode != *byWord) {
    problem = is + "code " + std::to_string(*byCode) + " with the word \"" + word->text + "\", which is code " +
              std::to_string(*byWord);
    return false;
  }
  value = byCode ? byCode : byWord;
  return true;
}

bool ReadJson(const std::string& text, WantedSettings& wanted, std::string& problem) {
  const std::optional<JsonValue> document = ParseJson(text, problem);
  if (!document) return false;
  const JsonValue* settings = document->Find("settings");
  if (!document->Is(Type::Object) || !settings || !settings->Is(Type::Object)) {
    problem = At(*document) + "no \"settings\" object: not in the shape korvctl show --json prints";
    return false;
  }
  for (const auto& [key, member] : document->members)
    if (key != "settings" && !(key == "board" && member.Int32())) {
      problem = At(member) + "\"" + key + "\" is no part of a settings file; it holds \"settings\" (and \"board\")";
      return false;
    }
  bool any = false;
  for (const auto& [name, entry] : settings->members) {
    const BoardSetting* s = SettingNamed(name.c_str());
    if (!s) {
      problem = At(entry) + "unknown setting \"" + Shortened(name) + "\"";
      return false;
    }
    std::optional<int32_t> value;
    if (!ReadValue(*s, entry, value, problem)) return false;
    // What the board only reports (the sub-board) is shown, never sent.
    if (!s->set) continue;
    wanted.values[s - kBoardSettings] = value;
    any = true;
  }
  if (!any) problem = At(*settings) + "the file names no setting that can be set";
  return any;
}

}  // namespace

WantedSettings WantedRecord(const BoardSettings& record) {
  WantedSettings wanted;
  for (size_t i = 0; i < kBoardSettingCount; ++i)
    if (kBoardSettings[i].set) wanted.values[i] = record.*kBoardSettings[i].field;
  return wanted;
}

std::string SettingChoices(const BoardSetting& s) {
  if (!s.wordCount) return "a number from " + std::to_string(s.min) + " to " + std::to_string(s.max);
  std::string text;
  for (int i = 0; i < s.wordCount; ++i)
    text += (i ? ", " : "") + std::string(s.words[i].word) + " (" + std::to_string(s.words[i].code) + ")";
  return text;
}

std::optional<int32_t> SettingValue(const BoardSetting& s, const std::string& text) {
  if (const std::optional<int32_t> code = WordCode(s, text)) return code;
  const std::optional<int32_t> code = Code(text);
  return code && s.Valid(*code) ? code : std::nullopt;
}

bool ReadWantedSettings(const std::filesystem::path& path, WantedSettings& wanted, std::string& problem) {
  const std::optional<unsigned long long> size = FileSize(path);
  std::string text;
  if (!size) {
    problem = "there is no such file";
    return false;
  }
  if (*size > kMaxProfileFileSize) {
    problem = "holds " + std::to_string(*size) + " bytes; a settings file holds at most 1 MiB";
    return false;
  }
  if (!ReadWholeFile(path, kMaxProfileFileSize, text)) {
    problem = "cannot be read";
    return false;
  }
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && text[first] == '{') return ReadJson(text, wanted, problem);
  // Otherwise a Board.ini, read as the module reads it.
  const std::optional<std::string> raw = ProfileValue(text, kSettingsSection, kSettingsKey);
  BoardSettings record;
  if (!raw || !DecodeProfileStruct(*raw, &record, sizeof record)) {
    problem = "is neither JSON nor a Board.ini with a record: " + WhyNoRecord(size, raw, true);
    return false;
  }
  wanted = WantedRecord(record);
  return true;
}
