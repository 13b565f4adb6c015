#include "tracker/admin_request.h"

namespace vexa {

const char kAdminEmail[] = "admin@localhost";

namespace {

const char kAllRights[] =
    "&us_access_view=on&us_access_dl=on&us_access_comments=on&us_access_upload=on"
    "&us_access_edit=on&us_access_admin=on&us_access_signup=on";

}  // namespace

std::string AdminRequestTarget(const std::string& account, const std::string& password) {
  return "/users.html?us_login=" + PercentEncode(account) +
         "&us_password=" + PercentEncode(password) +
         "&us_password_verify=" + PercentEncode(password) +
         "&us_email=" + PercentEncode(kAdminEmail) + kAllRights;
}

std::string TrackerAnswerText(const TrackerAnswer& answer, const std::string& port,
                              unsigned waitedSeconds) {
  switch (answer.kind) {
    case TrackerAnswer::Kind::kAnswered:
      return "Vexa服务器回答 HTTP " + std::to_string(answer.status) + "，没有确认创建管理员。";
    case TrackerAnswer::Kind::kNoListener:
      return std::to_string(waitedSeconds) + " 秒内本机端口 " + port +
             " 上没有程序接受连接，Vexa服务器可能没有启动。";
    case TrackerAnswer::Kind::kFailed:
      break;
  }
  return "与本机端口 " + port + " 的连接中断：" + answer.reason;
}

}  // namespace vexa
