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
