#include <windows.h>

#include <gtest/gtest.h>

#include "base/mbcs.h"
#include "base/system_error_win32.h"
#include "base/text_codec.h"

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

// What a page may write into vexa.cfg: exactly the typed text in code page
// 936, or nothing (a character 936 lacks, or one it would only approximate).
TEST(TextToAnsi, GivesTheCodePagesBytesOrRefuses) {
  struct Row {
    const char* text;
    bool held;
    const char* bytes;
  } const rows[] = {
      {"", true, ""},
      {"port 6969", true, "port 6969"},
      {"C:\\服务\\嘰", true, "C:\\\xB7\xFE\xCE\xF1\\\x87\x5C"},
      {"\xC5\x81odz", false, ""},              // Ł: 936 would write "Lodz"
      {"\xE2\x84\xA2", false, ""},             // ™: 936 would write "TM" or "?"
      {"\xF0\x9F\x98\x80", false, ""},         // outside the basic plane
      {"\xC3\xA9t\xC3\xA9", true, "\xA8\xA6t\xA8\xA6"},  // é is in 936 (pinyin)
  };
  for (const Row& row : rows) {
    std::string ansi = "unchanged";
    EXPECT_EQ(vexa::TextToAnsi(row.text, &ansi), row.held) << row.text;
    EXPECT_EQ(ansi, row.held ? row.bytes : "unchanged") << row.text;
  }
}
