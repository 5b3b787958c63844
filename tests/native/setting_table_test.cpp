// The settings table's invariants: what the record, the dialog, the monitor
// and korvctl rely on when they walk it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "setting_table.h"
#include "settings_testing.h"

namespace {

// Every field of the record but the two reserved ones, in the order they are
// read.
const int32_t BoardSettings::*const kFields[] = {
    &BoardSettings::innerOrExtraSync,
    &BoardSettings::cmpsOrSvideo,
    &BoardSettings::audioSrc,
    &BoardSettings::tvOrVtr,
    &BoardSettings::videoBlackLevel,
    &BoardSettings::videoBypass,
    &BoardSettings::videoMode,
    &BoardSettings::contrast,
    &BoardSettings::light,
    &BoardSettings::hue,
    &BoardSettings::satuation,
    &BoardSettings::subcarrierPhase,
    &BoardSettings::linePhase,
    &BoardSettings::fieldPhase,
    &BoardSettings::audioVolumn,
    &BoardSettings::subBoardIfExist,
    &BoardSettings::outVideoSrc,
    &BoardSettings::outAudioSrc,
    &BoardSettings::capVideoSrc,
    &BoardSettings::playBufferRepeatMode,
};

TEST(SettingTable, CoversEveryFieldButTheReservedOnesOnceWithUniqueNames) {
  ASSERT_EQ(kBoardSettingCount, std::size(kFields));
  std::set<std::string> names, devices;
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    const BoardSetting& s = kBoardSettings[i];
    SCOPED_TRACE(s.name);
    EXPECT_TRUE(s.field == kFields[i]);
    EXPECT_TRUE(names.insert(s.name).second);
    EXPECT_TRUE(devices.insert(s.device).second);
    EXPECT_NE(s.get, nullptr);
    EXPECT_EQ(s.set == nullptr, s.field == &BoardSettings::subBoardIfExist);
    // Words and codes unique within a setting; words are what a person types.
    std::set<std::string> words;
    std::set<int32_t> codes;
    for (int w = 0; w < s.wordCount; ++w) {
      EXPECT_TRUE(words.insert(s.words[w].word).second) << s.words[w].word;
      EXPECT_TRUE(codes.insert(s.words[w].code).second) << s.words[w].code;
      EXPECT_EQ(std::string(s.words[w].word).find_first_of(" =,"), std::string::npos);
    }
    if (s.wordCount == 0) {
      EXPECT_EQ(s.max - s.min, 255);
    }
  }
}

TEST(SettingTable, ApplyOrderTakesEverySettableRowOnce) {
  std::multiset<const BoardSetting*> apply(ApplyOrder().begin(), ApplyOrder().end());
  for (const BoardSetting& s : kBoardSettings) EXPECT_EQ(apply.count(&s), s.set ? 1u : 0u) << s.name;
  EXPECT_EQ(apply.size(), kBoardSettingCount - 1);
}

TEST(SettingTable, FactoryRecordIsTheOneTheFirstReleaseWrote) {
  BoardSettings s = FromFields(std::vector<int32_t>(22, -7));
  SetFactorySettings(s);
  EXPECT_EQ(Fields(s), Fields(Factory()));
}

TEST(SettingTable, LooksUpAndDescribesValues) {
  const BoardSetting* video = SettingNamed("video-source");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video, SettingOfDevice("CmpsOrSvideo"));
  EXPECT_EQ(SettingNamed("Video-Source"), nullptr);
  EXPECT_EQ(ValueText(*video, 5), "cvbs2 (5)");
  EXPECT_EQ(ValueText(*video, 4), "4");
  EXPECT_FALSE(video->Valid(4));
  const BoardSetting* hue = SettingNamed("hue");
  ASSERT_NE(hue, nullptr);
  EXPECT_TRUE(hue->Valid(0) && hue->Valid(255));
  EXPECT_FALSE(hue->Valid(-1) || hue->Valid(256));
  EXPECT_EQ(ValueText(*hue, 300), "300");
}

}  // namespace
