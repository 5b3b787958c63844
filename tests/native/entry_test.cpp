#include <gtest/gtest.h>

#include <string>

#include "module_path.h"

namespace {

// 0x81 0x5C is one GBK character whose second byte is the backslash.
TEST(ModulePath, GbkTrailByteIsNotABackslash) {
  EXPECT_EQ(BaseNameOfPath("D:\\\xB1\xED\x81\x5C\\korvcfg.dll", IsGbkLeadByte), "korvcfg");
  EXPECT_EQ(BaseNameOfPath("D:\\a\\b\x81\x5C", IsGbkLeadByte), "b\x81\x5C");
  // The same bytes read in a single-byte code page do split there.
  EXPECT_EQ(BaseNameOfPath("D:\\a\\b\x81\x5C", IsNeverLeadByte), "");
  // A lead byte at the end swallows nothing.
  EXPECT_EQ(BaseNameOfPath("D:\\x\\\x81", IsGbkLeadByte), "\x81");
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
