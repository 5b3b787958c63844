// The configuration dialog through the real dialog manager, against the
// simulated boards: its templates as created, what it shows of a board, and
// what every control does to the board, to Board.ini and to the output, in
// English and in Chinese; and two hundred runs in one process.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <climits>
#include <cwctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board_settings.h"
#include "control_ids.h"
#include "host_path.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "settings_testing.h"
#include "testout_expected.h"
#include "tga_builder.h"
#include "ui_driver.h"

namespace {

using ui::W;
using Ids = std::vector<int>;
using Calls = std::vector<std::string>;

// The radio groups of the settings as a person meets them, in template
// (reading) order.
const std::vector<Ids> kGroups = {
    {IDC_SYNC_INTERNAL, IDC_SYNC_EXTERNAL, IDC_SYNC_FROM_VIDEO},
    {IDC_SOURCE_CVBS1, IDC_SOURCE_YC, IDC_SOURCE_YUV, IDC_SOURCE_SDI, IDC_SOURCE_CVBS2},
    {IDC_AUDIO_ANALOG, IDC_AUDIO_SDI_EMBED},
    {IDC_MIX_BYPASS, IDC_MIX_GRAPHIC},
    {IDC_LOCK_VTR, IDC_LOCK_TV},
    {IDC_MODE_NTSC, IDC_MODE_PAL},
    {IDC_BLACK_0_0, IDC_BLACK_7_5},
    {IDC_OUT_VIDEO_PLAY, IDC_OUT_VIDEO_INPUT},
    {IDC_OUT_AUDIO_PLAY, IDC_OUT_AUDIO_INPUT},
    {IDC_PAUSE_FRAME, IDC_PAUSE_FIRST_FIELD, IDC_PAUSE_SECOND_FIELD},
    {IDC_CAPTURE_INPUT, IDC_CAPTURE_PLAY},
};
const Ids kTestPictures = {IDC_BARS_CLEAR, IDC_BARS_100_0_100_00, IDC_BARS_100_0_100_25, IDC_BARS_100_0_75_00,
                           IDC_BARS_ALPHA};
const Ids kSliderIds = {IDC_CONTRAST,   IDC_LIGHT,      IDC_HUE,         IDC_SATUATION,
                        IDC_SUBCARRIER, IDC_LINE_PHASE, IDC_FIELD_PHASE, IDC_VOLUME};

template <class T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Each slider, its value field and the setting its calls name.
struct SliderCase {
  int slider, value;
  const char* setting;
};
const SliderCase kSliders[] = {
    {IDC_CONTRAST, IDC_CONTRAST_VALUE, "Contrast"},
    {IDC_LIGHT, IDC_LIGHT_VALUE, "Light"},
    {IDC_HUE, IDC_HUE_VALUE, "Hue"},
    {IDC_SATUATION, IDC_SATUATION_VALUE, "Satuation"},
    {IDC_SUBCARRIER, IDC_SUBCARRIER_VALUE, "SubcarrierPhase"},
    {IDC_LINE_PHASE, IDC_LINE_PHASE_VALUE, "LinePhase"},
    {IDC_FIELD_PHASE, IDC_FIELD_PHASE_VALUE, "FieldPhase"},
    {IDC_VOLUME, IDC_VOLUME_VALUE, "AudioVolumn"},
};

void Boards(const char* subBoards = "", const char* failingSetters = "", const char* failingGetters = "") {
  SetEnvironmentVariableA("KORVSIM_BOARDS", "1");
  SetEnvironmentVariableA("KORVSIM_SUBBOARD", subBoards);
  SetEnvironmentVariableA("KORVSIM_FAIL_SETTER", failingSetters);
  SetEnvironmentVariableA("KORVSIM_FAIL_GETTER", failingGetters);
  KorvSim_Reset();
}

Ids Sorted(Ids ids) {
  std::sort(ids.begin(), ids.end());
  return ids;
}

// Each scenario runs under a Chinese (PRC) and an English system language.
class ConfigDialog : public ::testing::Test {
 protected:
  void SetUp() override { Boards(); }

  bool Chinese() const { return GetSystemDefaultLangID() == 0x0804; }
  // Starts a run and waits for its dialog; calls count from its opening on.
  HWND Start(const std::wstring& module = L"korvcfg.dll") {
    run_ = std::make_unique<ui::ModuleRun>(1, module);
    dialog_ = run_->WaitWindowTitled(Chinese() ? W("配置 Korvex  V1.6") : L"Config Korvex V1.6");
    EXPECT_TRUE(dialog_ && run_->Sync()) << "no configuration dialog";
    mark_ = KorvSim_CallCount();
    return dialog_;
  }
  // Acts, waits until the dialog has handled it, and returns the device calls it made.
  Calls Do(const std::function<void()>& action) {
    mark_ = KorvSim_CallCount();
    action();
    EXPECT_TRUE(run_->Sync());
    return SimCalls(mark_);
  }
  Calls Click(int id) {
    return Do([&] { ui::Click(dialog_, id); });
  }
  bool BoxOpen() const {
    const std::vector<HWND> windows = run_->Windows();
    return std::any_of(windows.begin(), windows.end(), ui::IsMessageBox);
  }
  // The open message box's caption and text, after checking it is an OK box
  // of the dialog without an icon; it is closed.
  std::pair<std::wstring, std::wstring> AnswerBox() {
    HWND box = run_->WaitMessageBox();
    if (!box) return {L"no box", L""};
    EXPECT_FALSE(ui::HasInformationIcon(box));
    EXPECT_EQ(ui::ButtonIds(box), Ids{IDOK});
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog_);
    std::pair<std::wstring, std::wstring> shown = {ui::Text(box), ui::MessageText(box)};
    ui::Click(box, IDOK);
    EXPECT_TRUE(ui::WaitUntil([&] { return !IsWindow(box); }));
    return shown;
  }
  std::wstring Text(int id) const { return ui::Text(GetDlgItem(dialog_, id)); }
  Ids Checked() const {
    Ids checked;
    for (const Ids& group : kGroups)
      for (int id : group)
        if (ui::CheckState(dialog_, id) == BST_CHECKED) checked.push_back(id);
    return Sorted(checked);
  }
  // Ends the run with "Exit"; returns the calls after the last action.
  Calls Finish() {
    mark_ = KorvSim_CallCount();
    ui::Click(dialog_, IDCANCEL);
    EXPECT_TRUE(run_->WaitFinished());
    run_.reset();
    return SimCalls(mark_);
  }

  std::unique_ptr<ui::ModuleRun> run_;
  HWND dialog_ = nullptr;
  int mark_ = 0;
};

TEST_F(ConfigDialog, TemplateMakesItsControlsWithTheirStylesAndElevenRadioGroups) {
  Start();
  std::vector<ui::WindowEvent> controls;
  for (const ui::WindowEvent& e : run_->Events())
    if (e.created && e.parent == dialog_) controls.push_back(e);
  ASSERT_EQ(controls.size(), 73u);

  // A group runs from a WS_GROUP control to the next; only radio buttons count.
  // The radio buttons are not automatic: arrow keys only move the focus.
  std::vector<Ids> groups;
  Ids unnamed, disabled, tabStops, multiLine, centred, edged, pushButtons;
  for (const ui::WindowEvent& e : controls) {
    if (e.style & WS_GROUP) groups.emplace_back();
    if (e.className == L"Button" && (e.style & BS_TYPEMASK) == BS_RADIOBUTTON) groups.back().push_back(e.id);
    if (e.className == L"Button" && (e.style & BS_TYPEMASK) == BS_PUSHBUTTON) pushButtons.push_back(e.id);
    if (e.id == -1) unnamed.push_back(e.style & (WS_DISABLED | SS_CENTERIMAGE));
    if (e.id != -1 && (e.style & WS_DISABLED)) disabled.push_back(e.id);
    if (e.style & WS_TABSTOP) tabStops.push_back(e.id);
    if (e.className == L"Button" && (e.style & BS_MULTILINE)) multiLine.push_back(e.id);
    if (e.className == L"Static" && e.id != -1 && (e.style & SS_CENTERIMAGE)) centred.push_back(e.id);
    if (e.exStyle & WS_EX_STATICEDGE) edged.push_back(e.id);
  }
  groups.erase(std::remove(groups.begin(), groups.end(), Ids()), groups.end());
  EXPECT_EQ(groups, kGroups);
  // 13 group boxes, two of them disabled, and 8 labels, all vertically centred.
  EXPECT_EQ(Sorted(unnamed), Sorted(Ids(11, 0) + Ids(2, WS_DISABLED) + Ids(8, SS_CENTERIMAGE)));
  EXPECT_EQ(Sorted(disabled),
            Sorted({IDC_CAPTURE_INPUT, IDC_CAPTURE_PLAY, IDC_MODE_NTSC, IDC_LOCK_TV, IDC_BLACK_0_0, IDC_BLACK_7_5}));
  // Radio buttons get theirs as they are checked.
  const Ids commands = kTestPictures + Ids{IDC_SAVE_DEFAULT, IDC_RESTORE_DEFAULT, IDC_RESTORE_FACTORY, IDCANCEL};
  EXPECT_EQ(tabStops, kSliderIds + commands);
  EXPECT_EQ(pushButtons, commands);
  EXPECT_EQ(multiLine, Chinese() ? Ids() : Ids{IDC_RESTORE_FACTORY});
  const Ids values = {IDC_CONTRAST_VALUE,   IDC_LIGHT_VALUE,      IDC_HUE_VALUE,         IDC_SATUATION_VALUE,
                      IDC_SUBCARRIER_VALUE, IDC_LINE_PHASE_VALUE, IDC_FIELD_PHASE_VALUE, IDC_VOLUME_VALUE};
  EXPECT_EQ(Sorted(edged), Sorted(values));
  EXPECT_EQ(Sorted(centred), Chinese() ? Ids() : Sorted(Ids(values.begin(), values.end() - 1)));
  EXPECT_EQ(Text(IDCANCEL), Chinese() ? W("退  出(&X)") : L"E&xit");
  EXPECT_EQ(Text(IDC_AUDIO_ANALOG), Chinese() ? W("模拟音频") : L"Analog ");
  EXPECT_EQ(GetDlgItem(dialog_, IDOK), nullptr);
  Finish();
}

TEST_F(ConfigDialog, ShowsTheBoardAsItOpensWithoutChangingIt) {
  // Power-on: internal sync, CVBS1, analog audio, 0.0 IRE, VTR, bypass, PAL,
  // input video and audio out, capture input, whole frames.
  const Ids powerOn = {IDC_SYNC_INTERNAL,   IDC_SOURCE_CVBS1,  IDC_AUDIO_ANALOG, IDC_BLACK_0_0,
                       IDC_LOCK_VTR,        IDC_MIX_BYPASS,    IDC_MODE_PAL,     IDC_OUT_VIDEO_INPUT,
                       IDC_OUT_AUDIO_INPUT, IDC_CAPTURE_INPUT, IDC_PAUSE_FRAME};
  struct Case {
    const char* subBoards;
    std::vector<std::pair<const char*, int>> board;
    Ids gone, come;  // checked buttons that differ from power-on
  };
  const Case cases[] = {
      {"", {{"CmpsOrSvideo", 5}}, {IDC_SOURCE_CVBS1}, {IDC_SOURCE_CVBS2}},
      {"",
       {{"CmpsOrSvideo", 3}, {"AudioSrc", 1}},
       {IDC_SOURCE_CVBS1, IDC_AUDIO_ANALOG},
       {IDC_SOURCE_SDI, IDC_AUDIO_SDI_EMBED}},
      {"all", {{"CmpsOrSvideo", 4}}, {IDC_SOURCE_CVBS1}, {IDC_SOURCE_CVBS2}},
      {"all", {{"CmpsOrSvideo", 9}, {"VideoMode", -1}}, {IDC_SOURCE_CVBS1, IDC_MODE_PAL}, {}},
      {"", {{"CapVideoSrc", 0}, {"PlayBufferRepeatMode", 0}}, {IDC_CAPTURE_INPUT, IDC_PAUSE_FRAME}, {}},
      {"",
       {{"CapVideoSrc", 2},
        {"PlayBufferRepeatMode", 3},
        {"InnerOrExtraSync", 2},
        {"TVORVTR", 1},
        {"VideoBypass", 1},
        {"VideoBlackLevel", 1},
        {"VideoMode", 0},
        {"OutVideoSrc", 0},
        {"OutAudioSrc", 0}},
       powerOn,
       {IDC_CAPTURE_PLAY, IDC_PAUSE_SECOND_FIELD, IDC_SYNC_FROM_VIDEO, IDC_LOCK_TV, IDC_MIX_GRAPHIC, IDC_BLACK_7_5,
        IDC_MODE_NTSC, IDC_OUT_VIDEO_PLAY, IDC_OUT_AUDIO_PLAY, IDC_SOURCE_CVBS1, IDC_AUDIO_ANALOG}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    Boards(c.subBoards);
    for (const auto& [name, value] : c.board) KorvSim_Poke(name, value, 0);
    Start();
    Ids expected = c.come;
    for (int id : powerOn)
      if (std::find(c.gone.begin(), c.gone.end(), id) == c.gone.end()) expected.push_back(id);
    EXPECT_EQ(Checked(), Sorted(expected));
    // Only a board with the sub-board offers SDI.
    EXPECT_EQ(ui::IsEnabled(dialog_, IDC_SOURCE_SDI), std::string(c.subBoards) == "all");
    EXPECT_EQ(ui::IsEnabled(dialog_, IDC_AUDIO_SDI_EMBED), std::string(c.subBoards) == "all");
    Finish();
    for (const std::string& call : SimCalls()) EXPECT_NE(call.rfind("Orbel_Set", 0), 0u) << call;
  }

  // Slider fields show the board's numbers as they are, in range or not.
  const int values[] = {128, 0, 255, 7, 300, -5, 99, 200};
  for (int i = 0; i < 8; ++i) KorvSim_Poke(kSliders[i].setting, values[i], 0);
  Start();
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(Text(kSliders[i].value), std::to_wstring(values[i]));
    EXPECT_EQ(ui::ScrollPos(dialog_, kSliders[i].slider), std::clamp(values[i], 0, 255));
  }
  Finish();
}

TEST_F(ConfigDialog, EachSettingButtonCallsItsSetterAndARefusalShowsWhatTheBoardHas) {
  // A row per group: the setting, its buttons, the codes they send, and the
  // captions of the boxes shown when the board refuses (empty: no box).
  // After a refusal the board is asked what it has.
  struct Case {
    const char* setting;
    Ids buttons, codes;
    std::vector<const char*> refused;
  };
  const Case cases[] = {
      {"InnerOrExtraSync", kGroups[0], {0, 1, 2}, {}},
      {"CmpsOrSvideo", kGroups[1], {0, 1, 2, 3, 5}, {"CVBS1 err", "Svideo err", "YUV err", "SDI err", "CVBS2 err"}},
      {"AudioSrc", kGroups[2], {0, 1}, {}},
      {"TVORVTR", kGroups[4], {0, 1}, {"VTR err", "TV err"}},
      {"VideoBypass", kGroups[3], {0, 1}, {"Bypass err", "Video mix err"}},
      {"VideoMode", kGroups[5], {0, 1}, {}},
      {"VideoBlackLevel", kGroups[6], {0, 1}, {"Set video black level error!", "Set video black level error!"}},
      {"OutVideoSrc", kGroups[7], {0, 1}, {}},
      {"OutAudioSrc", kGroups[8], {0, 1}, {}},
      {"CapVideoSrc", kGroups[10], {1, 2}, {}},
      {"PlayBufferRepeatMode", kGroups[9], {1, 2, 3}, {}},
  };
  std::string all;
  for (const Case& c : cases) all += std::string(c.setting) + ",";
  Boards("all", all.c_str());  // a board that refuses everything
  Start();
  const Ids powerOn = Checked();
  const std::wstring refusal = Chinese() ? W("板卡拒绝了") : L"The board refused ";
  for (const Case& c : cases)
    for (size_t i = 0; i < c.buttons.size(); ++i) {
      const std::string call = "Orbel_Set" + std::string(c.setting) + "(" + std::to_string(c.codes[i]) + ", 0) = 0";
      const std::string get = "Orbel_Get" + std::string(c.setting) + "(&v, 0) -> ";
      // Disabled buttons are bound all the same; only the dialog manager can click them.
      const Calls calls = Do([&] { ui::Command(dialog_, c.buttons[i]); });
      ASSERT_EQ(calls.size(), 2u) << call;
      EXPECT_EQ(calls[0], call);
      EXPECT_EQ(calls[1].rfind(get, 0), 0u) << calls[1];
      EXPECT_EQ(BoxOpen(), !c.refused.empty()) << call;
      if (!c.refused.empty()) {
        const auto [caption, text] = AnswerBox();
        EXPECT_EQ(caption, W(c.refused[i]));
        EXPECT_EQ(text.rfind(refusal, 0), 0u) << text;
      }
      EXPECT_EQ(Checked(), powerOn) << "the board's own settings stay on screen";
    }

  // A person's click on "YC": the box names the setting and the value as
  // the dialog does, and "CVBS1", which the board kept, stays checked.
  for (int click = 0; click < 2; ++click) {
    EXPECT_EQ(Click(IDC_SOURCE_YC), (Calls{"Orbel_SetCmpsOrSvideo(1, 0) = 0", "Orbel_GetCmpsOrSvideo(&v, 0) -> 0 = 1"}));
    EXPECT_EQ(AnswerBox(), std::make_pair(std::wstring(L"Svideo err"),
                                          Chinese() ? W("板卡拒绝了视频源“YC”，显示的是板卡现在的设置。")
                                                    : std::wstring(L"The board refused Video Src \"YC\". The dialog "
                                                                   L"shows what the board has now.")));
    EXPECT_EQ(ui::CheckState(dialog_, IDC_SOURCE_YC), BST_UNCHECKED);
    EXPECT_EQ(ui::CheckState(dialog_, IDC_SOURCE_CVBS1), BST_CHECKED);
  }
  Finish();

  // A board that takes the value: the button it took is checked.
  Boards("all");
  Start();
  EXPECT_EQ(Click(IDC_SOURCE_YC), Calls{"Orbel_SetCmpsOrSvideo(1, 0) = 1"});
  EXPECT_EQ(std::make_pair(ui::CheckState(dialog_, IDC_SOURCE_YC), ui::CheckState(dialog_, IDC_SOURCE_CVBS1)),
            std::make_pair(BST_CHECKED, BST_UNCHECKED));
  Finish();
}

TEST_F(ConfigDialog, SlidersMoveByTheirScrollCodesWithinZeroTo255AndTellTheBoardEachTime) {
  struct Case {
    int start, code, thumb, expected;
  };
  const Case cases[] = {
      {250, SB_PAGERIGHT, 0, 255},   {100, SB_PAGERIGHT, 0, 110},
      {3, SB_PAGELEFT, 0, 0},        {128, SB_PAGELEFT, 0, 118},
      {128, SB_LINELEFT, 0, 127},    {128, SB_LINERIGHT, 0, 129},
      {0, SB_LINELEFT, 0, 0},        {255, SB_LINERIGHT, 0, 255},
      {10, SB_THUMBTRACK, 200, 200}, {10, SB_THUMBPOSITION, 300, 255},
      {5, SB_ENDSCROLL, 0, 5},       {5, SB_LEFT, 0, 0},
      {5, SB_RIGHT, 0, 255},
  };
  Start();
  for (const Case& c : cases) {
    Do([&] { ui::Scroll(dialog_, IDC_CONTRAST, SB_THUMBPOSITION, c.start); });
    EXPECT_EQ(Do([&] { ui::Scroll(dialog_, IDC_CONTRAST, c.code, c.thumb); }),
              Calls{"Orbel_SetContrast(" + std::to_string(c.expected) + ", 0) = 1"})
        << "from " << c.start << " code " << c.code;
    EXPECT_EQ(ui::ScrollPos(dialog_, IDC_CONTRAST), c.expected);
    EXPECT_EQ(Text(IDC_CONTRAST_VALUE), std::to_wstring(c.expected));
  }
  // Dragging each thumb: a call per tracking message, and one more at the end.
  for (const SliderCase& s : kSliders) {
    Calls expected;
    for (int v : {50, 120, 200, 200, 200})
      expected.push_back("Orbel_Set" + std::string(s.setting) + "(" + std::to_string(v) + ", 0) = 1");
    EXPECT_EQ(Do([&] {
                for (int v : {50, 120, 200}) ui::Scroll(dialog_, s.slider, SB_THUMBTRACK, v);
                ui::Scroll(dialog_, s.slider, SB_THUMBPOSITION, 200);
                ui::Scroll(dialog_, s.slider, SB_ENDSCROLL);
              }),
              expected);
    EXPECT_EQ(Text(s.value), L"200");
  }
  EXPECT_EQ(Do([&] { ui::Scroll(dialog_, IDC_SAVE_DEFAULT, SB_LINERIGHT); }), Calls()) << "not from a slider";
  Finish();
}

// Keyboard: real key presses through the dialog manager, on a board with
// the sub-board as it powers up.
class ConfigDialogKeys : public ConfigDialog {
 protected:
  void SetUp() override { Boards("all"); }
  // The dialog in front, with the focus where the dialog manager put it.
  void StartInFront(const std::wstring& module = L"korvcfg.dll") {
    Start(module);
    SetForegroundWindow(dialog_);
    EXPECT_TRUE(ui::WaitUntil([&] { return ui::Focus(*run_) != nullptr; })) << "the dialog has no focus";
  }
  // Presses the keys; returns the device calls they made.
  Calls Keys(const std::vector<ui::Key>& keys) {
    return Do([&] { EXPECT_TRUE(ui::Type(*run_, dialog_, keys)) << "keys not handled"; });
  }
  int Focused() const { return GetDlgCtrlID(ui::Focus(*run_)); }
};

ui::Key Alt(char c) { return {static_cast<WORD>(c), VK_MENU}; }
const ui::Key kTab = {VK_TAB}, kBackTab = {VK_TAB, VK_SHIFT}, kSpace = {VK_SPACE};

// Where Tab stops, in reading order: the checked button of each radio group,
// the sliders, the test pictures, the default buttons, "Exit"; disabled
// controls are passed by.
const Ids kTabOrder = {IDC_SYNC_INTERNAL,   IDC_SOURCE_CVBS1,    IDC_AUDIO_ANALOG,      IDC_MIX_BYPASS,
                       IDC_LOCK_VTR,        IDC_MODE_PAL,        IDC_CONTRAST,          IDC_LIGHT,
                       IDC_HUE,             IDC_SATUATION,       IDC_SUBCARRIER,        IDC_LINE_PHASE,
                       IDC_FIELD_PHASE,     IDC_VOLUME,          IDC_BARS_CLEAR,        IDC_BARS_100_0_100_00,
                       IDC_BARS_100_0_100_25, IDC_BARS_100_0_75_00, IDC_BARS_ALPHA,     IDC_SAVE_DEFAULT,
                       IDC_RESTORE_DEFAULT, IDC_RESTORE_FACTORY, IDC_OUT_VIDEO_INPUT,   IDC_OUT_AUDIO_INPUT,
                       IDC_PAUSE_FRAME,     IDCANCEL};

TEST_F(ConfigDialogKeys, TabReachesEveryControlInReadingOrderAndSetsNothing) {
  StartInFront();
  Ids visited = {Focused()};
  Calls calls;
  for (size_t i = 0; i < kTabOrder.size(); ++i) {
    calls = calls + Keys({kTab});
    visited.push_back(Focused());
  }
  EXPECT_EQ(visited, kTabOrder + Ids{kTabOrder[0]});
  calls = calls + Keys({kBackTab});
  EXPECT_EQ(Focused(), IDCANCEL);
  EXPECT_EQ(calls, Calls());
  Finish();
}

TEST_F(ConfigDialogKeys, ArrowsMoveOnlyTheFocusWithinEachGroupAndTheSpaceBarPicks) {
  // Each group, reached by its caption's mnemonic (the default buttons by
  // Tab), and where Down or Right takes the focus from there, round to the
  // start; disabled buttons are passed by.
  struct Case {
    std::vector<ui::Key> reach;
    Ids focus;
  };
  const Case cases[] = {
      {{Alt('Y')}, kGroups[0] + Ids{IDC_SYNC_INTERNAL}},
      {{Alt('V')}, kGroups[1] + Ids{IDC_SOURCE_CVBS1}},
      {{Alt('A')}, kGroups[2] + Ids{IDC_AUDIO_ANALOG}},
      {{Alt('T')}, kGroups[3] + Ids{IDC_MIX_BYPASS}},
      {{Alt('L')}, {IDC_LOCK_VTR, IDC_LOCK_VTR}},
      {{Alt('M')}, {IDC_MODE_PAL, IDC_MODE_PAL}},
      {{Alt('O')}, {IDC_OUT_VIDEO_INPUT, IDC_OUT_VIDEO_PLAY, IDC_OUT_VIDEO_INPUT}},
      {{Alt('D')}, {IDC_OUT_AUDIO_INPUT, IDC_OUT_AUDIO_PLAY, IDC_OUT_AUDIO_INPUT}},
      {{Alt('E')}, kGroups[9] + Ids{IDC_PAUSE_FRAME}},
      {{Alt('B')}, kTestPictures + Ids{IDC_BARS_CLEAR}},
      {{Alt('B'), kTab, kTab, kTab, kTab, kTab},
       {IDC_SAVE_DEFAULT, IDC_RESTORE_DEFAULT, IDC_RESTORE_FACTORY, IDC_SAVE_DEFAULT}},
  };
  StartInFront();
  const Ids powerOn = Checked();
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "group " << (&c - cases));
    EXPECT_EQ(Keys(c.reach), Calls());
    Ids focus = {Focused()};
    for (size_t i = 1; i < c.focus.size(); ++i) {
      EXPECT_EQ(Keys({{static_cast<WORD>(i % 2 ? VK_DOWN : VK_RIGHT)}}), Calls());
      focus.push_back(Focused());
    }
    EXPECT_EQ(focus, c.focus);
    // Up goes back, Left too.
    EXPECT_EQ(Keys({{VK_UP}, {VK_LEFT}}), Calls());
    EXPECT_EQ(Focused(), c.focus[c.focus.size() > 2 ? c.focus.size() - 3 : 0]);
    EXPECT_EQ(Checked(), powerOn);
  }

  // The space bar picks the focused button: the board is told, the button checked.
  Keys({Alt('Y'), {VK_DOWN}});
  EXPECT_EQ(Keys({kSpace}), Calls{"Orbel_SetInnerOrExtraSync(1, 0) = 1"});
  EXPECT_EQ(std::make_pair(ui::CheckState(dialog_, IDC_SYNC_EXTERNAL), ui::CheckState(dialog_, IDC_SYNC_INTERNAL)),
            std::make_pair(BST_CHECKED, BST_UNCHECKED));
  // And sends the focused test picture; Enter on a slider afterwards sends nothing.
  Keys({Alt('B'), {VK_DOWN}, {VK_DOWN}, {VK_DOWN}});
  const Calls bars = Keys({kSpace});
  ASSERT_EQ(bars.size(), 576u);
  EXPECT_EQ(bars.back(), "Orbel_SetRectangle(0, 575, 720, 1, pixels, 0) = 1");
  EXPECT_EQ(Keys({kBackTab, kBackTab, kBackTab, kBackTab, {VK_RETURN}}), Calls());
  EXPECT_EQ(Focused(), IDC_VOLUME);
  EXPECT_TRUE(IsWindowVisible(dialog_));
  Finish();
}

TEST_F(ConfigDialogKeys, SlidersTakeArrowsPagesHomeAndEnd) {
  struct Case {
    WORD key;
    int value;
  };
  // The contrast starts at 128.
  const Case cases[] = {{VK_RIGHT, 129}, {VK_DOWN, 130}, {VK_LEFT, 129}, {VK_UP, 128}, {VK_NEXT, 138},
                        {VK_PRIOR, 128}, {VK_END, 255},  {VK_RIGHT, 255}, {VK_HOME, 0}, {VK_LEFT, 0}};
  StartInFront();
  Keys({Alt('U')});
  ASSERT_EQ(Focused(), IDC_CONTRAST);
  for (const Case& c : cases) {
    const Calls calls = Keys({{c.key}});
    ASSERT_FALSE(calls.empty()) << "key " << c.key;
    EXPECT_EQ(calls.back(), "Orbel_SetContrast(" + std::to_string(c.value) + ", 0) = 1") << "key " << c.key;
    EXPECT_EQ(Text(IDC_CONTRAST_VALUE), std::to_wstring(c.value));
  }
  // Tab goes on to the next slider.
  Keys({kTab, {VK_END}});
  EXPECT_EQ(KorvSim_Peek("Light", 0), 255);
  Finish();
}

TEST_F(ConfigDialogKeys, MnemonicsPressTheirButtons) {
  // Alt and the letter; how many device calls, and the last one.
  struct Case {
    char key;
    size_t count;
    const char* last;
  };
  const Case cases[] = {
      {'C', 1, "Orbel_ClearCurrentScreen(0) = 1"},
      {'0', 576, "Orbel_SetRectangle(0, 575, 720, 1, pixels, 0) = 1"},
      {'2', 576, "Orbel_SetRectangle(0, 575, 720, 1, pixels, 0) = 1"},
      {'7', 576, "Orbel_SetRectangle(0, 575, 720, 1, pixels, 0) = 1"},
      {'H', 1, "Orbel_GetMemAddress(&p, 0) = 1"},
      {'S', 20, "Orbel_GetPlayBufferRepeatMode(&v, 0) -> 1 = 1"},
      {'R', 19, "Orbel_SetTVORVTR(0, 0) = 1"},
      {'I', 19, "Orbel_SetTVORVTR(0, 0) = 1"},
  };
  ui::ModuleFolder folder;
  ASSERT_TRUE(folder.CopyIn(L"TestAlpha.tga"));
  StartInFront(folder.Module());
  for (const Case& c : cases) {
    const Calls calls = Keys({Alt(c.key)});
    EXPECT_EQ(calls.size(), c.count) << c.key;
    EXPECT_EQ(calls.empty() ? "" : calls.back(), c.last) << c.key;
  }
  EXPECT_NE(GetFileAttributesW((folder.Path() + L"Board.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  mark_ = KorvSim_CallCount();
  EXPECT_TRUE(ui::Type(*run_, dialog_, {Alt('X')}) || !IsWindow(dialog_));
  EXPECT_TRUE(run_->WaitFinished());
  EXPECT_EQ(SimCalls(mark_), Calls{"Orbel_Close(0) = 1"});
  run_.reset();
}

// The letter after a lone '&', upper case; 0 for none.
wchar_t Mnemonic(const std::wstring& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] != L'&') return towupper(text[i + 1]);
    ++i;
  }
  return 0;
}

TEST_F(ConfigDialog, EveryPushButtonAndGroupCaptionHasAMnemonicOfItsOwn) {
  Start();
  std::wstring letters;
  for (const ui::WindowEvent& e : run_->Events()) {
    if (!e.created || e.parent != dialog_ || e.className != L"Button") continue;
    const DWORD type = e.style & BS_TYPEMASK;
    const wchar_t letter = Mnemonic(e.text);
    if (type == BS_PUSHBUTTON || type == BS_GROUPBOX) {
      EXPECT_NE(letter, 0) << ui::Text(GetDlgItem(dialog_, e.id)) << " " << e.id;
      letters += letter;
    } else {
      EXPECT_EQ(letter, 0) << e.id;
    }
  }
  std::sort(letters.begin(), letters.end());
  EXPECT_EQ(std::adjacent_find(letters.begin(), letters.end()), letters.end()) << "a mnemonic twice";
  EXPECT_EQ(letters, L"027ABCDEHIKLMOPRSTUVXY");
  Finish();
}

TEST_F(ConfigDialog, EveryCaptionFitsItsPushButtonOrGroupBox) {
  // The Chinese default buttons' captions, "(&S)" and all, are wider than the
  // buttons in the template's font.
  Start();
  for (const ui::WindowEvent& e : run_->Events()) {
    const DWORD type = e.style & BS_TYPEMASK;
    if (!e.created || e.parent != dialog_ || e.className != L"Button" || (e.style & BS_MULTILINE) ||
        (type != BS_PUSHBUTTON && type != BS_GROUPBOX))
      continue;
    HDC dc = GetDC(e.hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(e.hwnd, WM_GETFONT, 0, 0)));
    RECT need = {}, box = {};
    DrawTextW(dc, e.text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(e.hwnd, dc);
    GetClientRect(e.hwnd, &box);
    // Inside a push button's edges and focus frame; between a group box's corners.
    EXPECT_LE(need.right, box.right - (type == BS_GROUPBOX ? 16 : 8)) << ui::Text(e.hwnd);
  }
  Finish();
}

// "Orbel_SetX(value, 0)" of each call, without its result.
Calls Applied(const Calls& calls) {
  Calls applied;
  for (const std::string& call : calls) applied.push_back(call.substr(0, call.rfind(" = ")));
  return applied;
}

TEST_F(ConfigDialog, DefaultButtonsSaveAndRestoreThroughBoardIniAcrossRuns) {
  ui::ModuleFolder folder;
  Boards("all");
  Start(folder.Module());
  // Without Board.ini both restore buttons apply the factory values, sync source and lock mode last.
  const Calls restored = Click(IDC_RESTORE_DEFAULT);
  ASSERT_EQ(restored.size(), 19u);
  EXPECT_EQ(Applied(restored), Applied(Click(IDC_RESTORE_FACTORY)));
  EXPECT_EQ(Applied(restored).back(), "Orbel_SetTVORVTR(0, 0)");
  EXPECT_EQ(ui::CheckState(dialog_, IDC_SYNC_FROM_VIDEO), BST_CHECKED) << "shown as applied";

  Do([&] {
    ui::Click(dialog_, IDC_BARS_CLEAR);
    ui::Click(dialog_, IDC_SOURCE_YC);
    ui::Scroll(dialog_, IDC_CONTRAST, SB_THUMBPOSITION, 200);
  });
  EXPECT_EQ(Click(IDC_SAVE_DEFAULT).size(), 20u) << "the board is read, nothing is set";
  EXPECT_FALSE(BoxOpen()) << "a save that works is silent";
  BoardSettings saved;
  ASSERT_TRUE(GetPrivateProfileStructA(kFileSection, kFileKey, &saved, sizeof saved, (AnsiText(folder.Path()) + "Board.ini").c_str()));
  EXPECT_EQ(std::make_pair(saved.contrast, saved.cmpsOrSvideo), std::make_pair(200, 1));
  EXPECT_EQ(saved.subBoardIfExist, 1) << "the board's own";
  EXPECT_EQ(saved.reserved3 + saved.reserved7, 0) << "never read from the board";

  Click(IDC_RESTORE_FACTORY);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 128);
  Click(IDC_RESTORE_DEFAULT);
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 200);
  Finish();

  Boards("all");  // the board powers up afresh; the next run restores the saved record
  Start(folder.Module());
  EXPECT_EQ(Text(IDC_CONTRAST_VALUE), L"128");
  Click(IDC_BARS_CLEAR);
  Click(IDC_RESTORE_DEFAULT);
  EXPECT_EQ(std::make_pair(KorvSim_Peek("Contrast", 0), KorvSim_Peek("CmpsOrSvideo", 0)), std::make_pair(200, 1));
  EXPECT_EQ(Text(IDC_CONTRAST_VALUE), L"200");
  Finish();
}

TEST_F(ConfigDialog, ASaveThatCannotWriteTheFileSaysSoAndKeepsTheDefaultsForThisRun) {
  ui::ModuleFolder folder;
  ASSERT_TRUE(CreateDirectoryW((folder.Path() + L"Board.ini").c_str(), nullptr)) << "a folder in the file's place";
  Start(folder.Module());
  Do([&] { ui::Scroll(dialog_, IDC_VOLUME, SB_THUMBPOSITION, 77); });
  Click(IDC_SAVE_DEFAULT);
  const std::pair<std::wstring, std::wstring> box = AnswerBox();
  EXPECT_NE(box.second.find(folder.Path() + L"Board.ini"), std::wstring::npos) << "names the file";
  Click(IDC_RESTORE_FACTORY);
  Click(IDC_RESTORE_DEFAULT);
  EXPECT_EQ(KorvSim_Peek("AudioVolumn", 0), 77);
  Finish();

  // A read-only file: the box says why.
  ui::ModuleFolder readOnly;
  ASSERT_TRUE(readOnly.Write(L"Board.ini", {}));
  SetFileAttributesW((readOnly.Path() + L"Board.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  Start(readOnly.Module());
  Click(IDC_SAVE_DEFAULT);
  EXPECT_EQ(AnswerBox().second, (Chinese() ? W("无法保存默认值到文件：\n") : L"Cannot save the defaults to the file:\n") +
                                    readOnly.Path() + L"Board.ini" +
                                    (Chinese() ? W("\n文件或磁盘是只读的。") : L"\nThe file or the disk is read-only."));
  Finish();
}

TEST_F(ConfigDialog, ABoardThatDoesNotReportItsSettingsLeavesTheSavedDefaultsAlone) {
  ui::ModuleFolder folder;
  Start(folder.Module());
  Do([&] { ui::Scroll(dialog_, IDC_VOLUME, SB_THUMBPOSITION, 77); });
  Click(IDC_SAVE_DEFAULT);
  Finish();
  const std::string path = AnsiText(folder.Path()) + "Board.ini";
  BoardSettings before;
  ASSERT_TRUE(GetPrivateProfileStructA(kFileSection, kFileKey, &before, sizeof before, path.c_str()));

  Boards("", "", "Hue");  // one getter fails and stores nothing
  Start(folder.Module());
  EXPECT_EQ(Text(IDC_HUE_VALUE), L"0") << "shown as read";
  Do([&] { ui::Scroll(dialog_, IDC_VOLUME, SB_THUMBPOSITION, 5); });
  Click(IDC_SAVE_DEFAULT);
  EXPECT_EQ(AnswerBox(), std::make_pair(std::wstring(L"error"),
                                        Chinese() ? W("板卡未报告其设置，默认值未保存。")
                                                  : std::wstring(L"The board did not report its settings, so the "
                                                                 L"defaults were not saved.")));
  BoardSettings after;
  ASSERT_TRUE(GetPrivateProfileStructA(kFileSection, kFileKey, &after, sizeof after, path.c_str()));
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "the file is kept";
  Click(IDC_RESTORE_DEFAULT);
  EXPECT_EQ(KorvSim_Peek("AudioVolumn", 0), 77) << "and the defaults of this run";
  Finish();
}

TEST_F(ConfigDialog, ARestoreTheBoardRefusedListsWhatItRefused) {
  // Defaults with the SDI input and embedded audio, on a board without the sub-board.
  ui::ModuleFolder folder;
  BoardSettings sdi = Factory();
  sdi.cmpsOrSvideo = 3;
  sdi.audioSrc = 1;
  ASSERT_TRUE(WritePrivateProfileStructA(kFileSection, kFileKey, &sdi, sizeof sdi, (AnsiText(folder.Path()) + "Board.ini").c_str()));
  Start(folder.Module());
  EXPECT_EQ(Click(IDC_RESTORE_DEFAULT).size(), 21u) << "every setting is still sent, and the refused ones read back";
  EXPECT_EQ(AnswerBox(),
            std::make_pair(std::wstring(L"error"), (Chinese() ? W("板卡拒绝了以下设置：")
                                                              : std::wstring(L"The board refused these settings:")) +
                                                       L"\nvideo-source = sdi (3)\naudio-source = sdi (1)"));
  EXPECT_EQ(std::make_pair(ui::CheckState(dialog_, IDC_SOURCE_CVBS1), ui::CheckState(dialog_, IDC_AUDIO_ANALOG)),
            std::make_pair(BST_CHECKED, BST_CHECKED))
      << "shown as the board has them";
  Click(IDC_RESTORE_FACTORY);
  EXPECT_FALSE(BoxOpen()) << "a restore the board takes is silent";
  Finish();
}

// "Restore Default" from a Board.ini that exists but gives no record, or a
// record the settings do not take, says so and sends nothing; a missing file
// is the factory values, and UTF-16 text with a byte-order mark is read as
// the platform reads it. Restore Init Default still works.
TEST_F(ConfigDialog, RestoreDefaultFromAFileThatCannotBeSentSaysWhyAndSendsNothing) {
  const std::string factory = kFactoryEntry, outOfRange = kOutOfRangeEntry;
  const auto bytes = [](const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); };
  std::vector<uint8_t> utf16 = {0xFF, 0xFE};
  for (char c : "[BOARD]\r\nParam=" + factory + "\r\n") utf16.push_back(uint8_t(c)), utf16.push_back(0);
  struct Case {
    const char* what;
    std::optional<std::vector<uint8_t>> file;  // nothing: a folder in its place
    bool sent;
    const char* named;  // a setting the box names, or null
  };
  const Case cases[] = {
      {"bad checksum", bytes("[BOARD]\r\nParam=" + factory.substr(0, 177) + "9"), false, nullptr},
      {"0 bytes", bytes(""), false, nullptr},
      {"a folder", std::nullopt, false, nullptr},
      {"NUL lines", std::vector<uint8_t>{0, 0, '\r', '\n', 0, '\r', '\n'}, false, nullptr},
      {"the first of two sections empty", bytes("[BOARD]\r\n[BOARD]\r\nParam=" + factory), false, nullptr},
      {"values the settings do not take", bytes("[BOARD]\r\nParam=" + outOfRange), false, "contrast = 2147483647"},
      {"UTF-16 with a byte-order mark", utf16, true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui::ModuleFolder folder;
    if (c.file)
      ASSERT_TRUE(folder.Write(L"Board.ini", *c.file));
    else
      ASSERT_TRUE(CreateDirectoryW((folder.Path() + L"Board.ini").c_str(), nullptr));
    Start(folder.Module());
    EXPECT_EQ(Click(IDC_RESTORE_DEFAULT).size(), c.sent ? 19u : 0u);
    EXPECT_EQ(BoxOpen(), !c.sent);
    if (!c.sent) {
      const auto [caption, text] = AnswerBox();
      EXPECT_EQ(caption, L"error");
      EXPECT_NE(text.find(folder.Path() + L"Board.ini"), std::wstring::npos) << "names the file";
      if (c.named) {
        EXPECT_NE(text.find(ui::W(c.named)), std::wstring::npos) << "names what it holds";
      }
    }
    EXPECT_EQ(Click(IDC_RESTORE_FACTORY).size(), 19u);
    EXPECT_FALSE(BoxOpen());
    Finish();
  }
}

// A refused slider value shows what the board reports, as a radio group
// does, and is told once the gesture ends.
TEST_F(ConfigDialog, ARefusedSliderValueShowsWhatTheBoardHas) {
  Boards("", "Contrast");
  Start();
  EXPECT_EQ(Do([&] { ui::Scroll(dialog_, IDC_CONTRAST, SB_THUMBTRACK, 200); }),
            (Calls{"Orbel_SetContrast(200, 0) = 0", "Orbel_GetContrast(&v, 0) -> 128 = 1"}));
  EXPECT_EQ(ui::ScrollPos(dialog_, IDC_CONTRAST), 128);
  EXPECT_EQ(Text(IDC_CONTRAST_VALUE), L"128");
  EXPECT_FALSE(BoxOpen()) << "not in the middle of a drag";
  Do([&] { ui::Scroll(dialog_, IDC_CONTRAST, SB_ENDSCROLL); });
  const auto [caption, text] = AnswerBox();
  EXPECT_EQ(caption, L"error");
  EXPECT_EQ(text.rfind(Chinese() ? ui::W("板卡拒绝了") : L"The board refused ", 0), 0u) << text;
  EXPECT_NE(text.find(L"200"), std::wstring::npos) << text;
  EXPECT_EQ(ui::ScrollPos(dialog_, IDC_CONTRAST), 128);
  EXPECT_EQ(Text(IDC_CONTRAST_VALUE), L"128");
  // Another slider, which the board takes, is silent.
  EXPECT_EQ(Do([&] {
              ui::Scroll(dialog_, IDC_HUE, SB_THUMBPOSITION, 90);
              ui::Scroll(dialog_, IDC_HUE, SB_ENDSCROLL);
            }),
            (Calls{"Orbel_SetHue(90, 0) = 1", "Orbel_SetHue(90, 0) = 1"}));
  EXPECT_FALSE(BoxOpen());
  Finish();
}

// A device library that crashes in a function (an access violation, or an
// MSVC C++ exception nothing in it catches) does not end the host: the box
// names the function, the dialog ends and the board is closed. A crash in
// Orbel_Close itself ends the run quietly.
TEST_F(ConfigDialog, ACrashingDeviceLibraryIsToldAndTheBoardClosed) {
  for (const auto& [fault, code] : {std::pair{"Orbel_SetContrast:access", L"0xC0000005"},
                                    std::pair{"Orbel_SetContrast:msvc", L"0xE06D7363"}}) {
    SCOPED_TRACE(fault);
    SetEnvironmentVariableA("KORVSIM_FAULT", fault);
    KorvSim_Reset();
    Start();
    Do([&] { ui::Scroll(dialog_, IDC_CONTRAST, SB_THUMBPOSITION, 200); });
    HWND box = run_->WaitMessageBox();
    ASSERT_TRUE(box);
    const std::wstring text = ui::MessageText(box);
    EXPECT_NE(text.find(L"Orbel_SetContrast"), std::wstring::npos) << text;
    EXPECT_NE(text.find(code), std::wstring::npos) << text;
    ui::Click(box, IDOK);
    EXPECT_TRUE(run_->WaitFinished()) << "the dialog ends";
    run_.reset();
    const Calls calls = SimCalls(mark_);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Orbel_Close(0) = 1"), 1) << "the board is closed once";
    EXPECT_FALSE(KorvSim_IsOpen(0));
  }
  SetEnvironmentVariableA("KORVSIM_FAULT", "Orbel_Close:access");
  KorvSim_Reset();
  Start();
  ui::Click(dialog_, IDCANCEL);
  EXPECT_TRUE(run_->WaitFinished());
  EXPECT_FALSE(BoxOpen());
  run_.reset();
  SetEnvironmentVariableA("KORVSIM_FAULT", nullptr);
  KorvSim_Reset();
}

TEST_F(ConfigDialog, AFolderNamedInAnotherScriptKeepsItsOwnFiles) {
  // Chinese characters, which an English system's code page cannot write.
  ui::ModuleFolder folder(W("-配置默认"));
  ASSERT_TRUE(folder.CopyIn(L"TestAlpha.tga"));
  Start(folder.Module());
  Do([&] { ui::Scroll(dialog_, IDC_VOLUME, SB_THUMBPOSITION, 77); });
  Click(IDC_SAVE_DEFAULT);
  EXPECT_FALSE(BoxOpen());
  EXPECT_NE(GetFileAttributesW((folder.Path() + L"Board.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Click(IDC_BARS_ALPHA), Calls{"Orbel_GetMemAddress(&p, 0) = 1"});
  Finish();
  Boards();
  Start(folder.Module());
  Click(IDC_RESTORE_DEFAULT);
  EXPECT_EQ(KorvSim_Peek("AudioVolumn", 0), 77);
  Finish();
}

TEST_F(ConfigDialog, TestPictureButtonsPutTheirPicturesOnTheBoardAtEveryClick) {
  const std::pair<int, ColorBarPattern> bars[] = {{IDC_BARS_100_0_100_00, ColorBarPattern::Bars100_0_100_00},
                                                  {IDC_BARS_100_0_100_25, ColorBarPattern::Bars100_0_100_25},
                                                  {IDC_BARS_100_0_75_00, ColorBarPattern::Bars100_0_75_00}};
  ui::ModuleFolder shipped;  // a picture of its own: the reader holds it unshared
  ASSERT_TRUE(shipped.CopyIn(L"TestAlpha.tga"));
  Start(shipped.Module());
  for (const auto& [id, pattern] : bars) {
    Calls calls = Do([&] {
      ui::Click(dialog_, id);
      ui::Click(dialog_, id);
    });
    ASSERT_EQ(calls.size(), 2u * 576) << "the whole frame at each click";
    EXPECT_EQ(calls.back(), "Orbel_SetRectangle(0, 575, 720, 1, pixels, 0) = 1");
    std::vector<uint32_t> frame;
    for (int y = 0; y < 576; ++y) frame = frame + ExpectedBarRow(pattern);
    EXPECT_EQ(SimOutput(0), frame);
  }
  EXPECT_EQ(Click(IDC_BARS_CLEAR), Calls{"Orbel_ClearCurrentScreen(0) = 1"});
  EXPECT_EQ(SimOutput(0), std::vector<uint32_t>(720 * 576, 0));
  EXPECT_EQ(Click(IDC_BARS_ALPHA), Calls{"Orbel_GetMemAddress(&p, 0) = 1"});
  EXPECT_EQ(SimMemory(0), ExpectedAlphaTestFrame());
  EXPECT_FALSE(BoxOpen());
  Finish();

  ui::ModuleFolder folder;  // no TestAlpha.tga: nothing happens
  Start(folder.Module());
  EXPECT_EQ(Click(IDC_BARS_ALPHA), Calls());
  EXPECT_FALSE(BoxOpen());
  // 18 bytes that promise 65535 x 65535 pixels, above the module's limit:
  // told so well within a second (whether or not this process could
  // allocate them: nothing is allocated or decoded), and the dialog goes on.
  ASSERT_TRUE(folder.Write(L"TestAlpha.tga", TgaBytes(TgaHead(2, 65535, 65535, 32, 8))));
  const DWORD start = GetTickCount();
  EXPECT_EQ(Click(IDC_BARS_ALPHA), Calls());
  EXPECT_EQ(AnswerBox().second,
            Chinese() ? W("图片大于4096 × 4096像素。") : W("The picture is larger than 4096 × 4096 pixels."));
  EXPECT_LT(GetTickCount() - start, 500u);
  EXPECT_EQ(Click(IDC_BARS_CLEAR), Calls{"Orbel_ClearCurrentScreen(0) = 1"});
  Finish();
}

TEST_F(ConfigDialog, AlphaTestWithoutUsableFrameMemoryWritesNothingAndSaysSo) {
  // The simulator stores no address and reports failure.
  SetEnvironmentVariableA("KORVSIM_NO_MEMADDR", "1");
  KorvSim_Reset();
  ui::ModuleFolder folder;
  ASSERT_TRUE(folder.CopyIn(L"TestAlpha.tga"));
  Start(folder.Module());
  EXPECT_EQ(Click(IDC_BARS_ALPHA), Calls{"Orbel_GetMemAddress(&p, 0) = 0"});
  const auto [caption, text] = AnswerBox();
  EXPECT_EQ(caption, L"error");
  EXPECT_EQ(text, Chinese() ? W("板卡没有提供可用的帧内存。") : L"The board gave no usable frame memory.");
  EXPECT_EQ(SimMemory(0), std::vector<uint32_t>(720 * 576, 0));
  Finish();
  SetEnvironmentVariableA("KORVSIM_NO_MEMADDR", "");
}

TEST_F(ConfigDialog, EnterDoesNothingAndEveryWayOutMakesNoDeviceCall) {
  for (int way = 0; way < 3; ++way) {
    Start();
    EXPECT_EQ(Do([&] { ui::PressKey(*run_, dialog_, VK_RETURN); }), Calls());
    EXPECT_TRUE(IsWindowVisible(dialog_));
    mark_ = KorvSim_CallCount();
    if (way == 0) ui::Click(dialog_, IDCANCEL);
    if (way == 1) ui::PressKey(*run_, dialog_, VK_ESCAPE);
    if (way == 2) ui::PressClose(dialog_);
    ASSERT_TRUE(run_->WaitFinished());
    EXPECT_EQ(SimCalls(mark_), Calls{"Orbel_Close(0) = 1"}) << "way " << way;
    run_.reset();
  }
}

// What the process holds: its windows, counted, and its commit charge; and
// its GDI objects in use. A new GDI object takes the last freed slot, or a
// new one past every slot used so far; so among more fresh objects than
// there are free slots, the highest slot is the number in use plus their
// count. Each measure needs more fresh objects than the one before.
struct Holdings {
  unsigned windows = 0;
  int gdiObjects = 0;
  size_t committed = 0;
};

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<unsigned*>(count);
  EnumChildWindows(window, CountOwnWindow, count);
  return TRUE;
}

unsigned OwnWindows() {
  unsigned count = 0;
  EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;)
    CountOwnWindow(w, reinterpret_cast<LPARAM>(&count));
  return count;
}

Holdings Measure(int fresh) {
  Holdings h;
  h.windows = OwnWindows();
  std::vector<HBRUSH> brushes(fresh);
  int highest = 0;
  for (HBRUSH& b : brushes) {
    b = CreateSolidBrush(0);
    highest = std::max<int>(highest, LOWORD(reinterpret_cast<UINT_PTR>(b)));
  }
  for (HBRUSH b : brushes) DeleteObject(b);
  h.gdiObjects = highest - fresh;
  PROCESS_MEMORY_COUNTERS counters = {};
  K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  h.committed = counters.PagefileUsage;
  return h;
}

// Runs the dialog `runs` times from `first` on: open, move a slider, send
// colour bars, close.
void UseTheDialog(int first, int runs) {
  ui::ModuleRun run(runs);
  for (int i = first; i < first + runs; ++i) {
    HWND dialog = run.WaitWindowTitled(L"Config Korvex V1.6");
    ASSERT_TRUE(dialog) << "run " << i;
    ui::Scroll(dialog, IDC_CONTRAST, SB_THUMBPOSITION, i);
    ui::Click(dialog, IDC_BARS_100_0_75_00);
    ASSERT_TRUE(run.Sync());
    ASSERT_EQ(KorvSim_Peek("Contrast", 0), i);
    if (i == first) {
      EXPECT_GE(OwnWindows(), 74u) << "the count sees the dialog and its controls";
    }
    ui::Click(dialog, IDCANCEL);
    ASSERT_TRUE(ui::WaitUntil([&] { return !IsWindow(dialog); }));
    // The records of the simulator and of the driver are no part of the module.
    KorvSim_ForgetCalls();
    run.ForgetEvents();
  }
  ASSERT_TRUE(run.WaitFinished());
}

// Two hundred consecutive runs in one host process, measured every ten runs
// when the module is idle: nothing may pile up. Wine's own caches (fonts,
// glyphs, device contexts) fill in a few steps of some fifty GDI objects to
// about 290 and stay there, and when a step comes depends on how busy the
// machine is; an object left behind per run grows the count at every
// measure. So the test looks for a flat stretch of fifty runs: a leak of one
// object per run adds 50 to every stretch. On a busy machine the caches may
// still be filling at run 200; the runs then go on, ten at a time, until a
// flat stretch shows or run 400 is reached, since caches are bounded and a
// leak is not.
TEST(ConfigDialogSoak, TwoHundredRunsLeaveNoHandlesOrMemoryBehind) {
  Boards();
  const double started = KorvSim_Now();
  UseTheDialog(0, 30);
  std::vector<Holdings> measured = {Measure(3000)};
  int flattest = INT_MAX;
  int runs = 30;
  while (runs < 200 || (flattest > 10 && runs < 400)) {
    UseTheDialog(runs, 10);
    runs += 10;
    measured.push_back(Measure(3000));
    if (measured.size() > 5)
      flattest = std::min(flattest, measured.back().gdiObjects - measured[measured.size() - 6].gdiObjects);
  }
  const Holdings& warm = measured.front();
  const Holdings& end = measured.back();
  std::printf(
      "%d runs in %.1f s; after run 30 and run %d: windows %u and %u, GDI objects %d and %d, "
      "least growth over fifty runs %d, committed memory %.1f and %.1f MiB\n",
      runs, (KorvSim_Now() - started) / 1000, runs, warm.windows, end.windows, warm.gdiObjects, end.gdiObjects,
      flattest, warm.committed / 1048576.0, end.committed / 1048576.0);
  EXPECT_FALSE(KorvSim_IsOpen(0));
  EXPECT_EQ(end.windows, warm.windows);
  EXPECT_LE(flattest, 10) << "GDI objects grow with every run";
  EXPECT_LE(end.committed, warm.committed + 2 * 1048576);
}

}  // namespace
