#include "ui/box_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vexa {
namespace {

TEST(BoxText, LongWordsBreakAfterASeparatorOrWhereFullAndShortOnesStay) {
  struct Case {
    const char* text;
    int columns;
    const char* broken;
  } const cases[] = {
      {"short\nwords stay, however long the line", 10, "short\nwords stay, however long the line"},
      // After the last separator that still fits.
      {"C:\\aaaa\\bbbb\\cccc", 10, "C:\\aaaa\\\nbbbb\\cccc"},
      {"a/bb/ccc/dddd", 6, "a/bb/\nccc/\ndddd"},
      {"see C:\\aaaa\\bbbb", 8, "see C:\\aaaa\\\nbbbb"},  // only the path is broken
      // No separator: where the line is full.
      {"abcdefghij", 4, "abcd\nefgh\nij"},
      // A Chinese character takes two columns and may end a line.
      {"备份目录备份目录", 6, "备份目\n录备份\n目录"},
      {"无法创建：C:\\x", 10, "无法创建：\nC:\\x"},
      // A line already broken by the text is counted afresh.
      {"abcd\nefghij", 4, "abcd\nefgh\nij"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BreakLongWords(c.text, c.columns), c.broken) << c.text;
  }
}

}  // namespace
}  // namespace vexa
