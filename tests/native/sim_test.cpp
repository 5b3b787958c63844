// The simulated boards stand in for the hardware in every other test, so
// their rules are checked here.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "korvio.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "temp_folder.h"

namespace {

class Sim : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"KORVSIM_BOARDS", "KORVSIM_SUBBOARD", "KORVSIM_FAIL_OPEN", "KORVSIM_FAIL_SETTER",
                             "KORVSIM_NO_MEMADDR", "KORVSIM_TRACE", "KORVSIM_PICTURES"})
      unsetenv(name);
    KorvSim_Reset();
  }
  void Configure(const char* name, const char* value) {
    setenv(name, value, 1);
    KorvSim_Reset();
  }
};

TEST_F(Sim, BoardCountComesFromTheEnvironment) {
  EXPECT_EQ(Orbel_GetCardNum(), 1);
  Configure("KORVSIM_BOARDS", "0");
  EXPECT_EQ(Orbel_GetCardNum(), 0);
  Configure("KORVSIM_BOARDS", "3");
  EXPECT_EQ(Orbel_GetCardNum(), 3);
  EXPECT_EQ(Orbel_Initial(2, 1, 0), 1);
  EXPECT_EQ(Orbel_Initial(3, 1, 0), 0);
  EXPECT_EQ(Orbel_Initial(-1, 1, 0), 0);
}

TEST_F(Sim, CallsOnAClosedBoardFailAndStoreNothing) {
  int v = 77;
  EXPECT_EQ(Orbel_GetContrast(&v, 0), 0);
  EXPECT_EQ(v, 77);
  EXPECT_EQ(Orbel_SetContrast(10, 0), 0);
  EXPECT_EQ(Orbel_Close(0), 0);
  void* address = nullptr;
  EXPECT_EQ(Orbel_GetMemAddress(&address, 0), 0);
  EXPECT_EQ(address, nullptr);

  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  EXPECT_EQ(Orbel_SetContrast(10, 0), 1);
  EXPECT_EQ(Orbel_GetContrast(&v, 0), 1);
  EXPECT_EQ(v, 10);
  EXPECT_EQ(Orbel_Close(0), 1);
  EXPECT_EQ(KorvSim_IsOpen(0), 0);
  EXPECT_EQ(Orbel_GetContrast(&v, 0), 0);
}

TEST_F(Sim, SettersRefuseCodesTheBoardDoesNotHave) {
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  EXPECT_EQ(Orbel_SetCmpsOrSvideo(5, 0), 1);
  EXPECT_EQ(Orbel_SetCmpsOrSvideo(4, 0), 0);
  EXPECT_EQ(Orbel_SetCmpsOrSvideo(3, 0), 0) << "SDI needs the sub-board";
  EXPECT_EQ(Orbel_SetAudioSrc(1, 0), 0) << "SDI audio needs the sub-board";
  EXPECT_EQ(Orbel_SetContrast(256, 0), 0);
  EXPECT_EQ(Orbel_SetContrast(-1, 0), 0);
  EXPECT_EQ(Orbel_SetCapVideoSrc(0, 0), 0);
  EXPECT_EQ(Orbel_SetCapVideoSrc(2, 0), 1);
  EXPECT_EQ(Orbel_SetPlayBufferRepeatMode(4, 0), 0);
  EXPECT_EQ(Orbel_SetInnerOrExtraSync(2, 0), 1);
  EXPECT_EQ(Orbel_SetInnerOrExtraSync(3, 0), 0);
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 5) << "a refused value leaves the setting alone";
}

TEST_F(Sim, SubBoardOptionEnablesSdiAndIsReported) {
  Configure("KORVSIM_BOARDS", "3");
  Configure("KORVSIM_SUBBOARD", "1,2");
  for (int card = 0; card < 3; ++card) ASSERT_EQ(Orbel_Initial(card, 1, 0), 1);
  int v = -1;
  Orbel_GetSubBoardIfExist(&v, 0);
  EXPECT_EQ(v, 0);
  Orbel_GetSubBoardIfExist(&v, 2);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(Orbel_SetCmpsOrSvideo(3, 0), 0);
  EXPECT_EQ(Orbel_SetCmpsOrSvideo(3, 1), 1);
  EXPECT_EQ(Orbel_SetAudioSrc(1, 2), 1);

  Configure("KORVSIM_SUBBOARD", "none");
  EXPECT_EQ(KorvSim_Peek("SubBoardIfExist", 0), 0);
  Configure("KORVSIM_SUBBOARD", "all");
  EXPECT_EQ(KorvSim_Peek("SubBoardIfExist", 2), 1);
}

TEST_F(Sim, FailureInjection) {
  Configure("KORVSIM_BOARDS", "2");
  Configure("KORVSIM_FAIL_OPEN", "1");
  Configure("KORVSIM_FAIL_SETTER", "CmpsOrSvideo,Contrast");
  EXPECT_EQ(Orbel_Initial(1, 1, 0), 0);
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  EXPECT_EQ(Orbel_SetCmpsOrSvideo(0, 0), 0);
  EXPECT_EQ(Orbel_SetContrast(128, 0), 0);
  EXPECT_EQ(Orbel_SetLight(128, 0), 1);
}

TEST_F(Sim, CallsAreRecordedInOrderWithArguments) {
  Orbel_GetCardNum();
  Orbel_Initial(0, 1, 0);
  Orbel_SetHue(12, 0);
  ASSERT_EQ(KorvSim_CallCount(), 3);
  EXPECT_EQ(SimCallText(0), "Orbel_GetCardNum() = 1");
  EXPECT_EQ(SimCallText(1), "Orbel_Initial(0, 1, 0) = 1");
  EXPECT_EQ(SimCallText(2), "Orbel_SetHue(12, 0) = 1");
  EXPECT_LE(KorvSim_Call(0, nullptr, 0), KorvSim_Call(2, nullptr, 0));
  EXPECT_LE(KorvSim_Call(2, nullptr, 0), KorvSim_Now());
  EXPECT_EQ(KorvSim_Call(3, nullptr, 0), -1);
}

// Scripted results and discarded pictures hold until the next reset.
TEST_F(Sim, ScriptedResultsAndDiscardedPicturesLastUntilAReset) {
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  unsigned row[KORVSIM_WIDTH];
  std::fill_n(row, KORVSIM_WIDTH, 0xFF123456u);
  KorvSim_SetResult("Orbel_SetContrast", 0);
  KorvSim_SetResult("Orbel_GetCardNum", -1);
  EXPECT_EQ(Orbel_SetContrast(10, 0), 0);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 10) << "the setter still does its work";
  EXPECT_EQ(Orbel_GetCardNum(), -1);
  EXPECT_EQ(Orbel_SetLight(10, 0), 1);
  KorvSim_DiscardPictures(1);
  EXPECT_EQ(Orbel_SetRectangle(0, 0, 720, 1, row, 0), 1);
  EXPECT_EQ(Orbel_SetRectangle(0, 576, 720, 1, nullptr, 0), 1);
  EXPECT_EQ(Orbel_ClearCurrentScreen(7), 1);
  EXPECT_EQ(KorvSim_Output(0)[0], 0u);
  EXPECT_EQ(SimCalls(1), (std::vector<std::string>{"Orbel_SetContrast(10, 0) = 0", "Orbel_GetCardNum() = -1",
                                                    "Orbel_SetLight(10, 0) = 1"}));

  KorvSim_Reset();
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  EXPECT_EQ(Orbel_SetContrast(10, 0), 1);
  EXPECT_EQ(Orbel_GetCardNum(), 1);
  EXPECT_EQ(Orbel_SetRectangle(0, 0, 720, 1, row, 0), 1);
  EXPECT_EQ(KorvSim_Output(0)[0], 0xFF123456u);
  EXPECT_EQ(Orbel_ClearCurrentScreen(7), 0);
  EXPECT_EQ(KorvSim_CallCount(), 5);
}

TEST_F(Sim, TraceFileGetsOneLinePerCall) {
  TempFolder folder;
  const std::string path = folder.Path() + "korvsim_trace.txt";
  Configure("KORVSIM_TRACE", path.c_str());
  Orbel_Initial(0, 1, 0);
  int v;
  Orbel_GetVideoMode(&v, 0);
  std::ifstream in(path);
  std::string line1, line2, line3;
  std::getline(in, line1);
  std::getline(in, line2);
  EXPECT_EQ(line1, "Orbel_Initial(0, 1, 0) = 1");
  EXPECT_EQ(line2, "Orbel_GetVideoMode(&v, 0) -> 1 = 1");
  EXPECT_FALSE(std::getline(in, line3));
}

TEST_F(Sim, RectanglesReachTheOutputAndBadOnesAreRefused) {
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  unsigned row[KORVSIM_WIDTH];
  for (int x = 0; x < KORVSIM_WIDTH; ++x) row[x] = 0xFF000000u | x;
  EXPECT_EQ(Orbel_SetRectangle(0, 575, 720, 1, row, 0), 1);
  EXPECT_EQ(KorvSim_Output(0)[575 * 720 + 719], 0xFF0002CFu);
  EXPECT_EQ(Orbel_SetRectangle(0, 576, 720, 1, row, 0), 0);
  EXPECT_EQ(Orbel_SetRectangle(1, 0, 720, 1, row, 0), 0);
  EXPECT_EQ(Orbel_SetRectangle(0, 0, 720, 1, nullptr, 0), 0);
  EXPECT_EQ(Orbel_ClearCurrentScreen(0), 1);
  EXPECT_EQ(KorvSim_Output(0)[575 * 720 + 719], 0u);
}

TEST_F(Sim, FrameMemoryIsOneWholeFrame) {
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  void* address = nullptr;
  ASSERT_EQ(Orbel_GetMemAddress(&address, 0), 1);
  ASSERT_EQ(address, KorvSim_Memory(0));
  static_cast<unsigned*>(address)[KORVSIM_WIDTH * KORVSIM_HEIGHT - 1] = 0x80FFFFFFu;
  EXPECT_EQ(KorvSim_Memory(0)[KORVSIM_WIDTH * KORVSIM_HEIGHT - 1], 0x80FFFFFFu);

  Configure("KORVSIM_NO_MEMADDR", "1");
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  address = nullptr;
  EXPECT_EQ(Orbel_GetMemAddress(&address, 0), 0);
  EXPECT_EQ(address, nullptr);
}

TEST_F(Sim, LastWrittenFollowsTheLatestOfOutputAndFrameMemory) {
  EXPECT_EQ(KorvSim_LastWritten(0), KORVSIM_OUTPUT);
  EXPECT_EQ(KorvSim_LastWritten(1), -1);
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  static unsigned row[KORVSIM_WIDTH];
  static void* address;
  const struct {
    const char* step;
    int (*call)();
    int result;
    int last;
  } steps[] = {
      {"address", [] { return Orbel_GetMemAddress(&address, 0); }, 1, KORVSIM_MEMORY},
      {"refused rectangle", [] { return Orbel_SetRectangle(0, 576, 720, 1, row, 0); }, 0, KORVSIM_MEMORY},
      {"rectangle", [] { return Orbel_SetRectangle(0, 0, 720, 1, row, 0); }, 1, KORVSIM_OUTPUT},
      {"address again", [] { return Orbel_GetMemAddress(&address, 0); }, 1, KORVSIM_MEMORY},
      {"clear", [] { return Orbel_ClearCurrentScreen(0); }, 1, KORVSIM_OUTPUT},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    EXPECT_EQ(s.call(), s.result);
    EXPECT_EQ(KorvSim_LastWritten(0), s.last);
  }
}

TEST_F(Sim, PicturesAreWrittenWhenAFrameIsComplete) {
  TempFolder folder;
  const std::string& dir = folder.Path();
  Configure("KORVSIM_PICTURES", dir.c_str());
  ASSERT_EQ(Orbel_Initial(0, 1, 0), 1);
  unsigned row[KORVSIM_WIDTH] = {};
  Orbel_SetRectangle(0, 0, 720, 1, row, 0);
  EXPECT_FALSE(std::ifstream(dir + "board0-output.png").good()) << "not before the last row";
  Orbel_SetRectangle(0, 575, 720, 1, row, 0);
  EXPECT_TRUE(std::ifstream(dir + "board0-output.png").good());

  void* address;
  Orbel_GetMemAddress(&address, 0);
  EXPECT_FALSE(std::ifstream(dir + "board0-memory.png").good());
  Orbel_Close(0);
  EXPECT_TRUE(std::ifstream(dir + "board0-memory.png").good());
}

}  // namespace
