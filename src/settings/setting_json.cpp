#include "setting_json.h"

#include <cctype>
#include <cstring>

namespace {

using Type = JsonValue::Type;

}  // namespace

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

std::string SettingChoices(const BoardSetting& s) {
  if (!s.wordCount) return "a number from " + std::to_string(s.min) + " to " + std::to_string(s.max);
  std::string text;
  for (int i = 0; i < s.wordCount; ++i)
    text += (i ? ", " : "") + std::string(s.words[i].word) + " (" + std::to_string(s.words[i].code) + ")";
  return text;
}

bool ReadSettingValue(const BoardSetting& s, const JsonValue& entry, std::optional<int32_t>& value,
                      std::string& problem) {
  const JsonValue *code = entry.Is(Type::Number) ? &entry : nullptr, *word = entry.Is(Type::String) ? &entry : nullptr;
  const std::string is = JsonAt(entry) + s.name + " is ";
  if (entry.Is(Type::Object)) {
    for (const auto& [key, member] : entry.members) {
      const bool null = member.Is(Type::Null);
      if (key == "code" && (null || member.Is(Type::Number)))
        code = null ? nullptr : &member;
      else if (key == "word" && (null || member.Is(Type::String)))
        word = null ? nullptr : &member;
      else {
        problem = JsonAt(member) + s.name + " has \"" + ShortenedText(key) + "\" as " + JsonTypeName(member.type) +
                  "; a setting has a code (a number) and a word (a string)";
        return false;
      }
    }
  } else if (!code && !word) {
    problem = is + JsonTypeName(entry.type) + ", not a code, a word or {\"code\": ..., \"word\": ...}";
    return false;
  }
  value.reset();
  const std::optional<int32_t> byCode = code ? code->Int32() : std::nullopt;
  const std::optional<int32_t> byWord = word ? WordCode(s, word->text) : std::nullopt;
  if ((code && !(byCode && s.Valid(*byCode))) || (word && !byWord)) {
    const std::string given = code && !(byCode && s.Valid(*byCode)) ? ShortenedText(code->text)
                                                                     : "\"" + ShortenedText(word->text) + "\"";
    problem = is + given + ", which is no value of it; it takes " + SettingChoices(s);
    return false;
  }
  if (byCode && byWord && *byCode != *byWord) {
    problem = is + "code " + std::to_string(*byCode) + " with the word \"" + ShortenedText(word->text) +
              "\", which is code " + std::to_string(*byWord);
    return false;
  }
  value = byCode ? byCode : byWord;
  return true;
}
