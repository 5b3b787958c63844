// Profile names that Windows could not keep as files are refused before
// anything is written, and the profiles kept are listed by name. In every
// tree: natively and under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_store.h"
#include "profiles.h"
#ifdef _WIN32
#include "wine_testing.h"
#else
#include "temp_folder.h"
#endif

namespace {

TEST(ProfileName, NamesWindowsCannotKeepAreRefusedWithTheReason) {
  struct Case {
    std::string name;
    const char* problem;  // a word of the message; null: accepted
  };
  const Case cases[] = {
      {"studio", nullptr},
      {"Field 2 (night)", nullptr},
      {"\xE6\xBC\x94\xE6\x92\xAD\xE5\xAE\xA4", nullptr},  // a Chinese name
      {"COM10", nullptr},                                 // only COM0 to COM9 and COM¹ to COM³ are devices
      {"COM\xC2\xB4", nullptr},                           // an acute accent is no superscript digit
      {"LPT\xE2\x81\xB4", nullptr},                       // nor is superscript four
      {"console", nullptr},
      {std::string(64, 'a'), nullptr},
      {"", "needs a name"},
      {std::string(65, 'a'), "64 characters"},
      {"a/b", "separator"},
      {"a\\b", "separator"},
      {"..", "dot"},
      {"studio.", "dot"},
      {"studio ", "space"},
      {"a:b", "character"},
      {"a*", "character"},
      {std::string("a\x01", 2), "character"},
      {"CON", "device"},
      {"nul", "device"},
      {"Com1", "device"},
      {"LPT9.backup", "device"},
      {"AUX .x", "device"},
      {"COM0", "device"},
      {"lpt0.ini", "device"},
      {"COM\xC2\xB9", "device"},          // COM¹
      {"com\xC2\xB2.studio", "device"},   // COM²
      {"LPT\xC2\xB3", "device"},          // LPT³
      {"Lpt\xC2\xB9 .x", "device"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<std::string> problem = ProfileNameProblem(c.name);
    if (!c.problem) {
      EXPECT_FALSE(problem) << *problem;
    } else {
      ASSERT_TRUE(problem);
      EXPECT_NE(problem->find(c.problem), std::string::npos) << *problem;
    }
  }
  // A name reaches the commands as UTF-8 text; other bytes are no name.
  for (const char* bytes : {"\xFF", "a\xC3", "\xC0\xAF", "\xED\xA0"})
    EXPECT_TRUE(ProfileNameProblem(bytes)) << "bytes not UTF-8";
}

TEST(ProfileFolder, ListsTheProfilesByNameAndNothingElse) {
  TempFolder folder;
  std::vector<std::string> names = {"left over"};
  ASSERT_TRUE(ListProfiles(folder.Folder(), names)) << "no folder: no profiles";
  EXPECT_TRUE(names.empty());
  const std::filesystem::path profiles = ProfileFolder(folder.Folder());
  ASSERT_TRUE(MakeFolder(profiles));
  ASSERT_TRUE(MakeFolder(profiles)) << "a folder that is there already";
  ASSERT_TRUE(ReplaceWholeFile(ProfilePath(folder.Folder(), "studio"), "[BOARD]\n"));
  ASSERT_TRUE(ReplaceWholeFile(ProfilePath(folder.Folder(), "field"), "[BOARD]\n"));
  ASSERT_TRUE(ReplaceWholeFile(profiles / "notes.txt", "not a profile\n"));
  ASSERT_TRUE(MakeFolder(profiles / "a folder.ini"));
  ASSERT_TRUE(ListProfiles(folder.Folder(), names));
  EXPECT_EQ(names, (std::vector<std::string>{"field", "studio"}));
  EXPECT_TRUE(RemoveFile(ProfilePath(folder.Folder(), "field")));
  EXPECT_FALSE(RemoveFile(ProfilePath(folder.Folder(), "field"))) << "gone already";
  ASSERT_TRUE(ListProfiles(folder.Folder(), names));
  EXPECT_EQ(names, (std::vector<std::string>{"studio"}));
}

}  // namespace
