#include "ui/box_text.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  // A 300-character path keeps every byte, in lines no wider than asked.
  std::string path = "C:\\";
  while (path.size() < 300) path += "目录abcdefgh\\";
  std::string broken = BreakLongWords(path, 60);
  std::string joined;
  int columns = 0, widest = 0;
  for (char c : broken) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      columns = 0;
      continue;
    }
    joined += c;
    if (byte < 0x80) ++columns;
    if (byte >= 0xE0) columns += 2;  // the lead byte of a Chinese character
    widest = std::max(widest, columns);
  }
  EXPECT_EQ(joined, path);
  EXPECT_LE(widest, 60);
}

}  // namespace
}  // namespace vexa
