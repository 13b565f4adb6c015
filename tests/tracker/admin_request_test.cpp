#include "tracker/admin_request.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(AdminRequest, PercentEncodingKeepsOnlyUnreservedBytes) {
  EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(PercentEncode("a&b=c#d%e+f g"), "a%26b%3Dc%23d%25e%2Bf%20g");
  EXPECT_EQ(PercentEncode("/?:@"), "%2F%3F%3A%40");
  // The ANSI code page's bytes as given (管理 in GBK), upper-case hex.
  EXPECT_EQ(PercentEncode("\xB9\xDC\xC0\xED"), "%B9%DC%C0%ED");
  EXPECT_EQ(PercentEncode(std::string("\x00\xff", 2)), "%00%FF");
  EXPECT_EQ(PercentEncode(""), "");
}

}  // namespace
}  // namespace vexa
