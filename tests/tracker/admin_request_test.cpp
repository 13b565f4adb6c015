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

TEST(AdminRequest, OnlyA2xxAnswerIsSuccessAndEachFailureSaysWhatHappened) {
  using Kind = TrackerAnswer::Kind;
  const struct {
    TrackerAnswer answer;
    bool succeeded;
    const char* text;
  } cases[] = {
      {{Kind::kAnswered, 199, ""}, false, "Vexa服务器回答 HTTP 199，没有确认创建管理员。"},
      {{Kind::kAnswered, 200, ""}, true, nullptr},
      {{Kind::kAnswered, 299, ""}, true, nullptr},
      {{Kind::kAnswered, 300, ""}, false, "Vexa服务器回答 HTTP 300，没有确认创建管理员。"},
      {{Kind::kNoListener, 200, ""}, false,
       "15 秒内本机端口 6969 上没有程序接受连接，Vexa服务器可能没有启动。"},
      {{Kind::kFailed, 200, "超时。"}, false, "与本机端口 6969 的连接中断：超时。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer.status);
    EXPECT_EQ(c.answer.Succeeded(), c.succeeded);
    if (c.text) {
      EXPECT_EQ(TrackerAnswerText(c.answer, "6969", 15), c.text);
    }
  }
  EXPECT_EQ(AdminRequestTarget("a", "p").substr(0, 33), "/users.html?us_login=a&us_passwor");
  std::string secret = "p#1";
  WipeText(secret);
  EXPECT_TRUE(secret.empty());
}

}  // namespace
}  // namespace vexa
