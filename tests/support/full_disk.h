// A disk that fills up, for the settings file's writer as the tests build it
// (korv_settings_full_disk): while g_diskSpace is 0 or more, the files that
// are written take that many bytes in all and then fail as on a full disk.
#pragma once

#include <atomic>
#include <cstddef>

inline std::atomic<long long> g_diskSpace{-1};

inline size_t DiskTakes(size_t wanted) {
  long long left = g_diskSpace.load();
  while (left >= 0) {
    const long long take = left < static_cast<long long>(wanted) ? left : static_cast<long long>(wanted);
    if (g_diskSpace.compare_exchange_weak(left, left - take)) return static_cast<size_t>(take);
  }
  return wanted;
}
