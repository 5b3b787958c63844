#include <gtest/gtest.h>

#include <string>

#include "module_path.h"

namespace {

TEST(ModulePath, DirectoryKeepsItsTrailingBackslash) {
  EXPECT_EQ(DirectoryOfPath("D:\\Tools\\korvcfg.dll", IsNeverLeadByte), "D:\\Tools\\");
  EXPECT_EQ(DirectoryOfPath("C:\\korvcfg.dll", IsNeverLeadByte), "C:\\");
  EXPECT_EQ(DirectoryOfPath("\\\\server\\share\\a\\korvcfg.dll", IsNeverLeadByte), "\\\\server\\share\\a\\");
}

TEST(ModulePath, NoBackslashGivesAnEmptyDirectory) {
  EXPECT_EQ(DirectoryOfPath("korvcfg.dll", IsNeverLeadByte), "");
  EXPECT_EQ(DirectoryOfPath("", IsNeverLeadByte), "");
}

// 0x81 0x5C is one GBK character whose second byte is the backslash.
TEST(ModulePath, GbkTrailByteIsNotABackslash) {
  const std::string dir = "D:\\\xB1\xED\x81\x5C\\";
  EXPECT_EQ(DirectoryOfPath(dir + "korvcfg.dll", IsGbkLeadByte), dir);
  // A name ending in such a character: its trail byte is not the last backslash.
  EXPECT_EQ(DirectoryOfPath("D:\\a\\b\x81\x5C", IsGbkLeadByte), "D:\\a\\");
  // The same bytes read in a single-byte code page do split there.
  EXPECT_EQ(DirectoryOfPath("D:\\a\\b\x81\x5C", IsNeverLeadByte), "D:\\a\\b\x81\x5C");
}

TEST(ModulePath, LeadByteAtTheEndIsNotSwallowingAnything) {
  EXPECT_EQ(DirectoryOfPath("D:\\x\\\x81", IsGbkLeadByte), "D:\\x\\");
}

TEST(ModulePath, BaseNameDropsDirectoryAndExtension) {
  EXPECT_EQ(BaseNameOfPath("D:\\Tools\\korvcfg.dll", IsNeverLeadByte), "korvcfg");
  EXPECT_EQ(BaseNameOfPath("korvcfg", IsNeverLeadByte), "korvcfg");
  EXPECT_EQ(BaseNameOfPath("D:\\v1.2\\korvcfg.DLL", IsNeverLeadByte), "korvcfg");
  EXPECT_EQ(BaseNameOfPath("D:\\\x81\x5C"
                           "cfg.dll",
                           IsGbkLeadByte),
            "\x81\x5C"
            "cfg");
}

}  // namespace
