#include "base/mbcs.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

// In GBK, 嘰 is 87 5C: its trail byte is the backslash.
const std::string kTrailBackslash = "\x87\x5C";

TEST(Mbcs, RemovalsKeepDoubleByteCharactersWhole) {
  EXPECT_EQ(RemoveCharMb("a/" + kTrailBackslash + "/b", '/'), "a" + kTrailBackslash + "b");
  EXPECT_EQ(RemoveCharMb(kTrailBackslash + "\\", '\\'), kTrailBackslash);
  EXPECT_EQ(ReplaceCharMb("a/" + kTrailBackslash, '\\', '/'), "a/" + kTrailBackslash);
  // "\x5C" + "ab" inside a character is not a match of "\\ab"
  EXPECT_EQ(RemoveTextMb("\x87\\ab\\ab", "\\ab"), "\x87\\ab");
  EXPECT_EQ(RemoveTextMb("C:\\p\\x\\p\\", "C:\\p\\"), "x\\p\\");
}

}  // namespace
}  // namespace vexa
