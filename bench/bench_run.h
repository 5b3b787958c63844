// The end of both benchmark programs' main, once their cases are
// registered: the benchmark library's options follow FILES_DIR, which it
// must not see.
#pragma once

#include <benchmark/benchmark.h>

inline int RunBenchmarks(int argc, char** argv) {
  --argc;
  ++argv;
  argv[0] = argv[-1];
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
