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

TEST(AdminRequest, AddressCarriesEveryPieceInOrder) {
  EXPECT_EQ(AdminRequestUrl("http://localhost:6969", "boss", "s3cret"),
            "http://localhost:6969/users.html?us_login=boss&us_password=s3cret"
            "&us_password_verify=s3cret&us_email=admin%40localhost"
            "&us_access_view=on&us_access_dl=on&us_access_comments=on&us_access_upload=on"
            "&us_access_edit=on&us_access_admin=on&us_access_signup=on");
}

}  // namespace
}  // namespace vexa
