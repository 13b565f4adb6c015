#include <windows.h>

#include <gtest/gtest.h>

#include "base/mbcs.h"
#include "base/system_error.h"

// The Wine suite runs under code page 936 (the 1252 run is end to end only).
TEST(LeadByte, SystemCodePageIsGbk) {
  EXPECT_EQ(GetACP(), 936u);
  EXPECT_TRUE(vexa::IsLeadByte(0x87));
  EXPECT_TRUE(vexa::IsLeadByte(0xFE));
  EXPECT_FALSE(vexa::IsLeadByte(0x5C));
  EXPECT_FALSE(vexa::IsLeadByte(0x80));
}

TEST(SystemMessage, GivesTheSystemsTextWithoutLineEnd) {
  std::string text = vexa::SystemMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
}
