// INI ("private profile") files as the platform's profile functions read
// them: our own reader, for the builds and paths that do without those
// functions, and our own writer, which changes nothing but the one value.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The structure encoding of GetPrivateProfileStruct/WritePrivateProfileStruct:
// each byte as two uppercase hex digits, then the sum of the bytes modulo 256
// as two more.
std::string EncodeProfileStruct(const void* data, size_t size);
// Takes exactly 2 * size + 2 hex digits, in either case, with a matching
// checksum; otherwise returns false and leaves out untouched.
bool DecodeProfileStruct(std::string_view text, void* out, size_t size);

// A settings file holds a few hundred bytes; a larger file than this is not
// one, and is neither read nor written.
constexpr size_t kMaxProfileFileSize = 1 << 20;

// The value of key in section of an INI text, as the platform's reader takes
// it; nothing when the section or the key is missing or the key's line has no
// '='. Names compare without regard to case, and the first matching section
// and key count. A NUL byte ends a name or a value, not its line.
std::optional<std::string> ProfileValue(std::string_view text, std::string_view section, std::string_view key);
// The INI text with that value set and every other byte as it was: the old
// value alone is replaced (a key without '=' gets one), a missing key is
// added as a line after the section's last line that is not blank, a missing
// section at the end of the text, each line ended by CRLF.
std::string WithProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

// The text of an INI file: kNone when read; kNotFound for a missing file,
// whose text is then empty; another failure (file_store.h) when it cannot be
// read, is no regular file, or is above kMaxProfileFileSize; kOther for
// UTF-16 of an odd number of bytes. A file with a byte-order mark is given
// as UTF-8 text (text_encoding.h); encoding, when given, gets what it was.
enum class FileFailure;
enum class TextEncoding;
FileFailure ReadProfileText(const std::filesystem::path& path, std::string& text, TextEncoding* encoding = nullptr);

// One structure in an INI file. Reading fails on a file ReadProfileText
// does not read and on any entry that DecodeProfileStruct refuses.
// Writing keeps the rest of the file byte for byte (WithProfileValue), in
// the file's own encoding; it writes a new file beside the old one and then
// puts it in its place (ReplaceWholeFile in file_store.h), so a failure, a
// read-only file or one that is or would become oversized among them, leaves
// the old file as it was and gives false. An entry that already holds the
// value is left alone.
bool ReadProfileStruct(const std::filesystem::path& path, std::string_view section, std::string_view key, void* out, size_t size);
// `why`, when given, gets the reason of a failed write (file_store.h).
bool WriteProfileStruct(const std::filesystem::path& path, std::string_view section, std::string_view key, const void* data,
                        size_t size, FileFailure* why = nullptr);
