#include "module_path.h"

bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool IsNeverLeadByte(unsigned char) { return false; }

namespace {

// Position of the last real backslash, or npos. Walks from the start so that
// every trail byte is known as one.
std::string::size_type LastBackslash(const std::string& path, LeadBytePredicate isLeadByte) {
  std::string::size_type last = std::string::npos;
  for (std::string::size_type i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (isLeadByte(c) && i + 1 < path.size())
      ++i;  // skip the trail byte
    else if (c == '\\')
      last = i;
  }
  return last;
}

}  // namespace

std::string BaseNameOfPath(const std::string& path, LeadBytePredicate isLeadByte) {
  std::string::size_type slash = LastBackslash(path, isLeadByte);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string::size_type dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}
