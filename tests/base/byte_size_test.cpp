#include "base/byte_size.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(ByteSize, SizesInUnitsOf1024) {
  EXPECT_EQ(ByteSizeText(0), "0 字节");
  EXPECT_EQ(ByteSizeText(1023), "1023 字节");
  EXPECT_EQ(ByteSizeText(1024), "1.0 KB");
}

}  // namespace
}  // namespace vexa
