// The module's name from its path as a byte string in the system's ANSI code
// page, for captions. In a double-byte code page such as GBK the second byte of a
// character may be 0x5C, the backslash, and must not be taken for one.
#pragma once

#include <string>

// Whether a byte starts a double-byte character in the code page at hand.
using LeadBytePredicate = bool (*)(unsigned char);

// Lead bytes of GBK (code page 936).
bool IsGbkLeadByte(unsigned char c);
// A single-byte code page such as 1252.
bool IsNeverLeadByte(unsigned char c);

// The file name after the last backslash, without its extension.
std::string BaseNameOfPath(const std::string& path, LeadBytePredicate isLeadByte);
