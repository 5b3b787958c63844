// korvctl and the configuration dialog keep the user's defaults in one
// Board.ini: what either saves, the other restores. Both run here in one
// process on the simulated korvio.dll, so the board keeps its settings
// between them.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "control_ids.h"
#include "korvctl.h"
#include "korvsim.h"
#include "tga_win32.h"
#include "ui_driver.h"

namespace {

class KorvctlAndDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("KORVSIM_BOARDS", "1");
    KorvSim_Reset();
  }
  int Korvctl(std::vector<std::string> args) {
    std::ostringstream out, err;
    const KorvctlContext context{folder_.Folder(), &platform_, &out, &err, nullptr, nullptr};
    const int status = RunKorvctl(args, context);
    EXPECT_EQ(err.str(), "");
    return status;
  }
  // One run of the dialog from the folder: an action, then "Exit".
  void Dialog(const std::function<void(HWND)>& action) {
    ui::ModuleRun run(1, folder_.Module());
    HWND dialog =
        run.WaitWindowTitled(GetSystemDefaultLangID() == 0x0804 ? ui::W("配置 Korvex  V1.6") : L"Config Korvex V1.6");
    ASSERT_TRUE(dialog && run.Sync());
    action(dialog);
    ASSERT_TRUE(run.Sync());
    ui::Click(dialog, IDCANCEL);
    ASSERT_TRUE(run.WaitFinished());
  }

  ui::ModuleFolder folder_;
  Win32TgaPlatform platform_;
};

TEST_F(KorvctlAndDialog, EachRestoresWhatTheOtherSaved) {
  ASSERT_EQ(Korvctl({"set", "video-source=yuv", "contrast=37"}), 0);
  ASSERT_EQ(Korvctl({"defaults", "save"}), 0);
  ASSERT_EQ(Korvctl({"defaults", "factory"}), 0);
  Dialog([](HWND dialog) { ui::Click(dialog, IDC_RESTORE_DEFAULT); });
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 2);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 37);

  Dialog([](HWND dialog) {
    ui::Scroll(dialog, IDC_VOLUME, SB_THUMBPOSITION, 77);
    ui::Click(dialog, IDC_SAVE_DEFAULT);
  });
  ASSERT_EQ(Korvctl({"defaults", "factory"}), 0);
  EXPECT_EQ(KorvSim_Peek("AudioVolumn", 0), 128);
  ASSERT_EQ(Korvctl({"defaults", "restore"}), 0);
  EXPECT_EQ(KorvSim_Peek("AudioVolumn", 0), 77);
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 2);
  EXPECT_FALSE(KorvSim_IsOpen(0));
}

}  // namespace
