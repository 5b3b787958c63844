// The test pictures' failures that used to pass in silence, through the real
// dialog manager: the configuration dialog of the module's own code, linked
// here with memory that fails when told (scripted_memory.h) and the
// simulated board, over korvcfg.dll's templates and texts.
#include <gtest/gtest.h>
#include <windows.h>

#include "board_config_dialog.h"
#include "korvio.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "scripted_memory.h"
#include "ui_driver.h"

namespace {

using ui::W;

bool Chinese() { return GetSystemDefaultLangID() == 0x0804; }

class TestPictureFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("KORVSIM_BOARDS", "1");
    KorvSim_Reset();
    HMODULE module = LoadLibraryW((ProgramFolder() + L"korvcfg.dll").c_str());
    ASSERT_TRUE(module);
    Dialog::SetResourceModule(module);
    Dialog::SetLanguage(Chinese());
    ASSERT_TRUE(Orbel_Initial(0, 1, 0));
    const std::filesystem::path folder = folder_.Folder();
    run_ = std::make_unique<ui::ModuleRun>([folder] {
      BoardConfigDialog(Chinese() ? IDD_CONFIG_CHINESE : IDD_CONFIG_ENGLISH, 0, folder).DoModal();
    });
    dialog_ = run_->WaitWindowTitled(Chinese() ? W("配置 Korvex  V1.6") : L"Config Korvex V1.6");
    ASSERT_TRUE(dialog_ && run_->Sync());
  }
  void TearDown() override {
    if (dialog_) ui::Click(dialog_, IDCANCEL);
    EXPECT_TRUE(run_->WaitFinished());
  }
  // Clicks, and returns the text of the box the click brought up (closed
  // again) and the device calls it made.
  std::pair<std::wstring, std::vector<std::string>> ClickForBox(int id) {
    const int mark = KorvSim_CallCount();
    ui::Click(dialog_, id);
    HWND box = run_->WaitMessageBox(2000);
    if (!box) return {L"no box", SimCalls(mark)};
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog_);
    const std::wstring text = ui::MessageText(box);
    ui::Click(box, IDOK);
    EXPECT_TRUE(run_->Sync());
    return {text, SimCalls(mark)};
  }

  ui::ModuleFolder folder_;
  std::unique_ptr<ui::ModuleRun> run_;
  HWND dialog_ = nullptr;
};

TEST_F(TestPictureFailure, NoMemoryForAFrameIsToldAndNothingIsSent) {
  ASSERT_TRUE(folder_.CopyIn(L"TestAlpha.tga"));
  const struct {
    const char* what;
    int button;
    int failAt;  // the allocation that fails, from 1
  } cases[] = {
      {"colour bars' frame", IDC_BARS_100_0_75_00, 1},
      {"alpha test's frame", IDC_BARS_ALPHA, 1},
      {"alpha test's pixels", IDC_BARS_ALPHA, 2},
  };
  for (const auto& c : cases) {
    g_memoryScript = MemoryScript{c.failAt, {}};
    const auto [text, calls] = ClickForBox(c.button);
    EXPECT_EQ(text, Chinese() ? W("内存不足。") : L"Out of memory.") << c.what;
    EXPECT_EQ(calls, std::vector<std::string>()) << c.what;
  }
  g_memoryScript = MemoryScript{};
  EXPECT_EQ(ClickForBox(IDC_BARS_100_0_75_00).first, L"no box") << "with memory the bars go out";
}

// A read that fails inside the picture's header is told in the user's
// language with the path. The build makes bin\unreadable\TestAlpha.tga a
// link to /proc/self/mem, which opens and then fails every read at 0.
TEST_F(TestPictureFailure, AnUnreadableHeaderIsToldInTheUsersLanguage) {
  const std::wstring folder = ProgramFolder() + L"unreadable\\";
  ui::Click(dialog_, IDCANCEL);
  ASSERT_TRUE(run_->WaitFinished());
  run_ = std::make_unique<ui::ModuleRun>([folder] {
    BoardConfigDialog(Chinese() ? IDD_CONFIG_CHINESE : IDD_CONFIG_ENGLISH, 0, folder).DoModal();
  });
  dialog_ = run_->WaitWindowTitled(Chinese() ? W("配置 Korvex  V1.6") : L"Config Korvex V1.6");
  ASSERT_TRUE(dialog_ && run_->Sync());
  const auto [text, calls] = ClickForBox(IDC_BARS_ALPHA);
  EXPECT_EQ(text, (Chinese() ? W("无法读取TGA文件的文件头：") : L"Cannot read the header of the TGA file ") + folder +
                      L"TestAlpha.tga");
  EXPECT_EQ(calls, std::vector<std::string>());
}

}  // namespace
