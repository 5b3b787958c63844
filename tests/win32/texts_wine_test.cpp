// The module's texts as the code loads them from korvcfg.dll's string
// tables: every text in both languages, the table of the language asked for
// whatever the thread's own UI language, and the Chinese texts in GBK for
// the byte-string functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dialog.h"
#include "text_ids.h"
#include "wine_testing.h"

namespace {

constexpr int kTextIds[] = {IDS_NO_BOARD,          IDS_CANNOT_OPEN_ONLY,          IDS_CANNOT_OPEN_CHOSEN,
                            IDS_DIALOG_TITLE,      IDS_IMPOSSIBLE_COUNT,          IDS_NO_DEVICE_LIBRARY,
                            IDS_INCOMPLETE_DEVICE_LIBRARY, IDS_CANNOT_OPEN_DIALOG, IDS_OUT_OF_MEMORY,
                            IDS_UNEXPECTED_ERROR,  IDS_CANNOT_SAVE,               IDS_NOT_REPORTED,
                            IDS_REFUSED,           IDS_NO_FRAME_MEMORY,           IDS_PICTURE_TOO_LARGE,
                            IDS_LIBRARY_FOLDERS,   IDS_AND_MORE,                  IDS_TGA_UNREADABLE};

bool HasChinese(const std::wstring& text) {
  for (wchar_t c : text)
    if (c >= 0x4E00 && c <= 0x9FFF) return true;
  return false;
}

TEST(Texts, EveryTextInBothLanguagesWhateverTheThreadsLanguage) {
  HMODULE module = LoadLibraryW((ProgramFolder() + L"korvcfg.dll").c_str());
  ASSERT_NE(module, nullptr);
  Dialog::SetResourceModule(module);
  for (LANGID thread : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)}) {
    SetThreadUILanguage(thread);
    for (int id : kTextIds) {
      SCOPED_TRACE(testing::Message() << "text " << id << ", thread language " << thread);
      EXPECT_TRUE(HasChinese(LoadText(id, true)));
      const std::wstring english = LoadText(id, false);
      EXPECT_FALSE(english.empty());
      EXPECT_FALSE(HasChinese(english));
    }
    EXPECT_EQ(LoadText(IDS_OUT_OF_MEMORY, false), L"Out of memory.");
    EXPECT_EQ(LoadText(IDS_OUT_OF_MEMORY, true), L"\u5185\u5b58\u4e0d\u8db3\u3002");
    EXPECT_EQ(LoadTextBytes(IDS_OUT_OF_MEMORY, true), "\xC4\xDA\xB4\xE6\xB2\xBB\xD7\xE3\xA1\xA3");
  }
  EXPECT_EQ(LoadText(9999, false), L"") << "an id in no table";
}

}  // namespace
