// main() of the Wine test programs: GoogleTest's, then an immediate end
// once the results are reported and flushed, skipping the process's normal
// teardown (static destructors, DLL detach) under Wine; and the helpers
// every Wine test program shares (wine_testing.h).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "wine_testing.h"

std::string ProgramFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
