// What both file stores share: the names of a save's new files.
#include <cstdint>
#include <limits>

#include "file_store.h"

namespace {

// Decimal digits as a number of up to 32 bits, all of the text or nothing.
std::optional<unsigned long> Number(std::string_view digits) {
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  unsigned long long n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  if (n > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  return static_cast<unsigned long>(n);
}

}  // namespace

std::string TempFileSuffix(unsigned long pid, unsigned count) {
  return "." + std::to_string(pid) + "-" + std::to_string(count) + ".tmp";
}

std::optional<unsigned long> TempFileOwner(std::string_view suffix) {
  constexpr std::string_view kEnd = ".tmp";
  if (suffix.size() < 1 + kEnd.size() || suffix[0] != '.' || suffix.substr(suffix.size() - kEnd.size()) != kEnd)
    return std::nullopt;
  const std::string_view middle = suffix.substr(1, suffix.size() - 1 - kEnd.size());
  const size_t dash = middle.find('-');
  if (dash == std::string_view::npos || !Number(middle.substr(dash + 1))) return std::nullopt;
  const std::optional<unsigned long> pid = Number(middle.substr(0, dash));
  return pid && *pid != 0 ? pid : std::nullopt;
}

const char* FileFailureText(FileFailure failure) {
  switch (failure) {
    case FileFailure::kNone: return "no failure";
    case FileFailure::kNotFound: return "there is no such file";
    case FileFailure::kNotAFile: return "it is a folder, a device or a pipe, not a file";
    case FileFailure::kTooLarge: return "it is too large for a settings file (above 1 MiB)";
    case FileFailure::kAccessDenied: return "access is denied";
    case FileFailure::kInUse: return "it is in use by another program";
    case FileFailure::kReadOnly: return "the file or the disk is read-only";
    case FileFailure::kDiskFull: return "the disk is full";
    case FileFailure::kStillThere: return "it is still there";
    case FileFailure::kOther: break;
  }
  return "the system gave no reason";
}

bool ReadWholeFile(const std::filesystem::path& path, size_t limit, std::string& text, FileFailure* why) {
  const FileFailure failure = ReadFileBytes(path, limit, text);
  if (why) *why = failure == FileFailure::kNotFound ? FileFailure::kNone : failure;
  return failure == FileFailure::kNone || failure == FileFailure::kNotFound;
}
