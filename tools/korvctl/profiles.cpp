#include "profiles.h"

#include <cctype>

#include "file_store.h"
#include "json.h"

namespace {

constexpr size_t kLongestName = 64;
constexpr char kSuffix[] = ".ini";

// The number of characters of UTF-8 text; nothing when it is not UTF-8.
std::optional<size_t> CharacterCount(const std::string& text) {
  size_t count = 0;
  for (size_t i = 0, n; i < text.size(); i += n, ++count)
    if ((n = Utf8Length(text, i)) == 0) return std::nullopt;
  return count;
}

bool IsReservedDevice(std::string base) {
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (base == device) return true;
  if (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0) return false;
  // A port's number: a digit 0 to 9, or a superscript one, two or three,
  // which Windows keeps as ports too (COM¹ is COM1).
  const std::string number = base.substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

std::optional<std::string> ProfileNameProblem(const std::string& name) {
  if (name.empty()) return "a profile needs a name";
  const std::optional<size_t> length = CharacterCount(name);
  if (!length) return "a profile's name must be UTF-8 text";
  if (*length > kLongestName) return "a profile's name has at most 64 characters";
  for (const char c : name) {
    if (c == '/' || c == '\\') return "a profile's name cannot hold a path separator";
    if (static_cast<unsigned char>(c) < 0x20 || std::string("<>:\"|?*").find(c) != std::string::npos)
      return std::string("a profile's name cannot hold the character ") +
             (static_cast<unsigned char>(c) < 0x20 ? "of code " + std::to_string(c) : "'" + std::string(1, c) + "'");
  }
  if (name.back() == '.' || name.back() == ' ') return "a profile's name cannot end in a dot or a space";
  if (IsReservedDevice(name.substr(0, name.find('.')))) return "'" + name + "' is a name Windows keeps for a device";
  return std::nullopt;
}

std::filesystem::path ProfileFolder(const std::filesystem::path& directory) { return directory / "Profiles" / ""; }

std::filesystem::path ProfilePath(const std::filesystem::path& directory, const std::string& name) {
  return ProfileFolder(directory) / std::filesystem::u8path(name + kSuffix);
}

bool ListProfiles(const std::filesystem::path& directory, std::vector<std::string>& names) {
  if (!ListFiles(ProfileFolder(directory), kSuffix, names)) return false;
  for (std::string& name : names) name.resize(name.size() - (sizeof kSuffix - 1));
  return true;
}
