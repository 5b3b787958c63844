// A fault raised inside a function of the device library (an access
// violation, an MSVC C++ exception) and contained at the call: the caller
// gets this exception instead of the process ending, and can tell the user
// which function failed. Orbel_Close never throws it: a board whose library
// failed is closed where that can still be done, and a failing close
// answers 0.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

class DeviceLibraryFault : public std::runtime_error {
 public:
  DeviceLibraryFault(const char* function, uint32_t code)
      : std::runtime_error(std::string("the board's device library korvio.dll failed in ") + function + " (" +
                           CodeText(code) + ")"),
        function_(function),
        code_(code) {}
  const char* Function() const { return function_; }
  uint32_t Code() const { return code_; }
  // "exception 0xC0000005, an access violation"
  static std::string CodeText(uint32_t code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    const char* what = code == 0xC0000005u   ? ", an access violation"
                       : code == 0xE06D7363u ? ", a C++ exception it did not catch"
                                             : "";
    return std::string("exception ") + hex + what;
  }

 private:
  const char* function_;
  uint32_t code_;
};
