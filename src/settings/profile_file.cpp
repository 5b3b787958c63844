#include "profile_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "file_store.h"
#include "text_encoding.h"

namespace {

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

// One line of an INI text as the platform's reader takes it: spaces around
// the line dropped, then a section header ('[' first, the last ']' closing
// the name) or a key, with a value when it has a '='. Names and values end
// at a NUL byte, but the line goes on: the platform finds the ']' or the '='
// past one. Offsets are into the whole text.
struct Line {
  size_t end = 0;   // where the line's text ends, before trailing spaces
  size_t next = 0;  // where the next line starts, after one line end
  bool blank = true;
  bool header = false;
  std::string_view name;
  bool hasValue = false;
  size_t valueBegin = 0, valueEnd = 0;
};

std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

Line ReadLine(std::string_view text, size_t at) {
  Line line;
  const size_t rawEnd = std::min(text.find_first_of("\r\n", at), text.size());
  line.next = rawEnd + (text.compare(rawEnd, 2, "\r\n") == 0 ? 2 : rawEnd < text.size() ? 1 : 0);
  const std::string_view raw = text.substr(at, rawEnd - at), s = Trim(raw);
  if (s.empty()) return line;
  const size_t begin = at + static_cast<size_t>(s.data() - raw.data());
  line.blank = false;
  line.end = begin + s.size();
  const size_t close = s.rfind(']');
  if (s[0] == '[' && close != std::string_view::npos) {
    line.header = true;
    line.name = UpToNul(Trim(s.substr(1, close - 1)));
    return line;
  }
  const size_t equals = s.find('=');
  line.name = UpToNul(Trim(s.substr(0, equals)));
  if (equals != std::string_view::npos) {
    const size_t value = std::min(s.find_first_not_of(kSpace, equals + 1), s.size());
    line.hasValue = true;
    line.valueBegin = begin + value;
    line.valueEnd = line.valueBegin + UpToNul(s.substr(value)).size();
  }
  return line;
}

// Where a key lies in an INI text: the header of the first section of that
// name (the platform looks no further), the section's first key of that
// name, and its last line that is not blank, after which a new key goes.
struct Place {
  size_t bodyBegin = 0;  // after a UTF-8 BOM
  std::optional<Line> header, key, last;
};

Place Find(std::string_view text, std::string_view section, std::string_view key) {
  Place place;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) place.bodyBegin = kUtf8Bom.size();
  for (size_t at = place.bodyBegin; at < text.size();) {
    const Line line = ReadLine(text, at);
    at = line.next;
    if (line.blank) continue;
    if (line.header && place.header) break;
    if (line.header && !line.name.empty() && SameName(line.name, section)) place.header = place.last = line;
    if (line.header || !place.header) continue;
    place.last = line;
    if (SameName(line.name, key)) {
      place.key = line;
      break;
    }
  }
  return place;
}

// Puts a whole line into the text at a line's start, ending the line before
// it first where the text's last line has no line end.
void InsertLine(std::string& text, size_t at, size_t bodyBegin, std::string line) {
  if (at > bodyBegin && text[at - 1] != '\n' && text[at - 1] != '\r') line.insert(0, "\r\n");
  text.insert(at, line);
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
  const Place place = Find(text, section, key);
  if (!place.key || !place.key->hasValue) return std::nullopt;
  return std::string(text.substr(place.key->valueBegin, place.key->valueEnd - place.key->valueBegin));
}

std::string WithProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value) {
  const Place place = Find(text, section, key);
  std::string out(text);
  if (place.key && place.key->hasValue)
    return out.replace(place.key->valueBegin, place.key->valueEnd - place.key->valueBegin, value);
  if (place.key) return out.insert(place.key->end, "=" + std::string(value));
  std::string line = std::string(key) + "=" + std::string(value) + "\r\n";
  if (!place.header) line = "[" + std::string(section) + "]\r\n" + line;
  InsertLine(out, place.header ? place.last->next : out.size(), place.bodyBegin, line);
  return out;
}

FileFailure ReadProfileText(const std::filesystem::path& path, std::string& text, TextEncoding* encoding) {
  std::string bytes;
  text.clear();
  const FileFailure failure = ReadFileBytes(path, kMaxProfileFileSize, bytes);
  if (failure != FileFailure::kNone) return failure;
  TextEncoding found;
  std::optional<std::string> decoded = TextOfBytes(bytes, found);
  if (encoding) *encoding = found;
  if (!decoded) return FileFailure::kOther;
  text = std::move(*decoded);
  return FileFailure::kNone;
}

bool ReadProfileStruct(const std::filesystem::path& path, std::string_view section, std::string_view key, void* out,
                       size_t size) {
  std::string text;
  if (ReadProfileText(path, text) != FileFailure::kNone) return false;
  const std::optional<std::string> value = ProfileValue(text, section, key);
  return value && DecodeProfileStruct(*value, out, size);
}

bool WriteProfileStruct(const std::filesystem::path& path, std::string_view section, std::string_view key, const void* data,
                        size_t size, FileFailure* why) {
  std::string text;
  TextEncoding encoding = TextEncoding::kPlain;
  // Never replace what cannot be read back.
  if (const FileFailure failure = ReadProfileText(path, text, &encoding);
      failure != FileFailure::kNone && failure != FileFailure::kNotFound) {
    if (why) *why = failure;
    return false;
  }
  if (why) *why = FileFailure::kOther;
  const std::string value = EncodeProfileStruct(data, size);
  if (ProfileValue(text, section, key) == value) return true;  // as the platform, leave an unchanged file alone
  const std::string saved = BytesOfText(WithProfileValue(text, section, key, value), encoding);
  if (saved.size() > kMaxProfileFileSize) {
    if (why) *why = FileFailure::kTooLarge;
    return false;  // never write what we would not read
  }
  return ReplaceWholeFile(path, saved, why);
}
