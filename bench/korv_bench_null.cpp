// SendColorBars on a device library that does nothing and says yes, to see
// the module's own time alone.
//   korv_bench_null FILES_DIR [benchmark options]
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench_run.h"
#include "korvio.h"
#include "test_pictures.h"

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

namespace {

void SendBars(benchmark::State& state) {
  for (auto _ : state) SendColorBars(ColorBarPattern::Bars100_0_75_00, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: %s FILES_DIR [benchmark options]\n", argv[0]);
    return 2;
  }
  benchmark::RegisterBenchmark("bars/send/null", SendBars)->Unit(benchmark::kMicrosecond);
  return RunBenchmarks(argc, argv);
}
