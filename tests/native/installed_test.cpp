// What the installed programs share: the security descriptors the installer
// sets, the defaults a profile leaves, and what the boot restore keeps of a
// run of korvctl (the record and the event log's entries).
#include <gtest/gtest.h>

#include "boot_record.h"
#include "installed.h"
#include "json.h"

namespace {

TEST(Installed, GuardedPathsGetTheseExactSecurityDescriptors) {
  // Owner Administrators; protected DACL; SYSTEM and Administrators full
  // control; Users modify (0x1301bf, icacls "M") on Board.ini and, inherited
  // by files and folders, on Profiles; Users read and execute (0x1200a9,
  // icacls "RX") on the records' folder.
  const struct {
    Guarded what;
    const char* sddl;
  } cases[] = {
      {Guarded::kBoardIni, "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1301bf;;;BU)"},
      {Guarded::kProfiles, "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)"},
      {Guarded::kRecords, "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"},
  };
  for (const auto& c : cases) EXPECT_EQ(GuardedSddl(c.what), c.sddl);
}

TEST(Installed, AProfileChangesOnlyTheDefaultsItNames) {
  BoardSettings current;
  SetFactorySettings(current);
  current.contrast = 120;
  current.reserved7 = 0;
  current.subBoardIfExist = 1;
  WantedSettings profile;
  profile.values[SettingNamed("video-source") - kBoardSettings] = 3;
  profile.values[SettingNamed("contrast") - kBoardSettings] = 100;
  BoardSettings expected = current;
  expected.cmpsOrSvideo = 3;
  expected.contrast = 100;
  const BoardSettings got = DefaultsWithProfile(current, profile);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&got), sizeof got),
            std::string(reinterpret_cast<const char*>(&expected), sizeof expected));
}

const char kDocument[] =
    "{\"changed\": true, \"boards\": [\n"
    "  {\"index\": 0, \"opens\": true, \"changed\": true, \"settings\": {"
    "\"contrast\": {\"result\": \"changed\"}, \"hue\": {\"result\": \"changed\"}, "
    "\"brightness\": {\"result\": \"unchanged\"}, \"video-source\": {\"result\": \"refused\"}}},\n"
    "  {\"index\": 1, \"opens\": false, \"changed\": false, \"settings\": null},\n"
    "  {\"index\": 2, \"opens\": true, \"changed\": false, \"settings\": {\"hue\": {\"result\": \"unchanged\"}}}]}\n";

TEST(BootRecord, KeepsKorvctlsDocumentAfterTheTimeAndHowTheRunEnded) {
  const struct {
    const char* what;
    RestoreRun run;
    const char* record;
  } cases[] = {
      {"a document",
       {"2026-12-09T05:40:00Z", 1, "{\"changed\": false, \"boards\": []}\r\n", "korvctl: board 1 cannot be opened\n", ""},
       "{\"time\": \"2026-12-09T05:40:00Z\", \"status\": 1, \"problem\": null, "
       "\"messages\": \"korvctl: board 1 cannot be opened\",\n \"changed\": false, \"boards\": []}\n"},
      {"no device library",
       {"T", 1, "", "korvctl: the board's device library korvio.dll is not installed\n", ""},
       "{\"time\": \"T\", \"status\": 1, \"problem\": \"korvctl: the board's device library korvio.dll is not "
       "installed\", \"messages\": \"korvctl: the board's device library korvio.dll is not installed\",\n"
       " \"changed\": false, \"boards\": []}\n"},
      {"a hang, half a document",
       {"T", -1, "{\"changed\": true, \"boa", "", "the boards did not answer within 2 s"},
       "{\"time\": \"T\", \"status\": -1, \"problem\": \"the boards did not answer within 2 s\", "
       "\"messages\": null,\n \"changed\": false, \"boards\": []}\n"},
      {"JSON that is no document", {"T", 0, "[1]", "", ""},
       "{\"time\": \"T\", \"status\": 0, \"problem\": \"korvctl ended with status 0 and reported no board\", "
       "\"messages\": null,\n \"changed\": false, \"boards\": []}\n"},
  };
  for (const auto& c : cases) {
    const std::string record = BootRecordJson(c.run);
    EXPECT_EQ(record, c.record) << c.what;
    std::string error;
    EXPECT_TRUE(ParseJson(record, error)) << c.what << ": " << error;
  }
  const std::string whole = BootRecordJson({"T", 1, kDocument, "", ""});
  std::string error;
  const std::optional<JsonValue> parsed = ParseJson(whole, error);
  ASSERT_TRUE(parsed) << error;
  ASSERT_EQ(parsed->members.size(), 6u);
  EXPECT_EQ(parsed->members[4].first, "changed");
  EXPECT_EQ(parsed->Find("boards")->items.size(), 3u);
}

TEST(BootRecord, OneEventPerBoardWarningOfRefusalsAndBoardsThatDoNotOpen) {
  const std::vector<BootEvent> events = BootEvents({"T", 1, kDocument, "", ""});
  ASSERT_EQ(events.size(), 3u);
  const struct {
    bool warning;
    const char* text;
  } expected[] = {
      {true, "board 0: 2 changed, 1 unchanged, 1 refused, 0 drifted"},
      {true, "board 1: cannot be opened; its defaults were not restored"},
      {false, "board 2: 0 changed, 1 unchanged, 0 refused, 0 drifted"},
  };
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].warning, expected[i].warning) << i;
    EXPECT_EQ(events[i].text, expected[i].text) << i;
  }
  const std::vector<BootEvent> none = BootEvents({"T", -1, "", "", "the boards did not answer within 2 s"});
  ASSERT_EQ(none.size(), 1u);
  EXPECT_TRUE(none[0].warning);
  EXPECT_EQ(none[0].text, "The board defaults were not restored: the boards did not answer within 2 s");
}

}  // namespace
