// libFuzzer target: the settings file's reader, writer and record codec
// (profile_file.h) over any text. Properties, beside running clean under
// AddressSanitizer and UndefinedBehaviorSanitizer:
// - a record (the input's first 88 bytes) encoded and decoded is the same
//   record;
// - a value the decoder accepts encodes back to itself, up to the case of its
//   digits; one it refuses leaves the record untouched;
// - the text saved with a record reads back that record, still gives every
//   other section's and key's value as before, and differs from the text in
//   one place only, where the old text held no line end (one value replaced,
//   or lines put in between two).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "profile_file.h"

namespace {

constexpr size_t kRecordSize = 88;
constexpr std::string_view kSpace = " \t\n\v\f\r\x1A";

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool IsBoardParam(std::string_view section, std::string_view key) {
  return Upper(std::string(section)) == "BOARD" && Upper(std::string(key)) == "PARAM";
}

// Up to 16 pairs of section and key names in the text, found loosely as
// each key line under the section header before it: a pair that names no
// value gives none, before and after alike.
std::vector<std::pair<std::string, std::string>> NamesIn(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::string section;
  while (!text.empty() && pairs.size() < 16) {
    const size_t end = std::min(text.find_first_of("\r\n"), text.size());
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    const size_t close = line.rfind(']');
    auto upToNul = [](std::string_view s) { return std::string(s.substr(0, s.find('\0'))); };
    if (!line.empty() && line[0] == '[' && close != std::string_view::npos)
      section = upToNul(Trim(line.substr(1, close - 1)));
    else if (line.find('=') != std::string_view::npos)
      pairs.emplace_back(section, upToNul(Trim(line.substr(0, line.find('=')))));
  }
  return pairs;
}

void CheckDecoding(const std::string& value) {
  for (size_t size : {kRecordSize, value.size() / 2 - 1, size_t{4}}) {
    if (size > 4096) continue;
    std::vector<unsigned char> out(size + 1, 0xA5);
    if (DecodeProfileStruct(value, out.data(), size))
      Check(EncodeProfileStruct(out.data(), size) == Upper(value) && out[size] == 0xA5);
    else
      Check(std::all_of(out.begin(), out.end(), [](unsigned char c) { return c == 0xA5; }));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  unsigned char record[kRecordSize] = {}, back[kRecordSize] = {};
  std::memcpy(record, data, std::min(size, kRecordSize));
  const std::string entry = EncodeProfileStruct(record, kRecordSize);
  Check(entry.size() == 2 * kRecordSize + 2);
  Check(DecodeProfileStruct(entry, back, kRecordSize) && std::memcmp(back, record, kRecordSize) == 0);

  const std::optional<std::string> value = ProfileValue(text, "BOARD", "Param");
  if (value) CheckDecoding(*value);

  const std::string saved = WithProfileValue(text, "BOARD", "Param", entry);
  Check(ProfileValue(saved, "board", "PARAM") == entry);
  for (const auto& [section, key] : NamesIn(text)) {
    if (IsBoardParam(section, key)) continue;
    const std::optional<std::string> before = ProfileValue(text, section, key);
    if (before) Check(ProfileValue(saved, section, key) == before);
  }
  const size_t same = std::mismatch(text.begin(), text.end(), saved.begin(), saved.end()).first - text.begin();
  size_t sameEnd = 0;
  while (same + sameEnd < std::min(text.size(), saved.size()) && text.rbegin()[sameEnd] == saved.rbegin()[sameEnd])
    ++sameEnd;
  Check(text.substr(same, text.size() - same - sameEnd).find_first_of("\r\n") == std::string_view::npos);
  return 0;
}
