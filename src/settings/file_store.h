// The few file operations the settings file needs: reading a whole small
// file, and replacing a file in one step. file_store_posix.cpp implements
// them with the C library and POSIX, file_store_win32.cpp with the
// platform's wide-character functions (paths as in platform/host_path.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

// The whole file; a missing file gives true and an empty text. False when
// the file cannot be read or holds more than limit bytes.
bool ReadWholeFile(const std::string& path, size_t limit, std::string& text);

// Writes text to a new file of a name of its own in the same folder, then
// puts it in path's place in one step, keeping the old file's permissions.
// A file at path that is read-only (no write permission at all, or the
// read-only attribute) or that the user may not write is left alone. Every
// failure leaves the old file as it was, removes the new one, and gives
// false.
bool ReplaceWholeFile(const std::string& path, const std::string& text);

// Test seam: from now on the files ReplaceWholeFile writes take only this
// many bytes in all and then fail as on a full disk; negative: no limit.
inline std::atomic<long long> g_fileStoreBytesLeft{-1};

// How many of the wanted bytes the disk takes now (all of them unless the
// seam above is set).
inline size_t FileStoreTake(size_t wanted) {
  long long left = g_fileStoreBytesLeft.load();
  while (left >= 0) {
    const long long take = left < static_cast<long long>(wanted) ? left : static_cast<long long>(wanted);
    if (g_fileStoreBytesLeft.compare_exchange_weak(left, left - take)) return static_cast<size_t>(take);
  }
  return wanted;
}
