// A device library that does nothing and says yes: the benchmarks of the
// test pictures run against it to see the module's own time alone.
#include "korvio.h"

namespace {
unsigned gMemory[720 * 576];
}

extern "C" {
int Orbel_ClearCurrentScreen(int) { return 1; }
int Orbel_SetRectangle(int, int, int, int, const void*, int) { return 1; }
int Orbel_GetMemAddress(void** address, int) {
  *address = gMemory;
  return 1;
}
}
