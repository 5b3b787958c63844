// The configuration run of bd_ShowConfigDlg through the real dialog manager,
// against the simulated boards: counting, choosing, opening and closing a
// board, and every message on the way, in English and in Chinese.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "control_ids.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "ui_driver.h"

namespace {

using ui::W;

// reportedCount: what Orbel_GetCardNum answers instead of the count.
void Boards(const char* count, const char* failOpen = "", const char* reportedCount = "") {
  SetEnvironmentVariableA("KORVSIM_BOARDS", count);
  SetEnvironmentVariableA("KORVSIM_FAIL_OPEN", failOpen);
  SetEnvironmentVariableA("KORVSIM_REPORTED_COUNT", reportedCount);
  KorvSim_Reset();
}

// The calls that count, choose, open and close boards: the configuration
// dialog's readings of the board (getters) are left out.
std::vector<std::string> Calls() {
  std::vector<std::string> calls;
  for (const std::string& call : SimCalls())
    if (call.rfind("Orbel_Get", 0) != 0 || call.rfind("Orbel_GetCardNum", 0) == 0) calls.push_back(call);
  return calls;
}

double CallTime(const std::string& text) {
  for (int i = 0; i < KorvSim_CallCount(); ++i)
    if (SimCallText(i) == text) return KorvSim_Call(i, nullptr, 0);
  return -1;
}

// The texts of one language.
struct Texts {
  std::wstring noBoard, cannotOpenOnly, cannotOpenThird, selectCaption, configCaption, titleBoard2;
  std::wstring impossibleCount;  // before and after the count
  std::wstring cannotOpenDialog;
  std::wstring ImpossibleCount(const char* count) const {
    return impossibleCount.substr(0, impossibleCount.find(L'#')) + W(count) +
           impossibleCount.substr(impossibleCount.find(L'#') + 1);
  }
};

Texts English() {
  return {L"No found Korvex board!",
          L"Can not initial Korvex board!",
          L"Can not initial Korvex board 3!",
          L"Select Board",
          L"Config Korvex V1.6",
          L"Korvex Board Setup(Board2)",
          L"The Korvex device library reports # boards, which is impossible!",
          L"The configuration dialog could not be opened."};
}

Texts Chinese() {
  return {W("没有安装Korvex板卡!"),
          W("无法初始化Kovrex板卡!"),
          W("无法初始化Korvex板卡3"),
          W("选择板卡"),
          W("配置 Korvex  V1.6"),
          W("Korvex板卡设置(板卡2)"),
          W("Korvex设备库报告有#块板卡，这不可能!"),
          W("无法打开配置对话框。")};
}

// Checks a message box of the entry point and confirms it.
void ExpectInformation(ui::ModuleRun& run, const std::wstring& text) {
  HWND box = run.WaitMessageBox();
  ASSERT_TRUE(box) << "no message box";
  EXPECT_EQ(ui::Text(box), L"korvcfg");
  EXPECT_EQ(ui::MessageText(box), text);
  EXPECT_TRUE(ui::HasInformationIcon(box));
  EXPECT_EQ(ui::ButtonIds(box), std::vector<int>{IDOK});
  ui::Click(box, IDOK);
}

// Each scenario runs in English and in Chinese; the test registration sets
// the system language, and the texts follow it.
class Entry : public ::testing::Test {
 protected:
  void SetUp() override { texts_ = GetSystemDefaultLangID() == 0x0804 ? Chinese() : English(); }
  Texts texts_;
};

TEST_F(Entry, NoBoardShowsTheMessageAndOpensNothing) {
  Boards("0");
  ui::ModuleRun run;
  ExpectInformation(run, texts_.noBoard);
  ASSERT_TRUE(run.WaitFinished());
  EXPECT_EQ(Calls(), std::vector<std::string>{"Orbel_GetCardNum() = 0"});
}

TEST_F(Entry, OneBoardIsOpenedWithoutAskingAndClosedAfterTheDialog) {
  Boards("1");
  ui::ModuleRun run;
  HWND dialog = run.WaitWindowTitled(texts_.configCaption);
  ASSERT_TRUE(dialog) << "configuration dialog with its template caption";
  EXPECT_EQ(run.DialogsCreated(), 1) << "no selection dialog with one board";
  EXPECT_TRUE(KorvSim_IsOpen(0));
  ui::Click(dialog, IDCANCEL);
  ASSERT_TRUE(run.WaitFinished());
  EXPECT_EQ(Calls(),
            (std::vector<std::string>{"Orbel_GetCardNum() = 1", "Orbel_Initial(0, 1, 0) = 1", "Orbel_Close(0) = 1"}));
  double gone = run.DestroyedAt(texts_.configCaption);
  ASSERT_GE(gone, 0);
  EXPECT_GE(CallTime("Orbel_Close(0) = 1") - gone, 100.0) << "the board closes 100 ms after the dialog";
}

TEST_F(Entry, EnterKeepsTheDialogOpenAndEscapeOrTheCloseBoxEndIt) {
  Boards("1");
  ui::ModuleRun run(2);
  HWND dialog = run.WaitWindowTitled(texts_.configCaption);
  ASSERT_TRUE(dialog);
  ui::PressKey(run, dialog, VK_RETURN);
  ASSERT_TRUE(run.Sync());
  EXPECT_TRUE(IsWindow(dialog)) << "Enter must not close the dialog";
  ui::PressKey(run, dialog, VK_ESCAPE);
  ASSERT_TRUE(ui::WaitUntil([&] { return !IsWindow(dialog); }));

  HWND second = run.WaitWindow([&](HWND w) { return w != dialog && ui::Text(w) == texts_.configCaption; });
  ASSERT_TRUE(second) << "the second call runs a complete new configuration";
  ui::PressClose(second);
  ASSERT_TRUE(run.WaitFinished());
  EXPECT_EQ(Calls().size(), 6u);
  EXPECT_EQ(Calls().back(), "Orbel_Close(0) = 1");
}

TEST_F(Entry, OnlyBoardThatCannotBeOpenedIsReportedAndNotClosed) {
  Boards("1", "0");
  ui::ModuleRun run;
  ExpectInformation(run, texts_.cannotOpenOnly);
  ASSERT_TRUE(run.WaitFinished());
  EXPECT_EQ(Calls(), (std::vector<std::string>{"Orbel_GetCardNum() = 1", "Orbel_Initial(0, 1, 0) = 0"}));
}

TEST_F(Entry, SeveralBoardsAskWhichOneAndInsistOnAChoice) {
  Boards("3");
  ui::ModuleRun run;
  HWND select = run.WaitWindowTitled(texts_.selectCaption);
  ASSERT_TRUE(select);
  EXPECT_EQ(ui::ListEntries(select, IDC_BOARD_LIST), (std::vector<std::wstring>{L"Card 0", L"Card 1", L"Card 2"}));
  EXPECT_EQ(ui::ListSelection(select, IDC_BOARD_LIST), CB_ERR) << "nothing is selected at first";

  ui::Click(select, IDOK);
  HWND box = run.WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::MessageText(box), L"A card must be selected!");
  EXPECT_EQ(ui::Text(box), L"korvcfg");
  EXPECT_TRUE(ui::HasInformationIcon(box));
  ui::Click(box, IDOK);
  ASSERT_TRUE(ui::WaitUntil([&] { return !IsWindow(box); }));
  ASSERT_TRUE(run.Sync());
  EXPECT_TRUE(IsWindowVisible(select)) << "the selection dialog stays open";
  EXPECT_EQ(Calls(), std::vector<std::string>{"Orbel_GetCardNum() = 3"});

  ui::SelectListEntry(select, IDC_BOARD_LIST, 1);
  ui::Click(select, IDOK);
  HWND dialog = run.WaitWindowTitled(texts_.titleBoard2);
  ASSERT_TRUE(dialog) << "the title names the chosen board, counted from 1";
  EXPECT_FALSE(IsWindow(select));
  EXPECT_TRUE(KorvSim_IsOpen(1));
  ui::Click(dialog, IDCANCEL);
  ASSERT_TRUE(run.WaitFinished());
  EXPECT_EQ(Calls(),
            (std::vector<std::string>{"Orbel_GetCardNum() = 3", "Orbel_Initial(1, 1, 0) = 1", "Orbel_Close(1) = 1"}));
  EXPECT_GE(CallTime("Orbel_Close(1) = 1") - run.DestroyedAt(texts_.titleBoard2), 100.0);
}

// Refuses to make the configuration dialog (by its template caption), but
// no other window.
std::wstring g_refusedCaption;
LRESULT CALLBACK RefuseConfigDialog(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lparam)->lpcs;
    if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && cs->lpszName == g_refusedCaption) return 1;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(Entry, ConfigurationDialogThatCannotBeMadeIsToldAndTheBoardStillClosed) {
  Boards("2");
  ui::ModuleRun run;
  HWND select = run.WaitWindowTitled(texts_.selectCaption);
  ASSERT_TRUE(select);
  g_refusedCaption = texts_.configCaption;
  HHOOK hook = nullptr;
  ASSERT_TRUE(
      run.RunInItsLoop([&] { hook = SetWindowsHookExW(WH_CBT, RefuseConfigDialog, nullptr, GetCurrentThreadId()); }));
  ASSERT_TRUE(hook);
  ui::SelectListEntry(select, IDC_BOARD_LIST, 1);
  ui::Click(select, IDOK);
  ExpectInformation(run, texts_.cannotOpenDialog);
  ASSERT_TRUE(run.WaitFinished());
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(Calls(),
            (std::vector<std::string>{"Orbel_GetCardNum() = 2", "Orbel_Initial(1, 1, 0) = 1", "Orbel_Close(1) = 1"}));
  EXPECT_GE(CallTime("Orbel_Close(1) = 1") - CallTime("Orbel_Initial(1, 1, 0) = 1"), 100.0);
}

TEST_F(Entry, ChosenBoardThatCannotBeOpenedIsNamedByItsNumber) {
  Boards("3", "2");
  ui::ModuleRun run;
  HWND select = run.WaitWindowTitled(texts_.selectCaption);
  ASSERT_TRUE(select);
  ui::SelectListEntry(select, IDC_BOARD_LIST, 2);
  ui::PressKey(run, select, VK_RETURN);  // Enter is OK here: it is the default button
  ExpectInformation(run, texts_.cannotOpenThird);
  ASSERT_TRUE(run.WaitFinished());
  EXPECT_EQ(Calls(), (std::vector<std::string>{"Orbel_GetCardNum() = 3", "Orbel_Initial(2, 1, 0) = 0"}));
}

TEST_F(Entry, CancellingTheChoiceEndsQuietlyWithoutOpeningAnything) {
  Boards("2");
  ui::ModuleRun run(3);
  // Cancel after a choice, then Escape, then the close box.
  HWND select = run.WaitWindowTitled(texts_.selectCaption);
  ASSERT_TRUE(select);
  ui::SelectListEntry(select, IDC_BOARD_LIST, 0);
  ui::Click(select, IDCANCEL);
  ASSERT_TRUE(ui::WaitUntil([&] { return !IsWindow(select); }));

  HWND again = run.WaitWindow([&](HWND w) { return w != select && ui::Text(w) == texts_.selectCaption; });
  ASSERT_TRUE(again);
  ui::PressKey(run, again, VK_ESCAPE);
  ASSERT_TRUE(ui::WaitUntil([&] { return !IsWindow(again); }));

  HWND third = run.WaitWindow([&](HWND w) { return w != select && w != again && ui::Text(w) == texts_.selectCaption; });
  ASSERT_TRUE(third);
  ui::PressClose(third);
  ASSERT_TRUE(run.WaitFinished());
  EXPECT_EQ(Calls(), std::vector<std::string>(3, "Orbel_GetCardNum() = 2"));
  EXPECT_EQ(run.DialogsCreated(), 3) << "no message box";
}

// Counts no machine has: a negative one is no board; one above 256 is
// reported as an answer the device library should not give, and nothing is
// opened. 256 boards are still offered.
TEST_F(Entry, BoardCountsNoMachineHasEndTheRunWithAMessage) {
  for (const char* count : {"-1", "-2147483648", "257", "2147483647"}) {
    Boards("2", "", count);
    ui::ModuleRun run;
    ExpectInformation(run, count[0] == '-' ? texts_.noBoard : texts_.ImpossibleCount(count));
    ASSERT_TRUE(run.WaitFinished());
    EXPECT_EQ(Calls(), std::vector<std::string>{"Orbel_GetCardNum() = " + std::string(count)});
    EXPECT_EQ(run.DialogsCreated(), 1) << count << ": the message box alone";
  }
  Boards("2", "", "256");
  ui::ModuleRun run;
  HWND select = run.WaitWindowTitled(texts_.selectCaption);
  ASSERT_TRUE(select);
  const std::vector<std::wstring> entries = ui::ListEntries(select, IDC_BOARD_LIST);
  EXPECT_EQ(entries.size(), 256u);
  EXPECT_EQ(entries.back(), L"Card 255");
  ui::SelectListEntry(select, IDC_BOARD_LIST, 1);
  ui::Click(select, IDOK);
  HWND dialog = run.WaitWindowTitled(texts_.titleBoard2);
  ASSERT_TRUE(dialog);
  ui::Click(dialog, IDCANCEL);
  ASSERT_TRUE(run.WaitFinished());
  EXPECT_EQ(Calls(),
            (std::vector<std::string>{"Orbel_GetCardNum() = 256", "Orbel_Initial(1, 1, 0) = 1", "Orbel_Close(1) = 1"}));
}

// While a run is open, a further call, from another thread or nested in the
// run's own message loop (a host handling a message the dialog pumps),
// returns at once without a device call, and the open dialog comes to the
// front. The run itself goes on and closes its board once. It watches the
// foreground, which another test's new window would take, so it runs alone.
class EntryForeground : public Entry {};

TEST_F(EntryForeground, ACallWhileARunIsOpenReturnsAtOnce) {
  Boards("1");
  ui::ModuleRun run;
  HWND dialog = run.WaitWindowTitled(texts_.configCaption);
  ASSERT_TRUE(dialog);
  HWND other =
      CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_EQ(GetForegroundWindow(), other);
  {
    ui::ModuleRun second;
    EXPECT_TRUE(second.WaitFinished(1000)) << "a call from another thread returns at once";
    EXPECT_EQ(second.DialogsCreated(), 0);
  }
  EXPECT_TRUE(ui::WaitUntil([&] { return GetForegroundWindow() == dialog; }, 5000)) << "the open dialog comes forward";
  DestroyWindow(other);

  auto show = reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"korvcfg.dll"), "bd_ShowConfigDlg"));
  bool returned = false;
  ASSERT_TRUE(run.RunInItsLoop([&] {
    show();
    returned = true;
  }));
  EXPECT_TRUE(returned) << "a nested call returns at once";
  EXPECT_EQ(run.DialogsCreated(), 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"Orbel_GetCardNum() = 1", "Orbel_Initial(0, 1, 0) = 1"}));

  ui::Click(dialog, IDCANCEL);
  ASSERT_TRUE(run.WaitFinished());
  EXPECT_EQ(Calls().back(), "Orbel_Close(0) = 1");
  EXPECT_EQ(Calls().size(), 3u);
}

TEST(EntryLanguage, OnlyChineseOfThePrcSelectsChinese) {
  // Registered under a Traditional Chinese system language: English texts.
  ASSERT_NE(GetSystemDefaultLangID(), 0x0804);
  Boards("0");
  ui::ModuleRun run;
  ExpectInformation(run, L"No found Korvex board!");
  ASSERT_TRUE(run.WaitFinished());
}

}  // namespace

namespace {

// Copies the module to `copy`, runs it with no board and checks the caption
// of the box it shows: the module's own name, as it finds it.
void ExpectBoxCaptionOfACopy(const std::wstring& copy, const std::wstring& caption) {
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"korvcfg.dll").c_str(), copy.c_str(), FALSE))
      << "error " << GetLastError();
  Boards("0");
  ui::ModuleRun run(1, copy);
  HWND box = run.WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::Text(box), caption);
  ui::Click(box, IDOK);
  ASSERT_TRUE(run.WaitFinished());
}

// "乗" is 0x81 0x5C in GBK: its second byte is a backslash. Loaded from a
// folder and a file named with it, the module must still find its own name
// (the caption of its boxes), so the byte is not taken for a path separator.
TEST(EntryGbkPath, ModuleNameKeepsACharacterWhoseTrailByteIsABackslash) {
  ASSERT_EQ(GetACP(), 936u) << "registered under a Chinese (PRC) system language";
  TempFolder folder(ui::W("乗"));
  ExpectBoxCaptionOfACopy(folder.Path() + ui::W("乗cfg.dll"), ui::W("乗cfg"));
}

// Loaded from a folder whose path is far longer than 260 characters, the
// module still knows its whole path: its boxes carry its own name, not a
// piece of a folder's.
TEST(EntryLongPath, ModuleInADeepFolderKnowsItsOwnName) {
  TempFolder deep;
  std::wstring folder = L"\\\\?\\" + deep.Path();
  for (wchar_t c : {L'a', L'b', L'c'}) {
    folder += std::wstring(100, c);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << "error " << GetLastError();
    folder += L"\\";
  }
  ExpectBoxCaptionOfACopy(folder + L"korvcfg.dll", L"korvcfg");
}

}  // namespace

namespace {

bool CentredOnTheScreen(HWND window) {
  RECT r, area;
  GetWindowRect(window, &r);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return std::abs((r.left + r.right) - (area.left + area.right)) <= 1 &&
         std::abs((r.top + r.bottom) - (area.top + area.bottom)) <= 1;
}

TEST(EntryLayout, BothDialogsOpenCentredOnTheScreen) {
  Boards("2");
  ui::ModuleRun run;
  HWND select = run.WaitWindowTitled(L"Select Board");
  ASSERT_TRUE(select);
  EXPECT_TRUE(CentredOnTheScreen(select));
  ui::SelectListEntry(select, IDC_BOARD_LIST, 0);
  ui::Click(select, IDOK);
  HWND dialog = run.WaitWindowTitled(L"Korvex Board Setup(Board1)");
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(CentredOnTheScreen(dialog));
  ui::Click(dialog, IDCANCEL);
  ASSERT_TRUE(run.WaitFinished());
}

}  // namespace
