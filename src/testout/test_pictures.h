// Test pictures on a board's output: clearing it, three full-frame colour-bar
// patterns sent row by row, and the alpha test frame copied into the board's
// frame memory. Every operation takes the board's index and keeps nothing
// between calls; its frame and pixel buffer live only while it runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "tga_platform.h"

// One output picture: 720 x 576 pixels 0xAARRGGBB, rows top to bottom, each
// row directly after the one before, in one block.
struct VideoFrame {
  static constexpr int kWidth = 720;
  static constexpr int kHeight = 576;
  uint32_t pixels[kHeight][kWidth];
};
static_assert(sizeof(VideoFrame) == 1658880, "a frame is one block of 720 x 576 words");

// The component levels of a colour-bar pattern in 8-bit values: 100 % is
// 0xFF, 75 % 0xC0, 25 % 0x40.
struct BarLevels {
  uint32_t white, black, high, low;
};

enum class TestPictureKind { Clear, ColorBars, AlphaTest };

// The test pictures, in the order of the dialog's buttons: the output
// cleared, three colour-bar patterns and the alpha test frame. A pattern is
// eight bars of 90 columns (white, yellow, cyan, green, magenta, red, blue,
// black), named by its levels in per cent: white bar, black bar, high and
// low component of the coloured bars.
struct TestPicture {
  TestPictureKind kind;
  const char* word;  // as korvctl takes it; a pattern's caption
  BarLevels levels;  // a pattern's
};
inline constexpr TestPicture kTestPictures[] = {
    {TestPictureKind::Clear, "clear", {}},
    {TestPictureKind::ColorBars, "100-0-100-00", {0xFF, 0x00, 0xFF, 0x00}},
    {TestPictureKind::ColorBars, "100-0-100-25", {0xFF, 0x00, 0xFF, 0x40}},
    {TestPictureKind::ColorBars, "100-0-75-00", {0xFF, 0x00, 0xC0, 0x00}},
    {TestPictureKind::AlphaTest, "alpha", {}},
};

// A colour-bar pattern is the index of its row in kTestPictures.
enum class ColorBarPattern { Bars100_0_100_00 = 1, Bars100_0_100_25, Bars100_0_75_00 };
static_assert(kTestPictures[int(ColorBarPattern::Bars100_0_100_00)].kind == TestPictureKind::ColorBars &&
                  kTestPictures[int(ColorBarPattern::Bars100_0_75_00)].kind == TestPictureKind::ColorBars,
              "the patterns are the rows of the colour bars");

// "100-0-100-00", "100-0-100-25", "100-0-75-00".
inline const char* ColorBarCaption(ColorBarPattern pattern) { return kTestPictures[int(pattern)].word; }

// The pixel of bar 0 to 7 (alpha 0xFF).
uint32_t ColorBarValue(ColorBarPattern pattern, int bar);

// Writes every pixel of the frame: all rows alike, column x in bar x / 90.
void FillColorBars(ColorBarPattern pattern, VideoFrame& frame);

// Builds the bars and sends them with one Orbel_SetRectangle per row, y 0 to
// 575, whatever the calls return. False, with no device call, when the frame
// cannot be allocated.
bool SendColorBars(ColorBarPattern pattern, int board);

// One Orbel_ClearCurrentScreen; nothing else.
void ClearOutput(int board);

// Writes every pixel of the frame from an image of width x height pixels,
// rows of width pixels top row first (pixels holds at least width x
// min(height, 576) of them). A smaller image is centred, the odd spare column
// or row going right or below; a larger one keeps its top-left 720 x 576.
// Every pixel outside the image is 0. An image without pixels (a size of 0
// or less) leaves the whole frame 0.
void PlaceImageInFrame(const uint32_t* pixels, int width, int height, VideoFrame& frame);

// Whether bytes bytes from address are memory this process can write; the
// alpha test writes the board's frame memory only then. Natively any address
// the device library gives passes; on Win32 IsWritableMemory asks the system.
using FrameMemoryCheck = bool (*)(void* address, size_t bytes);
bool AnyFrameMemory(void* address, size_t bytes);
#ifdef _WIN32
bool IsWritableMemory(void* address, size_t bytes);
#endif

// How RunAlphaTest ended; only Written reached the board.
enum class AlphaTestResult {
  Written,        // the frame is in the board's frame memory
  CannotOpen,     // the file is missing or cannot be opened
  Unsupported,    // the file is not of a type the reader takes
  NoImage,        // no image after the load, or not all of its pixels
  NoMemory,       // the frame or the pixel buffer cannot be allocated
  NoFrameMemory,  // the device library gave no usable frame memory: the call
                  // failed, or the address or a frame from it is not writable
};

// The largest picture the alpha test loads: 4,096 x 4,096 pixels of 4 bytes
// (64 MiB). A file that declares more is refused (TgaImageTooLarge), so a
// small file cannot make the test allocate and decode gigabytes.
constexpr uint64_t kAlphaTestImageLimit = uint64_t(4096) * 4096 * 4;

// Loads TestAlpha.tga in moduleDirectory, places it in a frame and copies the frame into the board's
// frame memory, 32-bit words in ascending address order. The one device
// call, Orbel_GetMemAddress, comes only once the frame is ready (results
// Written and NoFrameMemory); every other result means no device call. The
// frame is written only when the call succeeds and usable passes the whole
// frame at the address it gave.
// Errors that the reader throws (a header read error, std::bad_alloc, also
// for a picture above kAlphaTestImageLimit) pass through after everything
// held is released, before any device call.
AlphaTestResult RunAlphaTest(const std::filesystem::path& moduleDirectory, int board, TgaPlatform& platform,
                             FrameMemoryCheck usable = AnyFrameMemory);
// The same with the picture of another file.
AlphaTestResult RunAlphaTestFile(const std::filesystem::path& path, int board, TgaPlatform& platform,
                                 FrameMemoryCheck usable = AnyFrameMemory);
