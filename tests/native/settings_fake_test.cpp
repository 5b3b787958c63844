// Reading and applying whole records, as the recording device library sees them.
#include <gtest/gtest.h>

#include "board_settings.h"
#include "fake_korvio.h"
#include "setting_table.h"
#include "settings_testing.h"

namespace {

class WholeRecord : public ::testing::Test {
 protected:
  void SetUp() override { fake_korvio::Reset(); }
};

TEST_F(WholeRecord, ReadCallsTwentyGettersInOrderAndFillsTheirFields) {
  for (const auto& [name, field] : kGetters) fake_korvio::SetStoredValue(name, 1000 + field);
  BoardSettings s = FromFields(std::vector<int32_t>(22, -7));
  EXPECT_TRUE(ReadAllSettings(3, s).empty());

  EXPECT_EQ(fake_korvio::CallNames(), Names(kGetters));
  for (const FakeCall& call : fake_korvio::Calls()) EXPECT_EQ(call.args, (std::vector<long long>{1, 3})) << call.name;
  std::vector<int32_t> expected(22);
  for (int i = 0; i < 22; ++i) expected[i] = (i == 3 || i == 7) ? 0 : 1000 + i;  // the reserved fields are not read
  EXPECT_EQ(Fields(s), expected);
}

TEST_F(WholeRecord, ReadFromGettersThatFailAndStoreNothingGivesZeros) {
  for (const auto& entry : kGetters) fake_korvio::SetResult(entry.first, 0);
  BoardSettings s = Factory();
  EXPECT_EQ(ReadAllSettings(0, s).size(), 20u);
  EXPECT_EQ(Fields(s), std::vector<int32_t>(22, 0));
  EXPECT_EQ(fake_korvio::Calls().size(), 20u);
}

TEST_F(WholeRecord, ReadGivesTheSettingsWhoseGetterFailed) {
  const std::pair<const char*, const char*> kFailing[] = {{"Orbel_GetInnerOrExtraSync", "sync-source"},
                                                          {"Orbel_GetAudioVolumn", "audio-volume"},
                                                          {"Orbel_GetPlayBufferRepeatMode", "pause-mode"}};
  for (const auto& [device, name] : kFailing) {
    SCOPED_TRACE(device);
    fake_korvio::Reset();
    fake_korvio::SetResult(device, 0);
    BoardSettings s;
    const std::vector<const BoardSetting*> failed = ReadAllSettings(0, s);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_STREQ(failed[0]->name, name);
    EXPECT_EQ(fake_korvio::Calls().size(), 20u);  // the others are still read
  }
}

// Sync source and lock mode last; values unchecked (4 is no video input, -1
// and 1000+ are off the sliders); every setter called although all fail.
TEST_F(WholeRecord, ApplyCallsNineteenSettersInOrderWithTheValuesAsTheyAre) {
  std::vector<int32_t> values(22);
  for (int i = 0; i < 22; ++i) values[i] = 1000 + i;
  values[1] = 4;
  values[9] = -1;
  for (const auto& entry : kSetters) fake_korvio::SetResult(entry.first, 0);
  std::vector<std::string> refused;
  for (const BoardSetting* setting : ApplyAllSettings(2, FromFields(values)))
    refused.push_back(std::string("Orbel_Set") + setting->device);
  EXPECT_EQ(refused, Names(kSetters));

  EXPECT_EQ(fake_korvio::CallNames(), Names(kSetters));
  for (size_t i = 0; i < kSetters.size() && i < fake_korvio::Calls().size(); ++i)
    EXPECT_EQ(fake_korvio::Calls()[i].args, (std::vector<long long>{values[kSetters[i].second], 2}))
        << kSetters[i].first;
}

TEST_F(WholeRecord, ApplyGivesTheRefusedSettingsInTheOrderSent) {
  fake_korvio::SetResult("Orbel_SetTVORVTR", 0);
  fake_korvio::SetResult("Orbel_SetCmpsOrSvideo", 0);
  std::vector<std::string> refused;
  for (const BoardSetting* setting : ApplyAllSettings(0, Factory())) refused.push_back(setting->name);
  EXPECT_EQ(refused, (std::vector<std::string>{"video-source", "lock-mode"}));
  fake_korvio::Reset();
  EXPECT_TRUE(ApplyAllSettings(0, Factory()).empty());
}

}  // namespace
