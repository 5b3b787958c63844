// Times the TGA reader against stb_image on the files of make-files.sh, and
// the test pictures against one copy of a 720 x 576 frame, on the simulated
// boards and with the simulator discarding every picture (the module's own
// time alone).
//   korv_bench FILES_DIR [benchmark options]
//   korv_bench --once ours|stb FILE     one decode, for callgrind
//   korv_bench --once alpha FILES_DIR   one whole alpha test, for callgrind
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "korvio.h"
#include "korvsim.h"
#include "memory_tga_platform.h"
#include "test_pictures.h"
#include "tga_reader.h"
#include "tga_stdio.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#include "stb_image.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kFrameBytes = sizeof(VideoFrame);

Bytes ReadAll(const std::string& path) {
  // In one read: a character at a time takes half a minute for the files
  // in a sanitized debug tree.
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  Bytes bytes(in ? static_cast<size_t>(in.tellg()) : 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// One load as the module does it, from a file in memory into an image.
__attribute__((noinline)) size_t DecodeOurs(MemoryTgaPlatform& platform) {
  MemoryImageHolder holder;
  TgaImageReader reader(platform);
  if (reader.LoadTgaFile("f.tga", holder) != TgaLoadResult::Loaded) return 0;
  benchmark::DoNotOptimize(holder.data());
  return holder.size();
}

__attribute__((noinline)) size_t DecodeStb(const Bytes& file) {
  int w = 0, h = 0, channels = 0;
  stbi_uc* p = stbi_load_from_memory(file.data(), int(file.size()), &w, &h, &channels, 4);
  benchmark::DoNotOptimize(p);
  stbi_image_free(p);
  return p ? size_t(w) * size_t(h) : 0;
}

void FrameCopy(benchmark::State& state) {
  std::unique_ptr<VideoFrame> from(new VideoFrame()), to(new VideoFrame());
  for (auto _ : state) {
    std::memcpy(to.get(), from.get(), kFrameBytes);
    benchmark::ClobberMemory();
  }
}

void Ours(benchmark::State& state, std::shared_ptr<Bytes> file) {
  MemoryTgaPlatform platform;
  platform.AddFile("f.tga", *file);
  if (!DecodeOurs(platform)) state.SkipWithError("not decoded");
  for (auto _ : state) DecodeOurs(platform);
}

void Stb(benchmark::State& state, std::shared_ptr<Bytes> file) {
  if (!DecodeStb(*file)) state.SkipWithError("not decoded");
  for (auto _ : state) DecodeStb(*file);
}

// An open simulated board. The simulator keeps a record of every call, so
// every 64 iterations, outside the timed part, it starts afresh (not every
// time: its reset rewrites megabytes, which would be timed in the caches).
void FreshBoard(benchmark::State& state, int64_t& runs) {
  if (runs++ % 64 != 0) return;
  state.PauseTiming();
  KorvSim_Reset();
  Orbel_Initial(0, 1, 0);
  state.ResumeTiming();
}

// File on disk to frame memory.
void AlphaWhole(benchmark::State& state, std::string dir) {
  StdioTgaPlatform platform;
  int64_t runs = 0;
  for (auto _ : state) {
    FreshBoard(state, runs);
    if (RunAlphaTest(dir + "/alpha/", 0, platform) != AlphaTestResult::Written) state.SkipWithError("not written");
  }
}

// The load alone: file on disk to image.
void AlphaLoad(benchmark::State& state, std::string dir) {
  StdioTgaPlatform platform;
  for (auto _ : state) {
    MemoryImageHolder holder;
    TgaImageReader reader(platform);
    reader.LoadTgaFile(dir + "/alpha/TestAlpha.tga", holder);
  }
}

void AlphaPlace(benchmark::State& state, std::string dir) {
  StdioTgaPlatform platform;
  MemoryImageHolder holder;
  TgaImageReader reader(platform);
  reader.LoadTgaFile(dir + "/alpha/TestAlpha.tga", holder);
  std::vector<uint32_t> pixels = holder.pixels();
  std::unique_ptr<VideoFrame> frame(new VideoFrame());
  for (auto _ : state) {
    PlaceImageInFrame(pixels.data(), VideoFrame::kWidth, VideoFrame::kHeight, *frame);
    benchmark::ClobberMemory();
  }
}

void FillBars(benchmark::State& state) {
  std::unique_ptr<VideoFrame> frame(new VideoFrame());
  for (auto _ : state) {
    FillColorBars(ColorBarPattern::Bars100_0_75_00, *frame);
    benchmark::ClobberMemory();
  }
}

// The simulator's own 576 calls of one row each.
void SimRows(benchmark::State& state) {
  std::unique_ptr<VideoFrame> frame(new VideoFrame());
  FillColorBars(ColorBarPattern::Bars100_0_75_00, *frame);
  int64_t runs = 0;
  for (auto _ : state) {
    FreshBoard(state, runs);
    for (int y = 0; y < VideoFrame::kHeight; ++y) Orbel_SetRectangle(0, y, VideoFrame::kWidth, 1, frame->pixels[y], 0);
  }
}

void SendBars(benchmark::State& state) {
  int64_t runs = 0;
  for (auto _ : state) {
    FreshBoard(state, runs);
    SendColorBars(ColorBarPattern::Bars100_0_75_00, 0);
  }
}

// The rows go nowhere: each call answers yes at once.
void SendBarsNull(benchmark::State& state) {
  KorvSim_DiscardPictures(1);
  for (auto _ : state) SendColorBars(ColorBarPattern::Bars100_0_75_00, 0);
  KorvSim_DiscardPictures(0);
}

// The benchmark library's options follow FILES_DIR, which it must not see.
int RunBenchmarks(int argc, char** argv) {
  --argc;
  ++argv;
  argv[0] = argv[-1];
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--once") == 0 && std::strcmp(argv[2], "alpha") == 0) {
    Orbel_Initial(0, 1, 0);
    StdioTgaPlatform platform;
    return RunAlphaTest(std::string(argv[3]) + "/alpha/", 0, platform) == AlphaTestResult::Written ? 0 : 1;
  }
  if (argc == 4 && std::strcmp(argv[1], "--once") == 0) {
    Bytes file = ReadAll(argv[3]);
    MemoryTgaPlatform platform;
    platform.AddFile("f.tga", file);
    size_t n = std::strcmp(argv[2], "stb") == 0 ? DecodeStb(file) : DecodeOurs(platform);
    return n ? 0 : 1;
  }
  if (argc < 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: %s FILES_DIR [benchmark options]\n       %s --once ours|stb FILE\n", argv[0], argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const auto us = benchmark::kMicrosecond;
  benchmark::RegisterBenchmark("copy/frame", FrameCopy)->Unit(us);
  std::ifstream list(dir + "/files.txt");
  for (std::string name; std::getline(list, name);) {
    auto file = std::make_shared<Bytes>(ReadAll(dir + "/" + name));
    const std::string stem = name.substr(0, name.size() - 4);
    benchmark::RegisterBenchmark(("decode/" + stem + "/ours").c_str(), Ours, file)->Unit(us);
    benchmark::RegisterBenchmark(("decode/" + stem + "/stb").c_str(), Stb, file)->Unit(us);
  }
  benchmark::RegisterBenchmark("alpha/whole", AlphaWhole, dir)->Unit(us);
  benchmark::RegisterBenchmark("alpha/load", AlphaLoad, dir)->Unit(us);
  benchmark::RegisterBenchmark("alpha/place", AlphaPlace, dir)->Unit(us);
  benchmark::RegisterBenchmark("bars/fill", FillBars)->Unit(us);
  benchmark::RegisterBenchmark("bars/send/sim", SendBars)->Unit(us);
  benchmark::RegisterBenchmark("bars/send/null", SendBarsNull)->Unit(us);
  benchmark::RegisterBenchmark("bars/sim-rows", SimRows)->Unit(us);
  return RunBenchmarks(argc, argv);
}
