// Reading and applying whole records on the simulated boards: which device
// calls, in which order, with which values, and what the boards hold after.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "board_settings.h"
#include "korvio.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "setting_table.h"
#include "settings_testing.h"

namespace {

constexpr size_t kPrefix = sizeof "Orbel_Get" - 1;  // as long as "Orbel_Set"

class WholeRecord : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* name : {"KORVSIM_BOARDS", "KORVSIM_SUBBOARD", "KORVSIM_FAIL_SETTER", "KORVSIM_FAIL_GETTER"})
      unsetenv(name);
    KorvSim_Reset();
  }
  // Opens `boards` simulated boards; the calls are recorded from here.
  void Start(const char* boards, const char* subBoards = "none", const char* failingSetters = "",
             const char* failingGetters = "") {
    setenv("KORVSIM_BOARDS", boards, 1);
    setenv("KORVSIM_SUBBOARD", subBoards, 1);
    setenv("KORVSIM_FAIL_SETTER", failingSetters, 1);
    setenv("KORVSIM_FAIL_GETTER", failingGetters, 1);
    KorvSim_Reset();
    for (int card = 0; card < atoi(boards); ++card) ASSERT_EQ(Orbel_Initial(card, 1, 0), 1);
    KorvSim_ForgetCalls();
  }
};

TEST_F(WholeRecord, ReadCallsTwentyGettersInOrderAndFillsTheirFields) {
  Start("4");
  std::vector<std::string> expectedCalls;
  for (const auto& [name, field] : kGetters) {
    KorvSim_Poke(name.c_str() + kPrefix, 1000 + field, 3);
    expectedCalls.push_back(name + "(&v, 3) -> " + std::to_string(1000 + field) + " = 1");
  }
  BoardSettings s = FromFields(std::vector<int32_t>(22, -7));
  EXPECT_TRUE(ReadAllSettings(3, s).empty());

  EXPECT_EQ(SimCalls(), expectedCalls);
  std::vector<int32_t> expected(22);
  for (int i = 0; i < 22; ++i) expected[i] = (i == 3 || i == 7) ? 0 : 1000 + i;  // the reserved fields are not read
  EXPECT_EQ(Fields(s), expected);
}

TEST_F(WholeRecord, ReadFromGettersThatFailAndStoreNothingGivesZeros) {
  std::string getters;
  std::vector<std::string> expectedCalls;
  for (const auto& entry : kGetters) {
    getters += entry.first.substr(kPrefix) + ",";
    expectedCalls.push_back(entry.first + "(&v, 0) -> 0 = 0");
  }
  Start("1", "none", "", getters.c_str());
  BoardSettings s = Factory();
  EXPECT_EQ(ReadAllSettings(0, s).size(), 20u);
  EXPECT_EQ(Fields(s), std::vector<int32_t>(22, 0));
  EXPECT_EQ(SimCalls(), expectedCalls);
}

TEST_F(WholeRecord, ReadGivesTheSettingsWhoseGetterFailed) {
  const std::pair<const char*, const char*> kFailing[] = {{"Orbel_GetInnerOrExtraSync", "sync-source"},
                                                          {"Orbel_GetAudioVolumn", "audio-volume"},
                                                          {"Orbel_GetPlayBufferRepeatMode", "pause-mode"}};
  for (const auto& [device, name] : kFailing) {
    SCOPED_TRACE(device);
    Start("1");
    KorvSim_SetResult(device, 0);
    BoardSettings s;
    const std::vector<const BoardSetting*> failed = ReadAllSettings(0, s);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_STREQ(failed[0]->name, name);
    EXPECT_EQ(KorvSim_CallCount(), 20);  // the others are still read
  }
}

// Sync source and lock mode last; values unchecked (4 is no video input, -1
// and 1000+ are off the sliders); every setter called although all fail.
TEST_F(WholeRecord, ApplyCallsNineteenSettersInOrderWithTheValuesAsTheyAre) {
  Start("3");
  std::vector<int32_t> values(22);
  for (int i = 0; i < 22; ++i) values[i] = 1000 + i;
  values[1] = 4;
  values[9] = -1;
  std::vector<std::string> expectedCalls;
  for (const auto& [name, field] : kSetters) {
    KorvSim_SetResult(name.c_str(), 0);
    expectedCalls.push_back(name + "(" + std::to_string(values[field]) + ", 2) = 0");
  }
  std::vector<std::string> refused;
  for (const BoardSetting* setting : ApplyAllSettings(2, FromFields(values)))
    refused.push_back(std::string("Orbel_Set") + setting->device);
  EXPECT_EQ(refused, Names(kSetters));
  EXPECT_EQ(SimCalls(), expectedCalls);
}

TEST_F(WholeRecord, ApplyGivesTheRefusedSettingsInTheOrderSent) {
  Start("1");
  KorvSim_SetResult("Orbel_SetTVORVTR", 0);
  KorvSim_SetResult("Orbel_SetCmpsOrSvideo", 0);
  std::vector<std::string> refused;
  for (const BoardSetting* setting : ApplyAllSettings(0, Factory())) refused.push_back(setting->name);
  EXPECT_EQ(refused, (std::vector<std::string>{"video-source", "lock-mode"}));
  Start("1");
  EXPECT_TRUE(ApplyAllSettings(0, Factory()).empty());
}

TEST_F(WholeRecord, FactoryValuesComeBackExceptReserved7AndTheBoardsOwnSubBoard) {
  for (const char* subBoards : {"none", "all"}) {
    Start("1", subBoards);
    BoardSettings read;
    ApplyAllSettings(0, Factory());
    ReadAllSettings(0, read);

    BoardSettings expected = Factory();
    expected.reserved7 = 0;
    expected.subBoardIfExist = subBoards[0] == 'a';
    EXPECT_EQ(Fields(read), Fields(expected)) << "sub-boards: " << subBoards;
  }
}

TEST_F(WholeRecord, RejectedSettingsDoNotStopTheOthersAndOnlyTheNamedBoardChanges) {
  Start("2", "", "InnerOrExtraSync");
  BoardSettings values = Factory();
  values.cmpsOrSvideo = 3;  // SDI, refused without a sub-board
  values.contrast = 77;
  values.tvOrVtr = 1;
  ApplyAllSettings(1, values);

  BoardSettings board0, board1;
  ReadAllSettings(0, board0);
  ReadAllSettings(1, board1);
  EXPECT_EQ(board1.cmpsOrSvideo, 0);
  EXPECT_EQ(board1.innerOrExtraSync, 0);
  EXPECT_EQ(board1.contrast, 77);
  EXPECT_EQ(board1.tvOrVtr, 1);  // after the refused sync source
  EXPECT_EQ(board0.contrast, 128);
  EXPECT_EQ(board0.tvOrVtr, 0);
}

}  // namespace
