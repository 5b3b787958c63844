// The functions a device library lacks, as a message names them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// How many are named; the rest are counted.
constexpr size_t kNamedMissing = 3;

// "A", "A, B", "A, B, C", and past kNamedMissing names "A, B, C" followed by
// andMore, a printf format that takes the count of the rest as an int
// (" and %d more").
inline std::string MissingFunctionList(const std::vector<const char*>& names, const std::string& andMore) {
  std::string list;
  for (size_t i = 0; i < names.size() && i < kNamedMissing; ++i) list += (i ? ", " : "") + std::string(names[i]);
  if (names.size() > kNamedMissing) {
    char rest[64];
    std::snprintf(rest, sizeof rest, andMore.c_str(), int(names.size() - kNamedMissing));
    list += rest;
  }
  return list;
}
