// Reading and applying whole records on the simulated boards.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "setting_table.h"
#include "korvio.h"
#include "korvsim.h"
#include "korvsim_calls.h"
#include "settings_testing.h"

namespace {

class OnTheBoard : public ::testing::Test {
 protected:
  void Configure(const char* boards, const char* subBoards, const char* failingSetters) {
    setenv("KORVSIM_BOARDS", boards, 1);
    setenv("KORVSIM_SUBBOARD", subBoards, 1);
    setenv("KORVSIM_FAIL_SETTER", failingSetters, 1);
    KorvSim_Reset();
    for (int card = 0; card < atoi(boards); ++card) ASSERT_EQ(Orbel_Initial(card, 1, 0), 1);
  }
  // The names of the device calls since call `from`.
  std::vector<std::string> CallNames(int from) {
    std::vector<std::string> names;
    for (const std::string& call : SimCalls(from)) names.push_back(call.substr(0, call.find('(')));
    return names;
  }
};

TEST_F(OnTheBoard, FactoryValuesComeBackExceptReserved7AndTheBoardsOwnSubBoard) {
  for (const char* subBoards : {"none", "all"}) {
    Configure("1", subBoards, "");
    BoardSettings read;
    ApplyAllSettings(0, Factory());
    EXPECT_EQ(CallNames(1), Names(kSetters));
    ReadAllSettings(0, read);
    EXPECT_EQ(CallNames(20), Names(kGetters));

    BoardSettings expected = Factory();
    expected.reserved7 = 0;
    expected.subBoardIfExist = subBoards[0] == 'a';
    EXPECT_EQ(Fields(read), Fields(expected)) << "sub-boards: " << subBoards;
  }
}

TEST_F(OnTheBoard, RejectedSettingsDoNotStopTheOthersAndOnlyTheNamedBoardChanges) {
  Configure("2", "", "InnerOrExtraSync");
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
