// The reader through the Win32 platform: unshared files, bitmaps made with
// CreateBitmap and read back with GetObjectA/GetBitmapBits, and image sizes
// above the module's limit.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "test_pictures.h"
#include "tga_builder.h"
#include "tga_reader.h"
#include "tga_win32.h"
#include "wine_testing.h"

namespace {

using Words = std::vector<uint32_t>;

std::filesystem::path TempFile(const TempFolder& folder, const char* name, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path path = folder.Folder() / name;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, h);
  DWORD written = 0;
  WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return path;
}

bool IsBitmap(HBITMAP h) {
  BITMAP bm;
  return GetObjectA(h, sizeof bm, &bm) == sizeof bm;
}

Words Pixels(const BitmapHolder& holder) {
  int w = 0, h = 0;
  if (!holder.GetSize(w, h)) return {};
  Words px(size_t(w) * h);
  EXPECT_EQ(long(px.size() * 4), holder.GetPixels(px.data(), long(px.size() * 4)));
  return px;
}

TEST(TgaWin32, BitmapRoundTrip) {
  const Words px = {0x00000000, 0x80FF0000, 0xFF00FF00, 0x7F0000FF, 0x01020304, 0xFFFFFFFF};
  HBITMAP first;
  {
    BitmapHolder holder;
    int w = -1, h = -1;
    EXPECT_FALSE(holder.GetSize(w, h));
    EXPECT_EQ(0, holder.GetPixels(&w, 4));
    ASSERT_TRUE(holder.Create(3, 2, px.data()));
    first = holder.handle();
    BITMAP bm;
    ASSERT_EQ(int(sizeof bm), GetObjectA(first, sizeof bm, &bm));
    EXPECT_EQ(32, bm.bmBitsPixel);
    EXPECT_EQ(1, bm.bmPlanes);
    ASSERT_TRUE(holder.GetSize(w, h));
    EXPECT_EQ(3, w);
    EXPECT_EQ(2, h);
    EXPECT_EQ(px, Pixels(holder));
    uint32_t two[2] = {};
    EXPECT_EQ(8, holder.GetPixels(two, 8));
    EXPECT_EQ(px[1], two[1]);

    // Replacing deletes the old bitmap; an image without pixels is not made.
    ASSERT_TRUE(holder.Create(1, 1, px.data() + 1));
    EXPECT_FALSE(IsBitmap(first));
    first = holder.handle();
    EXPECT_FALSE(holder.Create(0, 4, px.data()));
    EXPECT_FALSE(IsBitmap(first));
    EXPECT_EQ(nullptr, holder.handle());
    EXPECT_FALSE(holder.GetSize(w, h));
    ASSERT_TRUE(holder.Create(2, 1, px.data()));
    first = holder.handle();
  }
  EXPECT_FALSE(IsBitmap(first)) << "the holder's destructor left its bitmap";
}

TEST(TgaWin32, LoadsThroughTheSystem) {
  // 2 x 2 run-length, bottom to top: a run of 3, then one raw black pixel.
  const Bytes file = TgaBytes(TgaHead(10, 2, 2, 32), {{0x82, 0x10, 0x20, 0x30, 0x40, 0x00, 0x00, 0x00, 0x00, 0x80}});
  TempFolder folder;
  const std::filesystem::path path = TempFile(folder, "rle.tga", file);
  Win32TgaPlatform platform;
  std::unique_ptr<ImageHolder> holder = platform.NewImageHolder();
  TgaImageReader reader(platform);
  ASSERT_EQ(TgaLoadResult::Loaded, reader.LoadTgaFile(path, *holder));
  EXPECT_EQ((Words{0x40302010, 0, 0x40302010, 0x40302010}), Pixels(static_cast<BitmapHolder&>(*holder)));
  DeleteFileW(path.c_str());
}

TEST(TgaWin32, FilesAreUnsharedAndMustExist) {
  TempFolder folder;
  const std::filesystem::path path = TempFile(folder, "shared.tga", TgaBytes(TgaHead(2, 1, 1, 24)));
  Win32TgaPlatform platform;
  BitmapHolder holder;
  TgaImageReader reader(platform);
  EXPECT_EQ(TgaLoadResult::CannotOpen, reader.LoadTgaFile(path.native() + L".missing", holder));
  EXPECT_EQ(TgaLoadResult::CannotOpen, reader.LoadTgaFile(folder.Folder(), holder));

  // Held open elsewhere, even by a reader that shares: cannot be opened.
  HANDLE other = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  EXPECT_EQ(TgaLoadResult::CannotOpen, reader.LoadTgaFile(path, holder));
  CloseHandle(other);
  EXPECT_EQ(TgaLoadResult::Loaded, reader.LoadTgaFile(path, holder));  // a short row: beeps, loads

  // While the platform has it open, nobody else can open it.
  {
    std::unique_ptr<TgaFile> file = platform.Open(path);
    ASSERT_NE(nullptr, file);
    HANDLE again = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, again);
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), GetLastError());
    if (again != INVALID_HANDLE_VALUE) CloseHandle(again);

    uint8_t b[20];
    EXPECT_TRUE(file->Seek(16));
    EXPECT_EQ(2, file->Read(b, 20));
    EXPECT_EQ(24, b[0]);
    EXPECT_EQ(0, file->Read(b, 20));
    EXPECT_FALSE(file->Seek(-1));
    EXPECT_TRUE(file->Seek(2));
    EXPECT_EQ(1, file->Read(b, 1));
    EXPECT_EQ(2, b[0]);
  }
  EXPECT_TRUE(DeleteFileW(path.c_str())) << "the file was left open";
}

TEST(TgaWin32, ImagesAboveTheModulesLimitAreOutOfMemoryAtOnce) {
  // Whether or not this process could have the memory (a 64-bit one may),
  // a picture above the module's limit is refused before anything is
  // allocated, zero-filled or decoded. 32,768 x 32,768 x 4 is 2^32 bytes:
  // 0 in 32-bit arithmetic; 4,097 x 4,096 is just above the limit.
  Win32TgaPlatform platform;
  BitmapHolder holder;
  const uint32_t one = 0xFF123456;
  ASSERT_TRUE(holder.Create(1, 1, &one));
  TgaImageReader reader(platform);
  reader.SetImageByteLimit(kAlphaTestImageLimit);
  const struct { int width, height; } sizes[] = {{32768, 32768}, {65535, 65535}, {30000, 30000}, {4097, 4096}};
  TempFolder folder;
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
    const std::filesystem::path path = TempFile(folder, "big.tga", TgaBytes(TgaHead(2, size.width, size.height, 32)));
    const DWORD start = GetTickCount();
    EXPECT_THROW(reader.LoadTgaFile(path, holder), std::bad_alloc);
    EXPECT_LT(GetTickCount() - start, 250u);
    EXPECT_TRUE(DeleteFileW(path.c_str())) << "the file was left open";
  }
  EXPECT_EQ(Words{one}, Pixels(holder));
}

}  // namespace
