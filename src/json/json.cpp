#include "json.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>

size_t Utf8Length(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
  const unsigned c = byte(i);
  if (c < 0x80) return 1;
  size_t n = 0;
  unsigned low = 0x80, high = 0xBF;  // the second byte's range
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < n; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return n;
}

namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::optional<JsonValue> Document(std::string& error) {
    JsonValue value;
    if (Value(value, 0) && (Space(), at_ == text_.size() || Fail("more after the value"))) return value;
    error = "line " + std::to_string(line_) + ": " + problem_;
    return std::nullopt;
  }

 private:
  bool Fail(const std::string& problem) {
    problem_ = problem;
    return false;
  }
  bool End() const { return at_ >= text_.size(); }
  char Peek() const { return End() ? '\0' : text_[at_]; }
  void Space() {
    for (; !End(); ++at_) {
      const char c = text_[at_];
      // CR, LF and CRLF each end one line.
      if (c == '\r' || (c == '\n' && (at_ == 0 || text_[at_ - 1] != '\r'))) ++line_;
      else if (c != ' ' && c != '\t' && c != '\n') return;
    }
  }
  bool Unexpected() {
    if (End()) return Fail("the text ends early");
    const unsigned char c = static_cast<unsigned char>(Peek());
    if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", c);
      return Fail(std::string("unexpected byte ") + hex);
    }
    return Fail(std::string("unexpected '") + char(c) + "'");
  }
  bool Word(const char* word) {
    const std::string_view w(word);
    if (text_.substr(at_, w.size()) != w)
      return Fail(text_.substr(at_) == w.substr(0, text_.size() - at_) ? "the text ends early" : "unknown word");
    at_ += w.size();
    return true;
  }

  bool Value(JsonValue& value, int depth) {
    Space();
    value.line = line_;
    switch (Peek()) {
      case '{': return Object(value, depth + 1);
      case '[': return Array(value, depth + 1);
      case '"': value.type = JsonValue::Type::String; return String(value.text);
      case 't': value.type = JsonValue::Type::Bool; value.boolean = true; return Word("true");
      case 'f': value.type = JsonValue::Type::Bool; return Word("false");
      case 'n': return Word("null");
      default:
        if (Peek() == '-' || (Peek() >= '0' && Peek() <= '9')) return Number(value);
        return Unexpected();
    }
  }

  bool Digits() {
    const size_t from = at_;
    while (Peek() >= '0' && Peek() <= '9') ++at_;
    return at_ > from || (End() ? Unexpected() : Fail("a number lacks its digits"));
  }
  bool Number(JsonValue& value) {
    const size_t from = at_;
    if (Peek() == '-') ++at_;
    if (Peek() == '0') {
      ++at_;
      if (Peek() >= '0' && Peek() <= '9') return Fail("a number begins with 0");
    } else if (!Digits()) {
      return false;
    }
    if (Peek() == '.' && (++at_, !Digits())) return false;
    if (Peek() == 'e' || Peek() == 'E') {
      ++at_;
      if (Peek() == '+' || Peek() == '-') ++at_;
      if (!Digits()) return false;
    }
    value.type = JsonValue::Type::Number;
    value.text = std::string(text_.substr(from, at_ - from));
    return true;
  }

  bool Hex4(unsigned& code) {
    code = 0;
    for (int i = 0; i < 4; ++i, ++at_) {
      const char c = Peek();
      const int digit = c >= '0' && c <= '9' ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return End() ? Unexpected() : Fail("\\u takes four hex digits");
      code = code * 16 + unsigned(digit);
    }
    return true;
  }
  bool Escape(std::string& out) {
    const char c = Peek();
    ++at_;
    static const char kFrom[] = "\"\\/bfnrt", kTo[] = "\"\\/\b\f\n\r\t";
    for (int i = 0; kFrom[i]; ++i)
      if (c == kFrom[i]) {
        out += kTo[i];
        return true;
      }
    if (c != 'u') return --at_, End() ? Unexpected() : Fail("unknown escape");
    unsigned code = 0;
    if (!Hex4(code)) return false;
    if (code == 0) return Fail("a NUL character (\\u0000) in a string");
    if (code >= 0xDC00 && code <= 0xDFFF) return Fail("a lone low surrogate");
    if (code >= 0xD800 && code <= 0xDBFF) {
      unsigned low = 0;
      if (text_.substr(at_, 2) != "\\u") return Fail("a high surrogate without its low one");
      at_ += 2;
      if (!Hex4(low)) return false;
      if (low < 0xDC00 || low > 0xDFFF) return Fail("a high surrogate without its low one");
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8(out, code);
    return true;
  }
  bool String(std::string& out) {
    ++at_;  // the opening quote
    for (;;) {
      if (End()) return Unexpected();
      const unsigned char c = static_cast<unsigned char>(text_[at_]);
      if (c == '"') {
        ++at_;
        return true;
      }
      if (c < 0x20) return Fail(c == '\n' ? "a string runs past its line" : "a control character in a string");
      if (c == '\\') {
        ++at_;
        if (!Escape(out)) return false;
        continue;
      }
      const size_t n = Utf8Length(text_, at_);
      if (!n) return Fail("bytes that are not UTF-8");
      out.append(text_.substr(at_, n));
      at_ += n;
    }
  }

  // An array or an object: elements between the brackets, after commas.
  template <class Element>
  bool Container(JsonValue& value, int depth, JsonValue::Type type, char close, Element element) {
    if (depth > kMaxJsonDepth) return Fail("nested more than " + std::to_string(kMaxJsonDepth) + " deep");
    value.type = type;
    ++at_;
    Space();
    if (Peek() == close) return ++at_, true;
    for (;;) {
      if (!element()) return false;
      Space();
      if (Peek() == close) return ++at_, true;
      if (Peek() != ',') return Unexpected();
      ++at_;
    }
  }
  bool Array(JsonValue& value, int depth) {
    return Container(value, depth, JsonValue::Type::Array, ']', [&] {
      value.items.emplace_back();
      return Value(value.items.back(), depth);
    });
  }
  bool Object(JsonValue& value, int depth) {
    std::set<std::string> keys;  // a text of 1 MiB may hold 100000 of them
    return Container(value, depth, JsonValue::Type::Object, '}', [&] {
      Space();
      if (Peek() != '"') return Unexpected();
      std::string key;
      if (!String(key)) return false;
      if (!keys.insert(key).second) return Fail("the key \"" + key + "\" is given twice");
      Space();
      if (Peek() != ':') return Unexpected();
      ++at_;
      value.members.emplace_back(std::move(key), JsonValue());
      return Value(value.members.back().second, depth);
    });
  }

  std::string_view text_;
  size_t at_ = 0;
  int line_ = 1;
  std::string problem_;
};

}  // namespace

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | code >> 6);
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | code >> 12);
    out += char(0x80 | (code >> 6 & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | code >> 18);
    out += char(0x80 | (code >> 12 & 0x3F));
    out += char(0x80 | (code >> 6 & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}


const JsonValue* JsonValue::Find(std::string_view key) const {
  for (const auto& [k, v] : members)
    if (k == key) return &v;
  return nullptr;
}

std::optional<int32_t> JsonValue::Int32() const {
  if (type != Type::Number || text.size() > 11 || text.find_first_of(".eE") != std::string::npos) return std::nullopt;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return int32_t(value);
}

std::string JsonAt(const JsonValue& value) { return "line " + std::to_string(value.line) + ": "; }

std::string ShortenedText(const std::string& text) { return text.size() > 24 ? text.substr(0, 20) + "..." : text; }

const char* JsonTypeName(JsonValue::Type type) {
  static const char* const kNames[] = {"null", "a boolean", "a number", "a string", "an array", "an object"};
  return kNames[int(type)];
}

std::optional<JsonValue> ParseJson(std::string_view text, std::string& error) { return Reader(text).Document(error); }

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t n = Utf8Length(text, i);
    if (!n) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out + "\"";
}
