#include <windows.h>

#include <cstdint>

#include "test_pictures.h"

bool IsWritableMemory(void* address, size_t bytes) {
  const uintptr_t start = reinterpret_cast<uintptr_t>(address);
  if (!address || start + bytes < start) return false;
  const uintptr_t end = start + bytes;
  constexpr DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  // Region by region: each must be committed and writable, none a guard page.
  for (uintptr_t at = start; at < end;) {
    MEMORY_BASIC_INFORMATION region = {};
    if (!VirtualQuery(reinterpret_cast<void*>(at), &region, sizeof region)) return false;
    if (region.State != MEM_COMMIT || !(region.Protect & kWritable) || (region.Protect & PAGE_GUARD)) return false;
    const uintptr_t regionEnd = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    if (regionEnd <= at) return false;
    at = regionEnd;
  }
  return true;
}
