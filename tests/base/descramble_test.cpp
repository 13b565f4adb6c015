#include "base/descramble.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(DescrambleText, ShortTextsComeBackUnchanged) {
  EXPECT_EQ(DescrambleText(std::string(), 0x6B), "");
  EXPECT_EQ(DescrambleText(std::string("A"), 0x6B), "A");
  EXPECT_EQ(DescrambleText(std::string("\xB1", 1), 0xFF), std::string("\xB1", 1));
}

TEST(DescrambleText, EveryByteButTheLastIsXoredWithTheKey) {
  // 0x41^0x20 = 0x61, 0x00^0x20 = 0x20, 0xFF^0x20 = 0xDF; last byte kept.
  const std::string stored("\x41\x00\xFF\x7A", 4);
  EXPECT_EQ(DescrambleText(stored, 0x20), std::string("\x61\x20\xDF\x7A", 4));
  EXPECT_EQ(DescrambleText(std::string("ab"), 0x01), "`b");
  // A key of zero changes nothing.
  EXPECT_EQ(DescrambleText(stored, 0x00), stored);
}

TEST(DescrambleText, UndoesScrambleLiteralForChineseText) {
  constexpr auto stored = ScrambleLiteral("Vexa服务器 3.0", 0x6B);
  // The stored bytes differ from the plain text except for the last one.
  const std::string plain = "Vexa服务器 3.0";
  ASSERT_EQ(stored.size(), plain.size());
  EXPECT_NE(std::string(stored.data(), stored.size() - 1), plain.substr(0, plain.size() - 1));
  EXPECT_EQ(stored.back(), '0');
  EXPECT_EQ(DescrambleText(stored, 0x6B), plain);
  // "服" in UTF-8 is E6 9C 8D.
  EXPECT_EQ(plain.substr(4, 3), "\xE6\x9C\x8D");
}

}  // namespace
}  // namespace vexa
