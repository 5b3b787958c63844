// The configuration dialog through the real dialog manager, against the
// simulated boards: its two templates as created, what it shows of a board,
// and what every control does to the board, to Board.ini and to the board's
// output, in English and in Chinese.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "board_settings.h"
#include "control_ids.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "test_alpha_image.h"
#include "testout_expected.h"
#include "ui_driver.h"

namespace {

using ui::W;
using Ids = std::vector<int>;

// The radio groups as a person meets them, in template order.
const std::vector<Ids> kGroups = {
    {IDC_AUDIO_ANALOG, IDC_AUDIO_SDI_EMBED},
    {IDC_OUT_VIDEO_PLAY, IDC_OUT_VIDEO_INPUT},
    {IDC_OUT_AUDIO_PLAY, IDC_OUT_AUDIO_INPUT},
    {IDC_CAPTURE_INPUT, IDC_CAPTURE_PLAY},
    {IDC_MODE_NTSC, IDC_MODE_PAL},
    {IDC_SYNC_INTERNAL, IDC_SYNC_EXTERNAL, IDC_SYNC_FROM_VIDEO},
    {IDC_SOURCE_CVBS1, IDC_SOURCE_YC, IDC_SOURCE_YUV, IDC_SOURCE_SDI, IDC_SOURCE_CVBS2},
    {IDC_LOCK_VTR, IDC_LOCK_TV},
    {IDC_MIX_BYPASS, IDC_MIX_GRAPHIC},
    {IDC_BLACK_0_0, IDC_BLACK_7_5},
    {IDC_BARS_CLEAR, IDC_BARS_100_0_100_00, IDC_BARS_100_0_100_25, IDC_BARS_100_0_75_00, IDC_BARS_ALPHA},
    {IDC_PAUSE_FRAME, IDC_PAUSE_FIRST_FIELD, IDC_PAUSE_SECOND_FIELD},
};

Ids AllRadios() {
  Ids all;
  for (const Ids& group : kGroups) all.insert(all.end(), group.begin(), group.end());
  return all;
}

// Each slider, its value field and the setting name of its device calls.
struct SliderCase {
  int slider;
  int value;
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

void Boards(const char* subBoards = "", const char* failingSetters = "") {
  SetEnvironmentVariableA("KORVSIM_BOARDS", "1");
  SetEnvironmentVariableA("KORVSIM_SUBBOARD", subBoards);
  SetEnvironmentVariableA("KORVSIM_FAIL_SETTER", failingSetters);
  KorvSim_Reset();
}

Ids Checked(HWND dialog) {
  Ids checked;
  for (int id : AllRadios())
    if (ui::CheckState(dialog, id) == BST_CHECKED) checked.push_back(id);
  std::sort(checked.begin(), checked.end());
  return checked;
}

Ids Sorted(Ids ids) {
  std::sort(ids.begin(), ids.end());
  return ids;
}

// Each scenario runs under a Chinese (PRC) and an English system language.
class ConfigDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    chinese_ = GetSystemDefaultLangID() == 0x0804;
    caption_ = chinese_ ? W("配置 Korvex  V1.6") : L"Config Korvex V1.6";
    Boards();
  }

  // Waits for the dialog of the run; the calls after it opened count from here.
  HWND Open(ui::ModuleRun& run) {
    HWND dialog = run.WaitWindowTitled(caption_);
    EXPECT_TRUE(dialog) << "no configuration dialog";
    EXPECT_TRUE(run.Sync());
    mark_ = KorvSim_CallCount();
    return dialog;
  }
  // The device calls since Open or the last Since.
  std::vector<std::string> Since() {
    std::vector<std::string> calls = SimCalls(mark_);
    mark_ = KorvSim_CallCount();
    return calls;
  }
  // Acts, waits until the dialog has handled it, and returns the calls it made.
  std::vector<std::string> Do(ui::ModuleRun& run, const std::function<void()>& action) {
    Since();
    action();
    EXPECT_TRUE(run.Sync());
    return Since();
  }
  HWND OpenBox(ui::ModuleRun& run) {
    for (HWND w : run.Windows())
      if (ui::IsMessageBox(w)) return w;
    return nullptr;
  }
  void Close(ui::ModuleRun& run, HWND dialog) {
    ui::Click(dialog, IDCANCEL);
    EXPECT_TRUE(run.WaitFinished());
  }

  bool chinese_ = false;
  std::wstring caption_;
  int mark_ = 0;
};

// A record of the settings file as the platform reads it.
bool ReadBoardIni(const std::string& path, BoardSettings& settings) {
  return GetPrivateProfileStructA("BOARD", "Param", &settings, sizeof settings, path.c_str()) != 0;
}

// The dialog's controls as the dialog manager created them, in order.
std::vector<ui::WindowEvent> Controls(const ui::ModuleRun& run, HWND dialog) {
  std::vector<ui::WindowEvent> controls;
  for (const ui::WindowEvent& e : run.Events())
    if (e.created && e.parent == dialog) controls.push_back(e);
  return controls;
}

bool IsRadio(const ui::WindowEvent& e) {
  return e.className == L"Button" && (e.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

TEST_F(ConfigDialog, TemplateMakesItsControlsWithTheirStylesAndTwelveRadioGroups) {
  ui::ModuleRun run;
  HWND dialog = Open(run);
  const std::vector<ui::WindowEvent> controls = Controls(run, dialog);
  ASSERT_EQ(controls.size(), 73u);

  // Radio groups run from a WS_GROUP control to the next; only radio buttons count.
  std::vector<Ids> groups;
  int endOfColourBars = 0;
  for (const ui::WindowEvent& e : controls) {
    if (e.style & WS_GROUP) {
      if (!groups.empty() && !groups.back().empty() && groups.back()[0] == IDC_BARS_CLEAR) endOfColourBars = e.id;
      groups.emplace_back();
    }
    if (IsRadio(e)) groups.back().push_back(e.id);
  }
  groups.erase(std::remove(groups.begin(), groups.end(), Ids()), groups.end());
  EXPECT_EQ(groups, kGroups);
  EXPECT_EQ(endOfColourBars, chinese_ ? IDC_PAUSE_FRAME : IDC_VOLUME_VALUE);

  Ids disabled, tabStops, multiLine, centred, edged, ids;
  int disabledBoxes = 0;
  for (const ui::WindowEvent& e : controls) {
    ids.push_back(e.id);
    EXPECT_TRUE((e.style & WS_CHILD) && (e.style & WS_VISIBLE)) << e.id;
    const bool isStatic = e.className == L"Static";
    if ((e.style & WS_DISABLED) && e.id == -1) ++disabledBoxes;
    if ((e.style & WS_DISABLED) && e.id != -1) disabled.push_back(e.id);
    if (e.style & WS_TABSTOP) tabStops.push_back(e.id);
    if (e.className == L"Button" && (e.style & BS_MULTILINE)) multiLine.push_back(e.id);
    if (isStatic && e.id != -1 && (e.style & SS_CENTERIMAGE)) centred.push_back(e.id);
    if (isStatic && e.id == -1) {
      EXPECT_TRUE(e.style & SS_CENTERIMAGE) << "labels are centred";
    }
    if (e.exStyle & WS_EX_STATICEDGE) edged.push_back(e.id);
    if (e.className == L"ScrollBar") {
      EXPECT_EQ(e.style & (SBS_VERT | WS_TABSTOP), 0u) << e.id;
    }
    if (e.className == L"Button") {
      EXPECT_NE(e.style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON)) << e.id;
    }
  }
  EXPECT_EQ(std::count(ids.begin(), ids.end(), IDOK), 0) << "no control carries the OK id";
  EXPECT_EQ(std::count(ids.begin(), ids.end(), -1), 21) << "group boxes and labels";
  EXPECT_EQ(Sorted(disabled),
            Sorted({IDC_CAPTURE_INPUT, IDC_CAPTURE_PLAY, IDC_MODE_NTSC, IDC_LOCK_TV, IDC_BLACK_0_0, IDC_BLACK_7_5}));
  EXPECT_EQ(disabledBoxes, 2) << "the black level and capture source group boxes";
  EXPECT_EQ(Sorted(tabStops), Sorted({IDCANCEL, IDC_SAVE_DEFAULT, IDC_RESTORE_DEFAULT, IDC_RESTORE_FACTORY}));
  EXPECT_EQ(multiLine, chinese_ ? Ids() : Ids{IDC_RESTORE_FACTORY});
  const Ids values = {IDC_CONTRAST_VALUE,   IDC_LIGHT_VALUE,      IDC_HUE_VALUE,         IDC_SATUATION_VALUE,
                      IDC_SUBCARRIER_VALUE, IDC_LINE_PHASE_VALUE, IDC_FIELD_PHASE_VALUE, IDC_VOLUME_VALUE};
  EXPECT_EQ(Sorted(edged), Sorted(values));
  EXPECT_EQ(Sorted(centred), chinese_ ? Ids() : Sorted(Ids(values.begin(), values.end() - 1)))
      << "in English all value fields but the volume's are centred";

  // Captions that begin or end in blanks keep them.
  EXPECT_EQ(ui::Text(GetDlgItem(dialog, IDCANCEL)), chinese_ ? W("退  出") : L"Exit");
  EXPECT_EQ(ui::Text(GetDlgItem(dialog, IDC_AUDIO_ANALOG)), chinese_ ? W("模拟音频") : L"Analog ");
  Close(run, dialog);
}

// What the dialog shows of a board: records poked into the simulated board
// before the dialog opens.
struct DisplayCase {
  const char* subBoards;
  std::vector<std::pair<const char*, int>> board;
  Ids nowChecked;  // besides the power-on ones that stay
  Ids notChecked;  // power-on ones that go
  bool sdiEnabled;
};

TEST_F(ConfigDialog, ShowsTheBoardsSettingsAsItOpens) {
  // Power-on: internal sync, CVBS1, analog audio, 0.0 IRE, VTR, bypass, PAL,
  // input video and audio out, capture input, whole frames.
  const Ids powerOn = {IDC_SYNC_INTERNAL,   IDC_SOURCE_CVBS1,  IDC_AUDIO_ANALOG, IDC_BLACK_0_0,
                       IDC_LOCK_VTR,        IDC_MIX_BYPASS,    IDC_MODE_PAL,     IDC_OUT_VIDEO_INPUT,
                       IDC_OUT_AUDIO_INPUT, IDC_CAPTURE_INPUT, IDC_PAUSE_FRAME};
  const DisplayCase cases[] = {
      {"", {}, {}, {}, false},
      {"", {{"CmpsOrSvideo", 5}}, {IDC_SOURCE_CVBS2}, {IDC_SOURCE_CVBS1}, false},
      {"",
       {{"CmpsOrSvideo", 3}, {"AudioSrc", 1}},
       {IDC_SOURCE_SDI, IDC_AUDIO_SDI_EMBED},
       {IDC_SOURCE_CVBS1, IDC_AUDIO_ANALOG},
       false},
      {"all", {{"CmpsOrSvideo", 4}}, {IDC_SOURCE_CVBS2}, {IDC_SOURCE_CVBS1}, true},
      {"all", {{"CmpsOrSvideo", 9}, {"VideoMode", -1}}, {}, {IDC_SOURCE_CVBS1, IDC_MODE_PAL}, true},
      {"", {{"CapVideoSrc", 0}, {"PlayBufferRepeatMode", 0}}, {}, {IDC_CAPTURE_INPUT, IDC_PAUSE_FRAME}, false},
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
       {IDC_CAPTURE_PLAY, IDC_PAUSE_SECOND_FIELD, IDC_SYNC_FROM_VIDEO, IDC_LOCK_TV, IDC_MIX_GRAPHIC, IDC_BLACK_7_5,
        IDC_MODE_NTSC, IDC_OUT_VIDEO_PLAY, IDC_OUT_AUDIO_PLAY},
       {IDC_CAPTURE_INPUT, IDC_PAUSE_FRAME, IDC_SYNC_INTERNAL, IDC_LOCK_VTR, IDC_MIX_BYPASS, IDC_BLACK_0_0,
        IDC_MODE_PAL, IDC_OUT_VIDEO_INPUT, IDC_OUT_AUDIO_INPUT},
       false},
  };
  for (const DisplayCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << (&c - cases));
    Boards(c.subBoards);
    for (const auto& [name, value] : c.board) KorvSim_Poke(name, value, 0);
    ui::ModuleRun run;
    HWND dialog = Open(run);
    Ids expected = c.nowChecked;
    for (int id : powerOn)
      if (std::find(c.notChecked.begin(), c.notChecked.end(), id) == c.notChecked.end()) expected.push_back(id);
    EXPECT_EQ(Checked(dialog), Sorted(expected));
    EXPECT_EQ(ui::IsEnabled(dialog, IDC_SOURCE_SDI), c.sdiEnabled);
    EXPECT_EQ(ui::IsEnabled(dialog, IDC_AUDIO_SDI_EMBED), c.sdiEnabled);
    Close(run, dialog);
    for (const std::string& call : SimCalls()) EXPECT_EQ(call.rfind("Orbel_Set", 0), std::string::npos) << call;
  }
}

TEST_F(ConfigDialog, SlidersShowTheirValuesUnchanged) {
  const int values[] = {128, 0, 255, 7, 300, -5, 99, 200};
  for (int i = 0; i < 8; ++i) KorvSim_Poke(kSliders[i].setting, values[i], 0);
  ui::ModuleRun run;
  HWND dialog = Open(run);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(ui::Text(GetDlgItem(dialog, kSliders[i].value)), std::to_wstring(values[i])) << kSliders[i].setting;
    if (values[i] >= 0 && values[i] <= 255) {
      EXPECT_EQ(ui::ScrollPos(dialog, kSliders[i].slider), values[i]);
    }
    int low = -1, high = -1;
    GetScrollRange(GetDlgItem(dialog, kSliders[i].slider), SB_CTL, &low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 255);
  }
  Close(run, dialog);
}

// Every setting button with the device call it makes and the caption of
// the "error" box shown when the board refuses, if any.
struct RadioCase {
  int id;
  const char* call;
  const char* errorCaption;
};
const RadioCase kRadioCases[] = {
    {IDC_SYNC_INTERNAL, "Orbel_SetInnerOrExtraSync(0, 0)", nullptr},
    {IDC_SYNC_EXTERNAL, "Orbel_SetInnerOrExtraSync(1, 0)", nullptr},
    {IDC_SYNC_FROM_VIDEO, "Orbel_SetInnerOrExtraSync(2, 0)", nullptr},
    {IDC_SOURCE_CVBS1, "Orbel_SetCmpsOrSvideo(0, 0)", "CVBS1 err"},
    {IDC_SOURCE_YC, "Orbel_SetCmpsOrSvideo(1, 0)", "Svideo err"},
    {IDC_SOURCE_YUV, "Orbel_SetCmpsOrSvideo(2, 0)", "YUV err"},
    {IDC_SOURCE_SDI, "Orbel_SetCmpsOrSvideo(3, 0)", "SDI err"},
    {IDC_SOURCE_CVBS2, "Orbel_SetCmpsOrSvideo(5, 0)", "CVBS2 err"},
    {IDC_AUDIO_ANALOG, "Orbel_SetAudioSrc(0, 0)", nullptr},
    {IDC_AUDIO_SDI_EMBED, "Orbel_SetAudioSrc(1, 0)", nullptr},
    {IDC_LOCK_VTR, "Orbel_SetTVORVTR(0, 0)", "VTR err"},
    {IDC_LOCK_TV, "Orbel_SetTVORVTR(1, 0)", "TV err"},
    {IDC_MIX_BYPASS, "Orbel_SetVideoBypass(0, 0)", "Bypass err"},
    {IDC_MIX_GRAPHIC, "Orbel_SetVideoBypass(1, 0)", "Video mix err"},
    {IDC_MODE_NTSC, "Orbel_SetVideoMode(0, 0)", nullptr},
    {IDC_MODE_PAL, "Orbel_SetVideoMode(1, 0)", nullptr},
    {IDC_BLACK_0_0, "Orbel_SetVideoBlackLevel(0, 0)", "Set video black level error!"},
    {IDC_BLACK_7_5, "Orbel_SetVideoBlackLevel(1, 0)", "Set video black level error!"},
    {IDC_OUT_VIDEO_PLAY, "Orbel_SetOutVideoSrc(0, 0)", nullptr},
    {IDC_OUT_VIDEO_INPUT, "Orbel_SetOutVideoSrc(1, 0)", nullptr},
    {IDC_OUT_AUDIO_PLAY, "Orbel_SetOutAudioSrc(0, 0)", nullptr},
    {IDC_OUT_AUDIO_INPUT, "Orbel_SetOutAudioSrc(1, 0)", nullptr},
    {IDC_CAPTURE_INPUT, "Orbel_SetCapVideoSrc(1, 0)", nullptr},
    {IDC_CAPTURE_PLAY, "Orbel_SetCapVideoSrc(2, 0)", nullptr},
    {IDC_PAUSE_FRAME, "Orbel_SetPlayBufferRepeatMode(1, 0)", nullptr},
    {IDC_PAUSE_FIRST_FIELD, "Orbel_SetPlayBufferRepeatMode(2, 0)", nullptr},
    {IDC_PAUSE_SECOND_FIELD, "Orbel_SetPlayBufferRepeatMode(3, 0)", nullptr},
};

TEST_F(ConfigDialog, EachSettingButtonCallsItsSetterAndOnlySomeReportARefusal) {
  // A board that refuses everything: the result decides the boxes.
  Boards("all",
         "InnerOrExtraSync,CmpsOrSvideo,AudioSrc,TVORVTR,VideoBypass,VideoMode,VideoBlackLevel,OutVideoSrc,"
         "OutAudioSrc,CapVideoSrc,PlayBufferRepeatMode");
  ui::ModuleRun run;
  HWND dialog = Open(run);
  for (const RadioCase& c : kRadioCases) {
    SCOPED_TRACE(c.call);
    // Disabled buttons are bound all the same; only the dialog manager can click them.
    EXPECT_EQ(Do(run, [&] { ui::Command(dialog, c.id); }), std::vector<std::string>{c.call + std::string(" = 0")});
    HWND box = OpenBox(run);
    EXPECT_EQ(box != nullptr, c.errorCaption != nullptr);
    if (!box) continue;
    EXPECT_EQ(ui::Text(box), W(c.errorCaption));
    EXPECT_EQ(ui::MessageText(box), L"error");
    EXPECT_FALSE(ui::HasInformationIcon(box));
    EXPECT_EQ(ui::ButtonIds(box), Ids{IDOK});
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
    ui::Click(box, IDOK);
    EXPECT_TRUE(ui::WaitUntil([&] { return !IsWindow(box); }));
  }
  Close(run, dialog);
}

TEST_F(ConfigDialog, AClickedButtonStaysCheckedAndCallsAgainWhenClickedAgain) {
  Boards("", "CmpsOrSvideo");
  ui::ModuleRun run;
  HWND dialog = Open(run);
  for (int click = 0; click < 2; ++click) {
    EXPECT_EQ(Do(run, [&] { ui::Click(dialog, IDC_SOURCE_YC); }),
              std::vector<std::string>{"Orbel_SetCmpsOrSvideo(1, 0) = 0"});
    HWND box = run.WaitMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(ui::Text(box), L"Svideo err");
    ui::Click(box, IDOK);
    ASSERT_TRUE(ui::WaitUntil([&] { return !IsWindow(box); }));
    ASSERT_TRUE(run.Sync());
    EXPECT_EQ(ui::CheckState(dialog, IDC_SOURCE_YC), BST_CHECKED);
    EXPECT_EQ(ui::CheckState(dialog, IDC_SOURCE_CVBS1), BST_UNCHECKED);
  }
  // A board that accepts: no box, and the same button again calls again.
  for (int click = 0; click < 2; ++click)
    EXPECT_EQ(Do(run, [&] { ui::Click(dialog, IDC_PAUSE_SECOND_FIELD); }),
              std::vector<std::string>{"Orbel_SetPlayBufferRepeatMode(3, 0) = 1"});
  EXPECT_FALSE(OpenBox(run));
  Close(run, dialog);
}

TEST_F(ConfigDialog, SliderMovesByItsScrollCodeWithinZeroTo255AndTellsTheBoardEachTime) {
  struct ScrollCase {
    int start, code, thumb, expected;
  };
  const ScrollCase cases[] = {
      {250, SB_PAGERIGHT, 0, 255},   {3, SB_PAGELEFT, 0, 0},
      {128, SB_LINELEFT, 0, 127},    {128, SB_LINERIGHT, 0, 129},
      {0, SB_LINELEFT, 0, 0},        {255, SB_LINERIGHT, 0, 255},
      {128, SB_PAGELEFT, 0, 118},    {100, SB_PAGERIGHT, 0, 110},
      {10, SB_THUMBTRACK, 200, 200}, {10, SB_THUMBPOSITION, 300, 255},
      {5, SB_ENDSCROLL, 0, 5},       {5, SB_LEFT, 0, 5},
      {5, SB_RIGHT, 0, 5},
  };
  ui::ModuleRun run;
  HWND dialog = Open(run);
  for (const ScrollCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "from " << c.start << " code " << c.code);
    Do(run, [&] { ui::Scroll(dialog, IDC_CONTRAST, SB_THUMBPOSITION, c.start); });
    EXPECT_EQ(Do(run, [&] { ui::Scroll(dialog, IDC_CONTRAST, c.code, c.thumb); }),
              std::vector<std::string>{"Orbel_SetContrast(" + std::to_string(c.expected) + ", 0) = 1"});
    EXPECT_EQ(ui::ScrollPos(dialog, IDC_CONTRAST), c.expected);
    EXPECT_EQ(ui::Text(GetDlgItem(dialog, IDC_CONTRAST_VALUE)), std::to_wstring(c.expected));
  }

  // Dragging a thumb: one call per tracking message, and one more at the end.
  for (const SliderCase& s : kSliders) {
    std::vector<std::string> expected;
    for (int v : {50, 120, 200, 200, 200})
      expected.push_back("Orbel_Set" + std::string(s.setting) + "(" + std::to_string(v) + ", 0) = 1");
    EXPECT_EQ(Do(run,
                 [&] {
                   for (int v : {50, 120, 200}) ui::Scroll(dialog, s.slider, SB_THUMBTRACK, v);
                   ui::Scroll(dialog, s.slider, SB_THUMBPOSITION, 200);
                   ui::Scroll(dialog, s.slider, SB_ENDSCROLL);
                 }),
              expected);
    EXPECT_EQ(ui::Text(GetDlgItem(dialog, s.value)), L"200");
    EXPECT_EQ(KorvSim_Peek(s.setting, 0), 200);
  }
  // A scroll message from a control that is no slider changes nothing.
  EXPECT_EQ(Do(run, [&] { ui::Scroll(dialog, IDC_SAVE_DEFAULT, SB_LINERIGHT); }), std::vector<std::string>());
  Close(run, dialog);
}

// The setters that apply a whole record, by the value each sends: the
// tail of "Orbel_SetX(value, 0) = r" without the result.
std::vector<std::string> Applied(const std::vector<std::string>& calls) {
  std::vector<std::string> applied;
  for (const std::string& call : calls) applied.push_back(call.substr(0, call.rfind(" = ")));
  return applied;
}

TEST_F(ConfigDialog, WithoutBoardIniBothRestoreButtonsApplyTheFactoryValues) {
  ui::ModuleFolder folder;
  ui::ModuleRun run(1, folder.Module());
  HWND dialog = Open(run);
  const std::vector<std::string> restored = Do(run, [&] { ui::Click(dialog, IDC_RESTORE_DEFAULT); });
  const std::vector<std::string> factory = Do(run, [&] { ui::Click(dialog, IDC_RESTORE_FACTORY); });
  ASSERT_EQ(restored.size(), 19u);
  EXPECT_EQ(Applied(restored), Applied(factory));
  EXPECT_EQ(restored.front(), "Orbel_SetCmpsOrSvideo(0, 0) = 1");
  EXPECT_EQ(Applied(restored).back(), "Orbel_SetTVORVTR(0, 0)") << "sync source and lock mode come last";
  // Shown as applied: sync from the video input, 128 contrast.
  EXPECT_EQ(ui::CheckState(dialog, IDC_SYNC_FROM_VIDEO), BST_CHECKED);
  EXPECT_EQ(ui::Text(GetDlgItem(dialog, IDC_CONTRAST_VALUE)), L"128");
  Close(run, dialog);
  EXPECT_EQ(GetFileAttributesW((folder.Path() + L"Board.ini").c_str()), INVALID_FILE_ATTRIBUTES)
      << "only saving writes the file";
}

TEST_F(ConfigDialog, SavedDefaultsComeBackInThisRunAndTheNext) {
  ui::ModuleFolder folder;
  const std::string ini = folder.PathA() + "Board.ini";
  Boards("all");
  {
    ui::ModuleRun run(1, folder.Module());
    HWND dialog = Open(run);
    Do(run, [&] {
      ui::Scroll(dialog, IDC_CONTRAST, SB_THUMBPOSITION, 200);
      ui::Click(dialog, IDC_SOURCE_YC);
    });
    std::vector<std::string> saving = Do(run, [&] { ui::Click(dialog, IDC_SAVE_DEFAULT); });
    EXPECT_EQ(saving.size(), 20u) << "the board is read, nothing is set";
    EXPECT_FALSE(OpenBox(run)) << "a save that works is silent";
    BoardSettings saved;
    ASSERT_TRUE(ReadBoardIni(ini, saved));
    EXPECT_EQ(saved.contrast, 200);
    EXPECT_EQ(saved.cmpsOrSvideo, 1);
    EXPECT_EQ(saved.subBoardIfExist, 1) << "the board's own";
    EXPECT_EQ(saved.reserved3 + saved.reserved7, 0) << "never read from the board";

    Do(run, [&] { ui::Click(dialog, IDC_RESTORE_FACTORY); });
    EXPECT_EQ(KorvSim_Peek("Contrast", 0), 128);
    std::vector<std::string> restored = Do(run, [&] { ui::Click(dialog, IDC_RESTORE_DEFAULT); });
    EXPECT_EQ(restored.size(), 19u);
    EXPECT_EQ(KorvSim_Peek("Contrast", 0), 200);
    EXPECT_EQ(ui::CheckState(dialog, IDC_SOURCE_YC), BST_CHECKED);
    Close(run, dialog);
  }
  Boards("all");  // the board powers up afresh
  ui::ModuleRun run(1, folder.Module());
  HWND dialog = Open(run);
  EXPECT_EQ(ui::Text(GetDlgItem(dialog, IDC_CONTRAST_VALUE)), L"128") << "the dialog shows the board, not the file";
  Do(run, [&] { ui::Click(dialog, IDC_RESTORE_DEFAULT); });
  EXPECT_EQ(KorvSim_Peek("Contrast", 0), 200);
  EXPECT_EQ(KorvSim_Peek("CmpsOrSvideo", 0), 1);
  EXPECT_EQ(ui::Text(GetDlgItem(dialog, IDC_CONTRAST_VALUE)), L"200");
  Close(run, dialog);
}

TEST_F(ConfigDialog, ASaveThatCannotWriteTheFileSaysSoAndKeepsTheDefaultsForThisRun) {
  ui::ModuleFolder folder;
  ASSERT_TRUE(CreateDirectoryW((folder.Path() + L"Board.ini").c_str(), nullptr)) << "a folder in the file's place";
  ui::ModuleRun run(1, folder.Module());
  HWND dialog = Open(run);
  Do(run, [&] { ui::Scroll(dialog, IDC_VOLUME, SB_THUMBPOSITION, 77); });
  Do(run, [&] { ui::Click(dialog, IDC_SAVE_DEFAULT); });
  HWND box = run.WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_NE(ui::MessageText(box).find(W((folder.PathA() + "Board.ini").c_str())), std::wstring::npos)
      << "the box names the file";
  EXPECT_FALSE(ui::HasInformationIcon(box));
  EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
  ui::Click(box, IDOK);
  ASSERT_TRUE(ui::WaitUntil([&] { return !IsWindow(box); }));
  Do(run, [&] { ui::Click(dialog, IDC_RESTORE_FACTORY); });
  Do(run, [&] { ui::Click(dialog, IDC_RESTORE_DEFAULT); });
  EXPECT_EQ(KorvSim_Peek("AudioVolumn", 0), 77) << "the defaults hold for the rest of the run";
  Close(run, dialog);
}

TEST_F(ConfigDialog, TheColourBarCheckOutlivesARestoreOnlyAfterASliderMoved) {
  ui::ModuleRun run;
  HWND dialog = Open(run);
  Do(run, [&] { ui::Click(dialog, IDC_BARS_100_0_100_00); });
  EXPECT_EQ(ui::CheckState(dialog, IDC_BARS_100_0_100_00), BST_CHECKED);
  Do(run, [&] { ui::Click(dialog, IDC_RESTORE_DEFAULT); });
  EXPECT_EQ(ui::CheckState(dialog, IDC_BARS_100_0_100_00), BST_UNCHECKED);

  Do(run, [&] {
    ui::Click(dialog, IDC_BARS_100_0_100_00);
    ui::Scroll(dialog, IDC_HUE, SB_LINERIGHT);
    ui::Click(dialog, IDC_RESTORE_FACTORY);
  });
  EXPECT_EQ(ui::CheckState(dialog, IDC_BARS_100_0_100_00), BST_CHECKED);
  Close(run, dialog);
}

std::vector<uint32_t> BarsFrame(ColorBarPattern pattern) {
  std::vector<uint32_t> frame;
  for (int y = 0; y < 576; ++y) {
    const std::vector<uint32_t> row = ExpectedBarRow(pattern);
    frame.insert(frame.end(), row.begin(), row.end());
  }
  return frame;
}

TEST_F(ConfigDialog, TestPictureButtonsPutTheirPicturesOnTheBoardAtEveryClick) {
  struct BarsCase {
    int id;
    ColorBarPattern pattern;
  };
  const BarsCase bars[] = {{IDC_BARS_100_0_100_00, ColorBarPattern::Bars100_0_100_00},
                           {IDC_BARS_100_0_100_25, ColorBarPattern::Bars100_0_100_25},
                           {IDC_BARS_100_0_75_00, ColorBarPattern::Bars100_0_75_00}};
  ui::ModuleRun run;
  HWND dialog = Open(run);
  for (const BarsCase& c : bars) {
    const std::vector<std::string> calls = Do(run, [&] {
      ui::Click(dialog, c.id);
      ui::Click(dialog, c.id);
    });
    ASSERT_EQ(calls.size(), 2u * 576) << "the whole frame at each click";
    EXPECT_EQ(calls.back(), "Orbel_SetRectangle(0, 575, 720, 1, pixels, 0) = 1");
    EXPECT_EQ(SimOutput(0), BarsFrame(c.pattern));
  }
  EXPECT_EQ(Do(run, [&] { ui::Click(dialog, IDC_BARS_CLEAR); }),
            std::vector<std::string>{"Orbel_ClearCurrentScreen(0) = 1"});
  EXPECT_EQ(SimOutput(0), std::vector<uint32_t>(720 * 576, 0));
  EXPECT_EQ(Do(run, [&] { ui::Click(dialog, IDC_BARS_ALPHA); }),
            std::vector<std::string>{"Orbel_GetMemAddress(&p, 0) = 1"});
  EXPECT_EQ(SimMemory(0), ExpectedAlphaTestFrame());
  EXPECT_FALSE(OpenBox(run));
  Close(run, dialog);
}

TEST_F(ConfigDialog, AlphaTestWithoutItsPictureDoesNothingAndAHugeOneIsReported) {
  ui::ModuleFolder folder;  // no TestAlpha.tga
  ui::ModuleRun run(1, folder.Module());
  HWND dialog = Open(run);
  EXPECT_EQ(Do(run, [&] { ui::Click(dialog, IDC_BARS_ALPHA); }), std::vector<std::string>());
  EXPECT_FALSE(OpenBox(run));

  // 18 bytes that promise 65535 x 65535 pixels of 32 bits.
  const std::string huge = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, '\xFF', '\xFF', '\xFF', '\xFF', 32, 8};
  ASSERT_TRUE(folder.Write(L"TestAlpha.tga", huge));
  EXPECT_EQ(Do(run, [&] { ui::Click(dialog, IDC_BARS_ALPHA); }), std::vector<std::string>());
  HWND box = run.WaitMessageBox();
  ASSERT_TRUE(box) << "no memory for the picture is told";
  EXPECT_EQ(ui::MessageText(box), L"Out of memory.");
  ui::Click(box, IDOK);
  ASSERT_TRUE(ui::WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_EQ(Do(run, [&] { ui::Click(dialog, IDC_BARS_CLEAR); }),
            std::vector<std::string>{"Orbel_ClearCurrentScreen(0) = 1"})
      << "the dialog goes on working";
  Close(run, dialog);
}

TEST_F(ConfigDialog, EnterDoesNothingAndEveryWayOutMakesNoDeviceCall) {
  enum Way { kExit, kEscape, kCloseBox };
  for (Way way : {kExit, kEscape, kCloseBox}) {
    Boards();
    ui::ModuleRun run;
    HWND dialog = Open(run);
    EXPECT_EQ(Do(run, [&] { ui::PressKey(run, dialog, VK_RETURN); }), std::vector<std::string>());
    EXPECT_TRUE(IsWindowVisible(dialog));
    if (way == kExit) ui::Click(dialog, IDCANCEL);
    if (way == kEscape) ui::PressKey(run, dialog, VK_ESCAPE);
    if (way == kCloseBox) ui::PressClose(dialog);
    ASSERT_TRUE(run.WaitFinished());
    EXPECT_EQ(Since(), std::vector<std::string>{"Orbel_Close(0) = 1"}) << "way " << way;
  }
}

}  // namespace

namespace {

// What the process holds. Freed handle slots are used again before new ones,
// so the highest slot among many fresh objects is the number of slots in
// use plus their count: it grows only when handles pile up. Memory is the
// process's commit charge.
struct Holdings {
  unsigned gdiSlots;
  unsigned windowSlots;
  size_t committed;
};

Holdings Measure() {
  const int kFresh = 300;
  Holdings h = {};
  std::vector<HBRUSH> brushes;
  std::vector<HWND> windows;
  for (int i = 0; i < kFresh; ++i) {
    brushes.push_back(CreateSolidBrush(0));
    windows.push_back(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr));
    h.gdiSlots = std::max<unsigned>(h.gdiSlots, LOWORD(reinterpret_cast<UINT_PTR>(brushes.back())));
    h.windowSlots = std::max<unsigned>(h.windowSlots, LOWORD(reinterpret_cast<UINT_PTR>(windows.back())));
  }
  for (HBRUSH b : brushes) DeleteObject(b);
  for (HWND w : windows) DestroyWindow(w);
  PROCESS_MEMORY_COUNTERS counters = {};
  K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  h.committed = counters.PagefileUsage;
  return h;
}

// A hundred complete runs in one host process: open, move a slider, send
// colour bars, close. Nothing may pile up from one run to the next.
TEST(ConfigDialogSoak, HundredRunsLeaveNoHandlesOrMemoryBehind) {
  Boards();
  const int kRuns = 100;
  Holdings warm = {}, end = {};
  const double started = KorvSim_Now();
  {
    ui::ModuleRun run(kRuns);
    for (int i = 0; i < kRuns; ++i) {
      HWND dialog = run.WaitWindowTitled(L"Config Korvex V1.6");
      ASSERT_TRUE(dialog) << "run " << i;
      ui::Scroll(dialog, IDC_CONTRAST, SB_THUMBPOSITION, i);
      ui::Click(dialog, IDC_BARS_100_0_75_00);
      ASSERT_TRUE(run.Sync());
      ASSERT_EQ(KorvSim_Peek("Contrast", 0), i);
      ui::Click(dialog, IDCANCEL);
      ASSERT_TRUE(ui::WaitUntil([&] { return !IsWindow(dialog); }));
      // The records of the simulator and the driver are no part of the module.
      KorvSim_ForgetCalls();
      run.ForgetEvents();
      if (i == 8 || i == 9) warm = Measure();  // the first measure settles the free slots
    }
    ASSERT_TRUE(run.WaitFinished());
  }
  end = Measure();
  std::printf(
      "%d runs in %.1f s; after run 10 and run %d: GDI slots %u and %u, window slots %u and %u, "
      "committed memory %.1f and %.1f MiB\n",
      kRuns, (KorvSim_Now() - started) / 1000, kRuns, warm.gdiSlots, end.gdiSlots, warm.windowSlots, end.windowSlots,
      warm.committed / 1048576.0, end.committed / 1048576.0);
  EXPECT_FALSE(KorvSim_IsOpen(0));
  // The slots wobble by a few between measures; one handle left per run
  // would add 90.
  EXPECT_LE(end.gdiSlots, warm.gdiSlots + 20);
  EXPECT_LE(end.windowSlots, warm.windowSlots + 20);
  EXPECT_LE(end.committed, warm.committed + 2 * 1048576);
}

}  // namespace
