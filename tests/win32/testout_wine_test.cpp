// The test output in the Win32 build, under Wine, against the simulated
// korvio.dll: the alpha test through the real file and bitmap bindings with
// the TestAlpha.tga that the build puts beside the programs.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "korvio.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "test_pictures.h"
#include "testout_expected.h"
#include "tga_builder.h"
#include "tga_win32.h"

#include "wine_testing.h"

namespace {

class TestOutputWine : public ::testing::Test {
 protected:
  void SetUp() override { OpenBoard(); }
  void OpenBoard() {
    KorvSim_Reset();
    ASSERT_TRUE(Orbel_Initial(0, 1, 0));
    first = KorvSim_CallCount();
  }
  int CallsSinceOpen() { return KorvSim_CallCount() - first; }
  int first = 0;
  Win32TgaPlatform platform;
};

TEST(FrameMemoryWine, OnlyAWholeCommittedWritableRangePasses) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const size_t page = info.dwPageSize;
  // Three pages reserved, two committed writable, the third reserved only;
  // and one read-only page.
  char* block = static_cast<char*>(VirtualAlloc(nullptr, 3 * page, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_TRUE(block && VirtualAlloc(block, 2 * page, MEM_COMMIT, PAGE_READWRITE));
  char* readOnly = static_cast<char*>(VirtualAlloc(nullptr, page, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY));
  ASSERT_TRUE(readOnly);
  std::vector<uint32_t> frame(720 * 576);
  const struct {
    void* address;
    size_t bytes;
    bool usable;
  } cases[] = {
      {frame.data(), sizeof(VideoFrame), true},
      {block, 2 * page, true},
      {block + 1, 2 * page - 1, true},
      {block, 2 * page + 1, false},
      {block + 2 * page, 1, false},
      {readOnly, 1, false},
      {nullptr, sizeof(VideoFrame), false},
      {reinterpret_cast<void*>(uintptr_t(-16)), 64, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWritableMemory(c.address, c.bytes), c.usable) << c.address << " " << c.bytes;
  VirtualFree(block, 0, MEM_RELEASE);
  VirtualFree(readOnly, 0, MEM_RELEASE);
}

TEST_F(TestOutputWine, TheShippedPictureLandsCentredInTheFrameMemory) {
  ASSERT_EQ(RunAlphaTest(ProgramFolder(), 0, platform), AlphaTestResult::Written);
  EXPECT_EQ(CallsSinceOpen(), 1);
  EXPECT_EQ(SimCallText(first), "Orbel_GetMemAddress(&p, 0) = 1");
  EXPECT_EQ(SimMemory(0), ExpectedAlphaTestFrame());
}

TEST_F(TestOutputWine, APictureHeldOpenElsewhereIsNotReadUntilItIsFree) {
  TempFolder folder;
  const std::filesystem::path dir = folder.Folder(), copy = dir / "TestAlpha.tga";
  // Another test's reader may hold the picture unshared for a moment.
  bool copied = false;
  for (int attempt = 0; attempt < 100 && !copied; ++attempt, Sleep(20))
    copied = CopyFileW((ProgramFolder() + L"TestAlpha.tga").c_str(), copy.c_str(), FALSE) != 0;
  ASSERT_TRUE(copied);

  HANDLE held = CreateFileW(copy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(RunAlphaTest(dir, 0, platform), AlphaTestResult::CannotOpen);
  EXPECT_EQ(CallsSinceOpen(), 0);
  CloseHandle(held);

  EXPECT_EQ(RunAlphaTest(dir, 0, platform), AlphaTestResult::Written);
  EXPECT_EQ(SimMemory(0), ExpectedAlphaTestFrame());

  DeleteFileW(copy.c_str());
  EXPECT_EQ(RunAlphaTest(dir, 0, platform), AlphaTestResult::CannotOpen);
}

TEST_F(TestOutputWine, ASmallFileThatDeclaresABigPictureCostsOnlyAMoment) {
  // Headers alone. Above the size limit: out of memory at once. At the
  // limit: the file has ended after the header, so it is read no further.
  struct Case {
    int type, width, height;
    bool refused;
  };
  const Case cases[] = {
      {10, 65535, 2048, true}, {2, 65535, 65535, true}, {10, 4096, 4096, false}, {2, 4096, 4096, false}};
  TempFolder folder;
  const std::filesystem::path dir = folder.Folder();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", type " << c.type);
    const Bytes header = TgaBytes(TgaHead(c.type, c.width, c.height, 32, 0x20));
    HANDLE f = CreateFileW((dir / "TestAlpha.tga").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(f, header.data(), DWORD(header.size()), &written, nullptr));
    CloseHandle(f);
    const DWORD start = GetTickCount();
    if (c.refused) {
      EXPECT_THROW(RunAlphaTest(dir, 0, platform), std::bad_alloc);
    } else {
      EXPECT_EQ(RunAlphaTest(dir, 0, platform), AlphaTestResult::Written);
    }
    EXPECT_LT(GetTickCount() - start, 2000u);
  }
}

}  // namespace
