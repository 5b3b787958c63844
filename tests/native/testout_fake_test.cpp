// The test output against the recording device library: which calls, with
// which pixels, and none at all where a command gives up.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_korvio.h"
#include "test_alpha_image.h"
#include "test_pictures.h"
#include "testout_expected.h"
#include "memory_tga_platform.h"
#include "scripted_memory.h"
#include "tga_builder.h"

namespace {

constexpr int kW = VideoFrame::kWidth;
constexpr int kH = VideoFrame::kHeight;
constexpr int kFramePixels = kW * kH;

class TestOutputFake : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_korvio::Reset();
    g_memoryScript = MemoryScript();
  }
};

// ---- Colour bars and clear output ----

class ColorBarsFake : public TestOutputFake, public ::testing::WithParamInterface<ColorBarPattern> {};

TEST_P(ColorBarsFake, SendsAllRowsTopToBottomWithTheExactBars) {
  ASSERT_TRUE(SendColorBars(GetParam(), 3));
  const std::vector<FakeCall>& calls = fake_korvio::Calls();
  ASSERT_EQ(calls.size(), 576u);
  const std::vector<uint32_t> row = ExpectedBarRow(GetParam());
  for (int y = 0; y < kH; ++y) {
    ASSERT_EQ(calls[y].name, "Orbel_SetRectangle");
    ASSERT_EQ(calls[y].args, (std::vector<long long>{0, y, 720, 1, 1, 3})) << "row " << y;
    ASSERT_EQ(calls[y].pixels, row) << "row " << y;
  }
  const std::vector<uint32_t>& last = calls.back().pixels;
  const uint32_t* bars = ExpectedBars(GetParam());
  EXPECT_EQ(last[89], bars[0]);
  EXPECT_EQ(last[90], bars[1]);
  EXPECT_EQ(last[629], bars[6]);
  EXPECT_EQ(last[630], 0xFF000000u);
  EXPECT_EQ(last[719], 0xFF000000u);
}

INSTANTIATE_TEST_SUITE_P(AllPatterns, ColorBarsFake,
                         ::testing::Values(ColorBarPattern::Bars100_0_100_00, ColorBarPattern::Bars100_0_100_25,
                                           ColorBarPattern::Bars100_0_75_00),
                         [](const ::testing::TestParamInfo<ColorBarPattern>& info) {
                           std::string name = ColorBarCaption(info.param);
                           std::replace(name.begin(), name.end(), '-', '_');
                           return "Bars" + name;
                         });

TEST_F(TestOutputFake, TwoClicksSendTwoWholeFramesEvenWhenTheBoardRefusesRows) {
  fake_korvio::SetResult("Orbel_SetRectangle", 0);
  SendColorBars(ColorBarPattern::Bars100_0_100_25, 0);
  SendColorBars(ColorBarPattern::Bars100_0_100_25, 0);
  const std::vector<FakeCall>& calls = fake_korvio::Calls();
  ASSERT_EQ(calls.size(), 1152u);
  EXPECT_EQ(calls[575].args[1], 575);
  EXPECT_EQ(calls[576].args[1], 0);
  EXPECT_EQ(calls[1151].args[1], 575);
  EXPECT_EQ(calls[1151].pixels, ExpectedBarRow(ColorBarPattern::Bars100_0_100_25));
}

TEST_F(TestOutputFake, ColorBarsWithoutMemoryMakeNoDeviceCall) {
  g_memoryScript.failAt = 1;
  EXPECT_FALSE(SendColorBars(ColorBarPattern::Bars100_0_100_00, 0));
  EXPECT_EQ(g_memoryScript.sizes, std::vector<size_t>{1658880});
  EXPECT_TRUE(fake_korvio::Calls().empty());
}

TEST_F(TestOutputFake, ClearOutputIsOneCallAndNoFrame) {
  ClearOutput(2);
  ASSERT_EQ(fake_korvio::Calls().size(), 1u);
  EXPECT_EQ(fake_korvio::Calls()[0].name, "Orbel_ClearCurrentScreen");
  EXPECT_EQ(fake_korvio::Calls()[0].args, std::vector<long long>{2});
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

// Board frame memory with guard words behind it.
struct BoardMemory {
  static constexpr int kGuard = 64;
  std::vector<uint32_t> words = std::vector<uint32_t>(kFramePixels + kGuard, 0xCCCCCCCC);
  void* address() { return words.data(); }
  bool guardsIntact() const {
    for (int i = kFramePixels; i < kFramePixels + kGuard; ++i)
      if (words[i] != 0xCCCCCCCC) return false;
    return true;
  }
  bool untouched() const {
    for (uint32_t w : words)
      if (w != 0xCCCCCCCC) return false;
    return true;
  }
};

class AlphaTestFake : public TestOutputFake {
 protected:
  void SetUp() override {
    TestOutputFake::SetUp();
    fake_korvio::SetMemAddress(memory.address());
  }
  void AddImage(int w, int h, const std::vector<uint32_t>& pixels) {
    platform.AddFile(kPath, EncodeRleTga32(pixels.data(), w, h));
  }
  void ExpectNoDeviceCall() {
    EXPECT_TRUE(fake_korvio::Calls().empty());
    EXPECT_TRUE(memory.untouched());
    EXPECT_EQ(platform.stats().openFiles, 0);
  }
  BoardMemory memory;
  MemoryTgaPlatform platform;
};

TEST_F(AlphaTestFake, WritesTheCentredImageIntoTheBoardsFrameMemory) {
  // 3 x 2, with a black pixel of alpha 0x80 that arrives keyed to 0.
  AddImage(3, 2, {0x11223344, 0x80000000, 0x01000001, 0xFF0000FF, 0x00FFFFFF, 0x7F102030});
  EXPECT_EQ(RunAlphaTest(kDir, 5, platform), AlphaTestResult::Written);

  const std::vector<FakeCall>& calls = fake_korvio::Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].name, "Orbel_GetMemAddress");
  EXPECT_EQ(calls[0].args, (std::vector<long long>{1, 5}));

  std::vector<uint32_t> expected(kFramePixels, 0);
  const uint32_t image[2][3] = {{0x11223344, 0, 0x01000001}, {0xFF0000FF, 0x00FFFFFF, 0x7F102030}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) expected[(287 + y) * kW + 358 + x] = image[y][x];
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.words.begin()));
  EXPECT_TRUE(memory.guardsIntact());
  EXPECT_EQ(platform.stats().openFiles, 0);
}

TEST_F(AlphaTestFake, AMissingOrUnsupportedFileMakesNoDeviceCall) {
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

TEST_F(AlphaTestFake, NoFrameMemoryAddressMeansNothingIsWritten) {
  fake_korvio::SetMemAddress(nullptr);
  AddImage(2, 2, MakeImage(2, 2));
  EXPECT_EQ(RunAlphaTest(kDir, 0, platform), AlphaTestResult::NoFrameMemory);
  EXPECT_EQ(fake_korvio::CallNames(), std::vector<std::string>{"Orbel_GetMemAddress"});
  EXPECT_TRUE(memory.untouched());
}

// What the check was asked about last.
void* g_checkedAddress = nullptr;
size_t g_checkedBytes = 0;

TEST_F(AlphaTestFake, AnAddressTheBoardDoesNotVouchForIsNotWritten) {
  const struct {
    const char* what;
    int callResult;
    FrameMemoryCheck usable;
  } cases[] = {
      {"the call failed, though it stored an address", 0, AnyFrameMemory},
      {"no whole frame at the address can be written", 1,
       [](void* address, size_t bytes) {
         g_checkedAddress = address;
         g_checkedBytes = bytes;
         return false;
       }},
  };
  for (const auto& c : cases) {
    fake_korvio::Reset();
    fake_korvio::SetMemAddress(memory.address());
    fake_korvio::SetResult("Orbel_GetMemAddress", c.callResult);
    AddImage(2, 2, MakeImage(2, 2));
    EXPECT_EQ(RunAlphaTest(kDir, 0, platform, c.usable), AlphaTestResult::NoFrameMemory)
        << c.what;
    EXPECT_EQ(fake_korvio::CallNames(), std::vector<std::string>{"Orbel_GetMemAddress"}) << c.what;
    EXPECT_TRUE(memory.untouched()) << c.what;
  }
  EXPECT_EQ(g_checkedAddress, memory.address());
  EXPECT_EQ(g_checkedBytes, sizeof(VideoFrame));
}

TEST_F(AlphaTestFake, AHeaderReadErrorPassesThroughBeforeAnyDeviceCall) {
  platform.AddFile(kPath, EncodeRleTga32(MakeImage(2, 2).data(), 2, 2), /*errorFrom=*/4);
  EXPECT_THROW(RunAlphaTest(kDir, 0, platform), std::runtime_error);
  ExpectNoDeviceCall();
}

TEST_F(AlphaTestFake, WithoutMemoryForTheFrameOrThePixelsNoDeviceCall) {
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

TEST_F(AlphaTestFake, AHolderThatCannotBackItsSizeMakesNoDeviceCall) {
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
    fake_korvio::Reset();
    g_memoryScript = MemoryScript();
    ScriptedHolderPlatform p;
    p.files.AddFile(kPath, EncodeRleTga32(MakeImage(2, 2).data(), 2, 2));
    p.script.hasSize = c.hasSize;
    p.script.width = c.width;
    p.script.height = c.height;
    p.script.deliver = c.deliver;
    EXPECT_EQ(RunAlphaTest(kDir, 0, p), c.result);
    EXPECT_TRUE(p.script.created);
    EXPECT_TRUE(fake_korvio::Calls().empty());
    EXPECT_TRUE(memory.untouched());
    for (size_t size : g_memoryScript.sizes) EXPECT_LE(size, size_t(1658880)) << "asked for more than a frame";
  }
}

TEST_F(AlphaTestFake, OutOfMemoryInTheReaderPassesThroughBeforeAnyDeviceCall) {
  ScriptedHolderPlatform p;
  p.files.AddFile(kPath, EncodeRleTga32(MakeImage(2, 2).data(), 2, 2));
  p.script.createThrows = true;
  EXPECT_THROW(RunAlphaTest(kDir, 0, p), std::bad_alloc);
  EXPECT_TRUE(fake_korvio::Calls().empty());
  EXPECT_TRUE(memory.untouched());
  EXPECT_EQ(p.files.stats().openFiles, 0);
}

TEST_F(AlphaTestFake, APictureAboveTheSizeLimitIsOutOfMemory) {
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

}  // namespace
