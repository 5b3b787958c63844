#include "profile_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "file_store.h"

namespace {

// A settings file holds a few hundred bytes; a much larger file is not one.
constexpr size_t kMaxFileSize = 1 << 20;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// What the platform's reader strips around lines, names and values; ^Z is
// the old DOS end-of-file mark.
constexpr std::string_view kSpace = " \t\n\v\f\r\x1A";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// An INI file as the platform holds it: sections of keys, a key without a
// value being a line without '='. The first section has no name and holds
// the lines before the first header.
struct Key {
  std::string name;
  std::optional<std::string> value;
};
struct Section {
  std::string name;
  std::vector<Key> keys;
};
struct Profile {
  bool utf8Bom = false;
  std::vector<Section> sections;
};

Profile Parse(std::string_view text) {
  Profile p;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    p.utf8Bom = true;
    text.remove_prefix(kUtf8Bom.size());
  }
  p.sections.emplace_back();
  while (!text.empty()) {
    const size_t end = std::min(text.find_first_of("\r\n"), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    line = Trim(line.substr(0, line.find('\0')));  // the platform's text of a line ends at a NUL
    if (line.empty()) continue;
    const size_t close = line.rfind(']');
    if (line[0] == '[' && close != std::string_view::npos) {
      p.sections.push_back({std::string(Trim(line.substr(1, close - 1))), {}});
      continue;
    }
    Key key;
    const size_t equals = line.find('=');
    key.name = Trim(line.substr(0, equals));
    if (equals != std::string_view::npos) key.value = std::string(Trim(line.substr(equals + 1)));
    std::vector<Key>& keys = p.sections.back().keys;
    // Of consecutive lines with an empty name the platform keeps the first.
    if (key.name.empty() && !keys.empty() && keys.back().name.empty()) continue;
    keys.push_back(std::move(key));
  }
  return p;
}

std::string Format(const Profile& p) {
  std::string out = p.utf8Bom ? std::string(kUtf8Bom) : std::string();
  for (const Section& section : p.sections) {
    if (!section.name.empty()) out += "[" + section.name + "]\r\n";
    for (const Key& key : section.keys) {
      out += key.name;
      if (key.value) out += "=" + *key.value;
      out += "\r\n";
    }
  }
  return out;
}

Section* FindSection(Profile& p, std::string_view name) {
  for (Section& section : p.sections)
    if (!section.name.empty() && SameName(section.name, name)) return &section;
  return nullptr;
}

Key* FindKey(Section& section, std::string_view name) {
  for (Key& key : section.keys)
    if (SameName(key.name, name)) return &key;
  return nullptr;
}

// The file's text, empty for a missing file; false when the file cannot be
// read or is no text this code can edit (oversized, UTF-16).
bool ReadText(const std::string& path, std::string& text) {
  if (!ReadWholeFile(path, kMaxFileSize, text)) return false;
  const std::string_view start = std::string_view(text).substr(0, 2);
  return start != "\xFF\xFE" && start != "\xFE\xFF";
}

}  // namespace

std::string EncodeProfileStruct(const void* data, size_t size) {
  static const char kHex[] = "0123456789ABCDEF";
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  std::string text;
  unsigned sum = 0;
  for (size_t i = 0; i <= size; ++i) {
    const unsigned b = i < size ? bytes[i] : sum & 0xFF;  // the checksum follows the bytes
    text += kHex[b >> 4];
    text += kHex[b & 0xF];
    sum += b;
  }
  return text;
}

bool DecodeProfileStruct(std::string_view text, void* out, size_t size) {
  if (text.size() != 2 * size + 2) return false;
  std::vector<unsigned char> bytes(size + 1);
  for (size_t i = 0; i <= size; ++i) {
    const int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<unsigned char>(high << 4 | low);
  }
  unsigned sum = 0;
  for (size_t i = 0; i < size; ++i) sum += bytes[i];
  if ((sum & 0xFF) != bytes[size]) return false;
  if (size > 0) std::memcpy(out, bytes.data(), size);
  return true;
}

std::optional<std::string> ProfileValue(std::string_view text, std::string_view section, std::string_view key) {
  Profile p = Parse(text);
  Section* s = FindSection(p, section);
  Key* k = s ? FindKey(*s, key) : nullptr;
  return k ? k->value : std::nullopt;
}

std::string WithProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value) {
  Profile p = Parse(text);
  Section* s = FindSection(p, section);
  if (!s) s = &p.sections.emplace_back(Section{std::string(section), {}});
  Key* k = FindKey(*s, key);
  if (!k) k = &s->keys.emplace_back(Key{std::string(key), {}});
  k->value = std::string(value);
  return Format(p);
}

bool ReadProfileStruct(const std::string& path, std::string_view section, std::string_view key, void* out,
                       size_t size) {
  std::string text;
  if (!ReadText(path, text)) return false;
  const std::optional<std::string> value = ProfileValue(text, section, key);
  return value && DecodeProfileStruct(*value, out, size);
}

bool WriteProfileStruct(const std::string& path, std::string_view section, std::string_view key, const void* data,
                        size_t size) {
  std::string text;
  if (!ReadText(path, text)) return false;  // never replace what cannot be read back
  const std::string value = EncodeProfileStruct(data, size);
  if (ProfileValue(text, section, key) == value) return true;  // as the platform, leave an unchanged file alone
  return ReplaceWholeFile(path, WithProfileValue(text, section, key, value));
}
