// main() of the Wine test programs: GoogleTest's, then an immediate end
// once the results are reported and flushed, skipping the process's normal
// teardown (static destructors, DLL detach) under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
