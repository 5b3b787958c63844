// The test output on simulated boards: which calls, what the board's output
// and frame memory hold afterwards, none at all where a command gives up, and
// the shipped TestAlpha.tga end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "korvio.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "memory_tga_platform.h"
#include "scripted_memory.h"
#include "test_alpha_image.h"
#include "test_pictures.h"
#include "testout_expected.h"
#include "tga_builder.h"
#include "tga_stdio.h"

namespace {

constexpr int kW = VideoFrame::kWidth;
constexpr int kH = VideoFrame::kHeight;
constexpr int kFramePixels = kW * kH;

class TestOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    Start("2");
    g_memoryScript = MemoryScript();
  }
  void TearDown() override {
    unsetenv("KORVSIM_BOARDS");
    unsetenv("KORVSIM_NO_MEMADDR");
    KorvSim_Reset();
  }
  // Opens the simulated boards; the calls are recorded from here.
  void Start(const char* boards, bool noMemAddress = false) {
    setenv("KORVSIM_BOARDS", boards, 1);
    if (noMemAddress)
      setenv("KORVSIM_NO_MEMADDR", "1", 1);
    else
      unsetenv("KORVSIM_NO_MEMADDR");
    KorvSim_Reset();
    for (int card = 0; card < std::atoi(boards); ++card) Orbel_Initial(card, 1, 0);
    KorvSim_ForgetCalls();
  }
};

// Row y of a board's picture.
std::vector<uint32_t> Row(const std::vector<uint32_t>& picture, int y) {
  return std::vector<uint32_t>(picture.begin() + y * kW, picture.begin() + (y + 1) * kW);
}

// ---- Colour bars and clear output ----

class ColorBars : public TestOutput, public ::testing::WithParamInterface<ColorBarPattern> {};

TEST_P(ColorBars, SendsAllRowsTopToBottomWithTheExactBarsToTheBoardNamed) {
  ASSERT_TRUE(SendColorBars(GetParam(), 1));
  std::vector<std::string> expectedCalls;
  for (int y = 0; y < kH; ++y)
    expectedCalls.push_back("Orbel_SetRectangle(0, " + std::to_string(y) + ", 720, 1, pixels, 1) = 1");
  EXPECT_EQ(SimCalls(), expectedCalls);
  const std::vector<uint32_t> output = SimOutput(1);
  const std::vector<uint32_t> row = ExpectedBarRow(GetParam());
  for (int y = 0; y < kH; ++y) ASSERT_EQ(Row(output, y), row) << "row " << y;
  const uint32_t* last = &output[575 * kW];
  const uint32_t* bars = ExpectedBars(GetParam());
  EXPECT_EQ(last[89], bars[0]);
  EXPECT_EQ(last[90], bars[1]);
  EXPECT_EQ(last[629], bars[6]);
  EXPECT_EQ(last[630], 0xFF000000u);
  EXPECT_EQ(last[719], 0xFF000000u);
  EXPECT_EQ(SimOutput(0), std::vector<uint32_t>(kFramePixels, 0));
}

INSTANTIATE_TEST_SUITE_P(AllPatterns, ColorBars,
                         ::testing::Values(ColorBarPattern::Bars100_0_100_00, ColorBarPattern::Bars100_0_100_25,
                                           ColorBarPattern::Bars100_0_75_00),
                         [](const ::testing::TestParamInfo<ColorBarPattern>& info) {
                           std::string name = ColorBarCaption(info.param);
                           std::replace(name.begin(), name.end(), '-', '_');
                           return "Bars" + name;
                         });

TEST_F(TestOutput, TwoClicksSendTwoWholeFramesEvenWhenTheBoardRefusesRows) {
  KorvSim_SetResult("Orbel_SetRectangle", 0);
  SendColorBars(ColorBarPattern::Bars100_0_100_25, 0);
  SendColorBars(ColorBarPattern::Bars100_0_100_25, 0);
  ASSERT_EQ(KorvSim_CallCount(), 1152);
  EXPECT_EQ(SimCallText(575), "Orbel_SetRectangle(0, 575, 720, 1, pixels, 0) = 0");
  EXPECT_EQ(SimCallText(576), "Orbel_SetRectangle(0, 0, 720, 1, pixels, 0) = 0");
  EXPECT_EQ(SimCallText(1151), "Orbel_SetRectangle(0, 575, 720, 1, pixels, 0) = 0");
  EXPECT_EQ(Row(SimOutput(0), 575), ExpectedBarRow(ColorBarPattern::Bars100_0_100_25));
}

TEST_F(TestOutput, ColorBarsWithoutMemoryMakeNoDeviceCall) {
  g_memoryScript.failAt = 1;
  EXPECT_FALSE(SendColorBars(ColorBarPattern::Bars100_0_100_00, 0));
  EXPECT_EQ(g_memoryScript.sizes, std::vector<size_t>{1658880});
  EXPECT_EQ(KorvSim_CallCount(), 0);
}

TEST_F(TestOutput, ClearOutputBlanksTheBarsWithOneCallAndNoFrame) {
  SendColorBars(ColorBarPattern::Bars100_0_75_00, 1);
  KorvSim_ForgetCalls();
  g_memoryScript = MemoryScript();
  ClearOutput(1);
  EXPECT_EQ(SimCalls(), std::vector<std::string>{"Orbel_ClearCurrentScreen(1) = 1"});
  EXPECT_EQ(SimOutput(1), std::vector<uint32_t>(kFramePixels, 0));
  EXPECT_TRUE(g_memoryScript.sizes.empty());
}

// ---- Placing an image in the frame ----

// A distinct nonzero pixel for every image position.
uint32_t ImagePixel(int x, int y) { return 0x80000000u | uint32_t(y) << 12 | uint32_t(x + 1); }

std::vector<uint32_t> MakeImage(int w, int h) {
  std::vector<uint32_t> image(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image[size_t(y) * w + x] = ImagePixel(x, y);
  return image;
}

struct Placed {
  std::unique_ptr<VideoFrame> frame = std::make_unique<VideoFrame>();
  uint32_t at(int x, int y) const { return frame->pixels[y][x]; }
  int nonZero() const {
    int n = 0;
    for (auto& row : frame->pixels)
      for (uint32_t p : row) n += p != 0;
    return n;
  }
};

// Places a w x h image in a frame full of leftovers.
Placed Place(int w, int h) {
  Placed placed;
  for (auto& row : placed.frame->pixels)
    for (uint32_t& p : row) p = 0xDEADBEEF;
  std::vector<uint32_t> image = MakeImage(w, h);
  PlaceImageInFrame(image.data(), w, h, *placed.frame);
  return placed;
}

TEST(PlaceImageInFrame, FullSizeImageFillsTheFrameOneToOne) {
  Placed p = Place(720, 576);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(p.at(x, y), ImagePixel(x, y)) << x << "," << y;
}

TEST(PlaceImageInFrame, SmallerImagesAreCentredWithTheOddSpareRightAndBelow) {
  Placed half = Place(360, 288);
  EXPECT_EQ(half.at(180, 144), ImagePixel(0, 0));
  EXPECT_EQ(half.at(539, 431), ImagePixel(359, 287));
  EXPECT_EQ(half.at(179, 144), 0u);
  EXPECT_EQ(half.at(540, 431), 0u);
  EXPECT_EQ(half.at(180, 143), 0u);
  EXPECT_EQ(half.at(539, 432), 0u);
  EXPECT_EQ(half.nonZero(), 360 * 288);

  Placed almost = Place(719, 575);
  EXPECT_EQ(almost.at(0, 0), ImagePixel(0, 0));
  EXPECT_EQ(almost.at(718, 574), ImagePixel(718, 574));
  EXPECT_EQ(almost.nonZero(), 719 * 575);  // column 719 and row 575 are 0

  Placed odd = Place(717, 573);
  EXPECT_EQ(odd.at(0, 100), 0u);
  EXPECT_EQ(odd.at(1, 1), ImagePixel(0, 0));
  EXPECT_EQ(odd.at(717, 573), ImagePixel(716, 572));
  EXPECT_EQ(odd.at(718, 573), 0u);
  EXPECT_EQ(odd.at(717, 574), 0u);
  EXPECT_EQ(odd.nonZero(), 717 * 573);

  // As wide as the frame, with an odd spare height: one zero row above, two
  // below; and as wide but taller: cut below.
  for (int h : {573, 700}) {
    Placed wide = Place(720, h);
    const int yoff = h < kH ? 1 : 0;
    for (int y = 0; y < kH; ++y)
      for (int x : {0, 719}) {
        const int sy = y - yoff;
        ASSERT_EQ(wide.at(x, y), sy >= 0 && sy < h ? ImagePixel(x, sy) : 0u) << x << "," << y << " of 720 x " << h;
      }
    EXPECT_EQ(wide.nonZero(), 720 * std::min(h, kH));
  }

  Placed dot = Place(1, 1);
  EXPECT_EQ(dot.at(359, 287), ImagePixel(0, 0));
  EXPECT_EQ(dot.nonZero(), 1);
}

TEST(PlaceImageInFrame, LargerImagesKeepTheirTopLeftCornerWithTheirOwnRowLength) {
  Placed big = Place(800, 600);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(big.at(x, y), ImagePixel(x, y)) << x << "," << y;

  // Narrow and tall: centred across, cut below.
  Placed tall = Place(100, 1000);
  for (int y = 0; y < kH; ++y) {
    ASSERT_EQ(tall.at(309, y), 0u);
    ASSERT_EQ(tall.at(310, y), ImagePixel(0, y));
    ASSERT_EQ(tall.at(409, y), ImagePixel(99, y));
    ASSERT_EQ(tall.at(410, y), 0u);
  }
  EXPECT_EQ(tall.nonZero(), 100 * 576);
}

TEST(PlaceImageInFrame, AnImageWithoutPixelsLeavesTheFrameZero) {
  for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-5, 10}, {10, -5}, {INT_MIN, INT_MIN}}) {
    Placed p;
    for (auto& row : p.frame->pixels)
      for (uint32_t& q : row) q = 0xDEADBEEF;
    uint32_t one = 0xFFFFFFFF;
    PlaceImageInFrame(&one, w, h, *p.frame);
    EXPECT_EQ(p.nonZero(), 0) << w << " x " << h;
  }
}

// ---- The alpha test command ----

const char kDir[] = "/korvex/";
const char kPath[] = "/korvex/TestAlpha.tga";

// What the frame memory of both boards holds before a test: a pattern, so
// that a write of zeros shows. (The sanitizers catch a write past its end.)
constexpr uint32_t kLeftover = 0xCCCCCCCC;
const std::vector<uint32_t> kUntouched(kFramePixels, kLeftover);

class AlphaTest : public TestOutput {
 protected:
  void SetUp() override {
    TestOutput::SetUp();
    FillFrameMemory();
  }
  // Fresh boards with the pattern in their frame memory; no call recorded.
  void FillFrameMemory() {
    Start("2");
    for (int card : {0, 1}) {
      void* address = nullptr;
      ASSERT_EQ(Orbel_GetMemAddress(&address, card), 1);
      std::fill_n(static_cast<uint32_t*>(address), kFramePixels, kLeftover);
    }
    KorvSim_ForgetCalls();
  }
  void AddImage(int w, int h, const std::vector<uint32_t>& pixels) {
    platform.AddFile(kPath, EncodeRleTga32(pixels.data(), w, h));
  }
  void ExpectNoDeviceCall() {
    EXPECT_EQ(KorvSim_CallCount(), 0);
    EXPECT_EQ(SimMemory(0), kUntouched);
    EXPECT_EQ(platform.stats().openFiles, 0);
  }
  MemoryTgaPlatform platform;
};

TEST_F(AlphaTest, WritesTheCentredImageIntoTheFrameMemoryOfTheBoardNamed) {
  // 3 x 2, with a black pixel of alpha 0x80 that arrives keyed to 0.
  AddImage(3, 2, {0x11223344, 0x80000000, 0x01000001, 0xFF0000FF, 0x00FFFFFF, 0x7F102030});
  EXPECT_EQ(RunAlphaTest(kDir, 1, platform), AlphaTestResult::Written);
  EXPECT_EQ(SimCalls(), std::vector<std::string>{"Orbel_GetMemAddress(&p, 1) = 1"});

  std::vector<uint32_t> expected(kFramePixels, 0);
  const uint32_t image[2][3] = {{0x11223344, 0, 0x01000001}, {0xFF0000FF, 0x00FFFFFF, 0x7F102030}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) expected[(287 + y) * kW + 358 + x] = image[y][x];
  EXPECT_EQ(SimMemory(1), expected);
  EXPECT_EQ(SimMemory(0), kUntouched);
  EXPECT_EQ(platform.stats().openFiles, 0);
}

TEST_F(AlphaTest, TheShippedPictureLandsCentredInTheFrameMemory) {
  StdioTgaPlatform files;
  ASSERT_EQ(RunAlphaTest(KORV_TESTOUT_DIR, 1, files), AlphaTestResult::Written);
  EXPECT_EQ(SimCalls(), std::vector<std::string>{"Orbel_GetMemAddress(&p, 1) = 1"});
  EXPECT_EQ(SimMemory(1), ExpectedAlphaTestFrame());
  EXPECT_EQ(SimMemory(0), kUntouched);
  EXPECT_EQ(files.beeps(), 0);
}

TEST_F(AlphaTest, AMissingOrUnsupportedFileMakesNoDeviceCall) {
  EXPECT_EQ(RunAlphaTest(kDir, 0, platform), AlphaTestResult::CannotOpen);
  ExpectNoDeviceCall();

  // The right name in another folder is not found either.
  platform.AddFile("/other/TestAlpha.tga", EncodeRleTga32(MakeImage(2, 2).data(), 2, 2));
  EXPECT_EQ(RunAlphaTest(kDir, 0, platform), AlphaTestResult::CannotOpen);
  ExpectNoDeviceCall();

  for (uint8_t type : {1, 3, 9, 11}) {
    std::vector<uint8_t> file = EncodeRleTga32(MakeImage(2, 2).data(), 2, 2);
    file[2] = type;
    platform.AddFile(kPath, file);
    EXPECT_EQ(RunAlphaTest(kDir, 0, platform), AlphaTestResult::Unsupported) << int(type);
    ExpectNoDeviceCall();
  }
}

TEST_F(AlphaTest, NoFrameMemoryAddressMeansNothingIsWritten) {
  Start("1", true);
  AddImage(2, 2, MakeImage(2, 2));
  EXPECT_EQ(RunAlphaTest(kDir, 0, platform), AlphaTestResult::NoFrameMemory);
  EXPECT_EQ(SimCalls(), std::vector<std::string>{"Orbel_GetMemAddress(&p, 0) = 0"});
  EXPECT_EQ(SimMemory(0), std::vector<uint32_t>(kFramePixels, 0));  // as the board powered up
}

// What the check was asked about last.
void* g_checkedAddress = nullptr;
size_t g_checkedBytes = 0;

TEST_F(AlphaTest, AnAddressTheBoardDoesNotVouchForIsNotWritten) {
  const struct {
    const char* what;
    int callResult;
    FrameMemoryCheck usable;
    const char* call;
  } cases[] = {
      {"the call failed, though it stored an address", 0, AnyFrameMemory, "Orbel_GetMemAddress(&p, 0) = 0"},
      {"no whole frame at the address can be written", 1,
       [](void* address, size_t bytes) {
         g_checkedAddress = address;
         g_checkedBytes = bytes;
         return false;
       },
       "Orbel_GetMemAddress(&p, 0) = 1"},
  };
  for (const auto& c : cases) {
    FillFrameMemory();
    KorvSim_SetResult("Orbel_GetMemAddress", c.callResult);
    AddImage(2, 2, MakeImage(2, 2));
    EXPECT_EQ(RunAlphaTest(kDir, 0, platform, c.usable), AlphaTestResult::NoFrameMemory)
        << c.what;
    EXPECT_EQ(SimCalls(), std::vector<std::string>{c.call}) << c.what;
    EXPECT_EQ(SimMemory(0), kUntouched) << c.what;
  }
  EXPECT_EQ(g_checkedAddress, KorvSim_Memory(0));
  EXPECT_EQ(g_checkedBytes, sizeof(VideoFrame));
}

TEST_F(AlphaTest, AHeaderReadErrorPassesThroughBeforeAnyDeviceCall) {
  platform.AddFile(kPath, EncodeRleTga32(MakeImage(2, 2).data(), 2, 2), /*errorFrom=*/4);
  EXPECT_THROW(RunAlphaTest(kDir, 0, platform), std::runtime_error);
  ExpectNoDeviceCall();
}

TEST_F(AlphaTest, WithoutMemoryForTheFrameOrThePixelsNoDeviceCall) {
  AddImage(30, 20, MakeImage(30, 20));
  g_memoryScript.failAt = 1;
  EXPECT_EQ(RunAlphaTest(kDir, 0, platform), AlphaTestResult::NoMemory);
  EXPECT_EQ(g_memoryScript.sizes, std::vector<size_t>{1658880});
  ExpectNoDeviceCall();

  g_memoryScript = MemoryScript();
  g_memoryScript.failAt = 2;
  EXPECT_EQ(RunAlphaTest(kDir, 0, platform), AlphaTestResult::NoMemory);
  EXPECT_EQ(g_memoryScript.sizes, (std::vector<size_t>{1658880, 30 * 20 * 4}));
  ExpectNoDeviceCall();
}

// A holder that reports what it is told, for the images a real one should
// never have; the file itself comes from a MemoryTgaPlatform.
struct HolderScript {
  bool created = false;
  bool createThrows = false;
  bool hasSize = true;
  int width = 2;
  int height = 2;
  long deliver = 16;  // bytes GetPixels hands over, at most what is asked
};

class ScriptedHolder : public ImageHolder {
 public:
  explicit ScriptedHolder(HolderScript& s) : s_(s) {}
  void Clear() override {}
  bool Create(int, int, const uint32_t*) override {
    if (s_.createThrows) throw std::bad_alloc();
    s_.created = true;
    return true;
  }
  bool GetSize(int& width, int& height) const override {
    if (!s_.hasSize) return false;
    width = s_.width;
    height = s_.height;
    return true;
  }
  long GetPixels(void* buffer, long size) const override {
    long n = std::min(size, s_.deliver);
    std::memset(buffer, 0x5A, size_t(n));
    return n;
  }

 private:
  HolderScript& s_;
};

class ScriptedHolderPlatform : public TgaPlatform {
 public:
  std::unique_ptr<TgaFile> Open(const std::filesystem::path& path) override { return files.Open(path); }
  void Beep() override {}
  std::unique_ptr<ImageHolder> NewImageHolder() override { return std::make_unique<ScriptedHolder>(script); }
  MemoryTgaPlatform files;
  HolderScript script;
};

TEST_F(AlphaTest, AHolderThatCannotBackItsSizeMakesNoDeviceCall) {
  struct Case {
    const char* what;
    bool hasSize;
    int width, height;
    long deliver;
    AlphaTestResult result;
  };
  const Case cases[] = {
      {"no image", false, 2, 2, 16, AlphaTestResult::NoImage},
      {"zero width", true, 0, 2, 16, AlphaTestResult::NoImage},
      {"negative height", true, 2, -3, 16, AlphaTestResult::NoImage},
      {"most negative size", true, INT_MIN, INT_MIN, 16, AlphaTestResult::NoImage},
      {"fewer pixels than its size", true, 2, 2, 15, AlphaTestResult::NoImage},
      {"no pixels at all", true, 720, 576, 0, AlphaTestResult::NoImage},
      {"a size no memory holds", true, INT_MAX, INT_MAX, 16, AlphaTestResult::NoMemory},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FillFrameMemory();
    g_memoryScript = MemoryScript();
    ScriptedHolderPlatform p;
    p.files.AddFile(kPath, EncodeRleTga32(MakeImage(2, 2).data(), 2, 2));
    p.script.hasSize = c.hasSize;
    p.script.width = c.width;
    p.script.height = c.height;
    p.script.deliver = c.deliver;
    EXPECT_EQ(RunAlphaTest(kDir, 0, p), c.result);
    EXPECT_TRUE(p.script.created);
    EXPECT_EQ(KorvSim_CallCount(), 0);
    EXPECT_EQ(SimMemory(0), kUntouched);
    for (size_t size : g_memoryScript.sizes) EXPECT_LE(size, size_t(1658880)) << "asked for more than a frame";
  }
}

TEST_F(AlphaTest, OutOfMemoryInTheReaderPassesThroughBeforeAnyDeviceCall) {
  ScriptedHolderPlatform p;
  p.files.AddFile(kPath, EncodeRleTga32(MakeImage(2, 2).data(), 2, 2));
  p.script.createThrows = true;
  EXPECT_THROW(RunAlphaTest(kDir, 0, p), std::bad_alloc);
  EXPECT_EQ(KorvSim_CallCount(), 0);
  EXPECT_EQ(SimMemory(0), kUntouched);
  EXPECT_EQ(p.files.stats().openFiles, 0);
}

TEST_F(AlphaTest, APictureAboveTheSizeLimitIsOutOfMemory) {
  // Headers alone that declare big pictures; 4,096 x 4,096 is the most the
  // alpha test loads.
  for (auto size : {std::pair<int, int>{65535, 65535}, {65535, 1024}, {4096, 4097}}) {
    for (int type : {2, 10}) {
      SCOPED_TRACE(testing::Message() << size.first << " x " << size.second << ", type " << type);
      platform.AddFile(kPath, TgaBytes(TgaHead(type, size.first, size.second, 32, 0x20)));
      EXPECT_THROW(RunAlphaTest(kDir, 0, platform), std::bad_alloc);
      ExpectNoDeviceCall();
    }
  }
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
