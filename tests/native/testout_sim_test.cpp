// The test output on simulated boards: what the board's output and frame
// memory hold afterwards, and the shipped TestAlpha.tga end to end.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "korvio.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "test_alpha_image.h"
#include "test_pictures.h"
#include "testout_expected.h"
#include "tga_stdio.h"

namespace {

constexpr int kFramePixels = 720 * 576;

class TestOutputSim : public ::testing::Test {
 protected:
  void SetUp() override { Start("2", false); }
  void TearDown() override {
    unsetenv("KORVSIM_BOARDS");
    unsetenv("KORVSIM_NO_MEMADDR");
    KorvSim_Reset();
  }
  // Opens boards 0 and 1 (as far as they exist); calls are counted from here.
  void Start(const char* boards, bool noMemAddress) {
    setenv("KORVSIM_BOARDS", boards, 1);
    if (noMemAddress)
      setenv("KORVSIM_NO_MEMADDR", "1", 1);
    else
      unsetenv("KORVSIM_NO_MEMADDR");
    KorvSim_Reset();
    Orbel_Initial(0, 1, 0);
    Orbel_Initial(1, 1, 0);
    first = KorvSim_CallCount();
  }
  int CallsSinceStart() { return KorvSim_CallCount() - first; }
  int first = 0;
};

TEST_F(TestOutputSim, ColorBarsReachTheOutputOfTheBoardNamed) {
  ASSERT_TRUE(SendColorBars(ColorBarPattern::Bars100_0_100_25, 1));
  EXPECT_EQ(CallsSinceStart(), 576);
  EXPECT_EQ(SimCallText(first), "Orbel_SetRectangle(0, 0, 720, 1, pixels, 1) = 1");
  EXPECT_EQ(SimCallText(first + 575), "Orbel_SetRectangle(0, 575, 720, 1, pixels, 1) = 1");

  std::vector<uint32_t> expected;
  const std::vector<uint32_t> row = ExpectedBarRow(ColorBarPattern::Bars100_0_100_25);
  for (int y = 0; y < 576; ++y) expected.insert(expected.end(), row.begin(), row.end());
  EXPECT_EQ(SimOutput(1), expected);
  EXPECT_EQ(SimOutput(0), std::vector<uint32_t>(kFramePixels, 0));
}

TEST_F(TestOutputSim, ClearOutputBlanksTheBarsWithOneCall) {
  SendColorBars(ColorBarPattern::Bars100_0_75_00, 0);
  first = KorvSim_CallCount();
  ClearOutput(0);
  EXPECT_EQ(CallsSinceStart(), 1);
  EXPECT_EQ(SimCallText(first), "Orbel_ClearCurrentScreen(0) = 1");
  EXPECT_EQ(SimOutput(0), std::vector<uint32_t>(kFramePixels, 0));
}

TEST_F(TestOutputSim, TheShippedPictureLandsCentredInTheFrameMemory) {
  StdioTgaPlatform platform;
  ASSERT_EQ(RunAlphaTest(KORV_TESTOUT_DIR, 1, platform), AlphaTestResult::Written);
  EXPECT_EQ(CallsSinceStart(), 1);
  EXPECT_EQ(SimCallText(first), "Orbel_GetMemAddress(&p, 1) = 1");
  EXPECT_EQ(SimMemory(1), ExpectedAlphaTestFrame());
  EXPECT_EQ(SimMemory(0), std::vector<uint32_t>(kFramePixels, 0));
  EXPECT_EQ(platform.beeps(), 0);
}

TEST_F(TestOutputSim, ABoardWithoutFrameMemoryAddressIsLeftAlone) {
  Start("1", true);
  StdioTgaPlatform platform;
  EXPECT_EQ(RunAlphaTest(KORV_TESTOUT_DIR, 0, platform), AlphaTestResult::NoFrameMemory);
  EXPECT_EQ(CallsSinceStart(), 1);
  EXPECT_EQ(SimMemory(0), std::vector<uint32_t>(kFramePixels, 0));
}

TEST(TestAlphaPicture, TheCommittedFileIsWhatTheToolMakes) {
  std::FILE* f = std::fopen(KORV_TESTOUT_DIR "TestAlpha.tga", "rb");
  ASSERT_NE(f, nullptr);
  std::vector<uint8_t> bytes;
  for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(uint8_t(c));
  std::fclose(f);
  EXPECT_EQ(bytes, MakeTestAlphaTga());
  EXPECT_LT(bytes.size(), 32u * 1024);
}

TEST(TestAlphaPicture, HasAnAlphaGradientAndBlackAndShowsTheCentring) {
  // Rows fall from opaque to transparent; the black stripe is black at every
  // alpha; the white outline marks the edge.
  EXPECT_EQ(TestAlphaPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(TestAlphaPixel(639, 479), 0xFFFFFFFFu);
  EXPECT_EQ(TestAlphaPixel(100, 4) >> 24, 0xFFu);
  EXPECT_EQ(TestAlphaPixel(100, 475) >> 24, 0x00u);
  std::vector<int> alphas;
  for (int y = 4; y < 476; ++y) alphas.push_back(int(TestAlphaPixel(100, y) >> 24));
  for (size_t i = 1; i < alphas.size(); ++i) ASSERT_LE(alphas[i], alphas[i - 1]);
  EXPECT_EQ(TestAlphaPixel(630, 240) & 0xFFFFFF, 0u);
  EXPECT_NE(TestAlphaPixel(630, 240) >> 24, 0u);
}

}  // namespace
