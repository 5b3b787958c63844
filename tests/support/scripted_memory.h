// Memory that fails when told, for the test pictures as the tests build them
// (korv_testout_scripted_memory): allocation number g_memoryScript.failAt,
// counting from 1, gives null, every other one is malloc's; the sizes asked
// for are recorded.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <vector>

struct MemoryScript {
  int failAt = 0;
  std::vector<size_t> sizes;
};
inline MemoryScript g_memoryScript;

inline void* AllocatePixels(size_t bytes) {
  g_memoryScript.sizes.push_back(bytes);
  if (int(g_memoryScript.sizes.size()) == g_memoryScript.failAt) return nullptr;
  return std::malloc(bytes);
}
