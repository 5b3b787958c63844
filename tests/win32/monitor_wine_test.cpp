// The demo host's board monitor on the simulated korvio.dll: what the window
// shows on the screen, read back from it pixel for pixel, is the picture
// the simulator saves as a PNG file, and its status line follows the board.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "board_monitor.h"
#include "host_path.h"
#include "korvio.h"
#include "korvsim.h"
#include "test_pictures.h"
#include "tga_win32.h"
#include "ui_driver.h"
#include "wine_testing.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb_image.h>

namespace {

using Picture = std::vector<uint32_t>;  // 720 x 576, 0x00RRGGBB
using ui::Text;
using ui::W;

// Runs this thread's messages, so the monitor's timer, until done() holds;
// the time it took in milliseconds, or -1 after the limit.
double PumpUntil(const std::function<bool()>& done, int limitMs = 5000) {
  auto start = std::chrono::steady_clock::now();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (done()) return ms;
    if (ms > limitMs) return -1;
    Sleep(5);
  }
}

// The monitor's picture as the screen shows it, copied from the window.
Picture Shown(HWND monitor) {
  RECT r = BoardMonitorPictureRect(monitor);
  if (r.right - r.left != KORVSIM_WIDTH || r.bottom - r.top != KORVSIM_HEIGHT) return {};
  return ScreenPixels(monitor, r);
}

Picture ReadPng(const std::string& path) {
  int w = 0, h = 0, n = 0;
  unsigned char* rgb = stbi_load(path.c_str(), &w, &h, &n, 3);
  Picture p;
  if (rgb && w == KORVSIM_WIDTH && h == KORVSIM_HEIGHT) {
    for (int i = 0; i < w * h; ++i) p.push_back(rgb[i * 3] << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2]);
  }
  stbi_image_free(rgb);
  return p;
}

class Monitor : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("KORVSIM_PICTURES", pictures.c_str());
    KorvSim_Reset();
    ASSERT_TRUE(Orbel_Initial(0, 1, 0));
    SimInspection sim;
    ASSERT_TRUE(FindSimInspection(sim));
    monitor = CreateBoardMonitor(sim);
    ASSERT_NE(monitor, nullptr);
    status = FindWindowExA(monitor, nullptr, "STATIC", nullptr);
  }
  void TearDown() override {
    DestroyWindow(monitor);
  }
  // Waits until the monitor shows the picture the simulator saved last as
  // `file`; the wait in milliseconds, -1 when it never does.
  double WaitShows(const char* file) {
    Picture expected = ReadPng(pictures + file);
    EXPECT_FALSE(expected.empty()) << file;
    return PumpUntil([&] { return Shown(monitor) == expected; });
  }
  TempFolder folder;
  const std::string pictures = AnsiText(folder.Path());  // for the PNG reader
  HWND monitor = nullptr;
  HWND status = nullptr;
  Win32TgaPlatform platform;
};

TEST_F(Monitor, ShowsEachNewOutputPictureAsTheSimulatorSavesIt) {
  const struct {
    const char* step;
    std::function<void()> run;
  } steps[] = {
      {"100-0-75-00", [] { SendColorBars(ColorBarPattern::Bars100_0_75_00, 0); }},
      {"100-0-100-25", [] { SendColorBars(ColorBarPattern::Bars100_0_100_25, 0); }},
      {"clear", [] { ClearOutput(0); }},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    s.run();
    double ms = WaitShows("board0-output.png");
    EXPECT_GE(ms, 0) << "the monitor never showed it";
    std::printf("%s shown after %.0f ms\n", s.step, ms);
    EXPECT_NE(Text(monitor).find(L", output"), std::wstring::npos) << Text(monitor);
  }
}

TEST_F(Monitor, ShowsTheAlphaTestFrameUntilTheOutputIsWrittenAgain) {
  ASSERT_EQ(RunAlphaTest(ProgramFolder(), 0, platform), AlphaTestResult::Written);
  Orbel_Close(0);  // the simulator saves the frame memory now
  EXPECT_GE(WaitShows("board0-memory.png"), 0);
  EXPECT_NE(Text(monitor).find(L"frame memory (closed)"), std::wstring::npos) << Text(monitor);

  ASSERT_TRUE(Orbel_Initial(0, 1, 0));
  SendColorBars(ColorBarPattern::Bars100_0_100_00, 0);
  EXPECT_GE(WaitShows("board0-output.png"), 0);
}

TEST_F(Monitor, StatusLineFollowsTheBoardsSettingsInWords) {
  const struct {
    std::function<void()> change;
    const char* words;
  } steps[] = {
      {[] { Orbel_SetContrast(37, 0); }, "contrast 37,"},
      {[] { Orbel_SetCmpsOrSvideo(2, 0); }, "video-source yuv,"},
      {[] { Orbel_SetPlayBufferRepeatMode(3, 0); }, "pause-mode second-field"},
      {[] { Orbel_SetAudioVolumn(255, 0); }, "audio-volume 255,"},
      {[] { Orbel_Close(0); }, "Board 1 (closed):"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.words);
    s.change();
    EXPECT_GE(PumpUntil([&] { return Text(status).find(W(s.words)) != std::wstring::npos; }), 0) << Text(status);
  }
}

}  // namespace
