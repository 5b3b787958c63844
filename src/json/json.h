// A small, strict JSON reader and the quoting the writers need. The reader
// takes RFC 8259 text and nothing more: valid UTF-8 throughout, no comments,
// no trailing commas, no duplicate keys (compared as the strings they decode
// to), no NUL character in a string or a key (a C string would end there),
// nesting at most kMaxJsonDepth deep. Lines end at CR, LF or CRLF alike.
// Callers bound the text's size before they read it. Numbers are kept as
// written; Int32() gives an integer that fits 32 bits, and nothing for a
// fraction, an exponent or anything larger.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

constexpr int kMaxJsonDepth = 32;

struct JsonValue {
  enum class Type { Null, Bool, Number, String, Array, Object };
  Type type = Type::Null;
  bool boolean = false;
  std::string text;  // a string's contents in UTF-8, or a number as written
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;  // in the text's order, each key once
  int line = 1;                                            // where the value begins, for messages

  // The member of an object with that key; null when there is none.
  const JsonValue* Find(std::string_view key) const;
  std::optional<int32_t> Int32() const;
  bool Is(Type t) const { return type == t; }
};

// "null", "a boolean", "a number", ...: for messages.
const char* JsonTypeName(JsonValue::Type type);
// Where a value begins, for the start of a message: "line 3: ".
std::string JsonAt(const JsonValue& value);
// A text for a message, cut to 20 characters and "..." when it is longer
// than 24.
std::string ShortenedText(const std::string& text);

// The value the whole text holds; nothing, and error as "line N: what", when
// the text is not exactly one JSON value.
std::optional<JsonValue> ParseJson(std::string_view text, std::string& error);

// The length of the valid UTF-8 sequence at text[i], or 0: no overlong
// forms, no surrogates, nothing above U+10FFFF.
size_t Utf8Length(std::string_view text, size_t i);
// A code point (below 0x110000, no surrogate) appended to out as UTF-8.
void AppendUtf8(std::string& out, unsigned code);

// The text as a JSON string, quotes included; a byte that is not part of
// valid UTF-8 becomes U+FFFD.
std::string JsonString(std::string_view text);
