#include "tracker/admin_request.h"

namespace vexa {

const char kAdminEmail[] = "admin@localhost";

namespace {

const char kAllRights[] =
    "&us_access_view=on&us_access_dl=on&us_access_comments=on&us_access_upload=on"
    "&us_access_edit=on&us_access_admin=on&us_access_signup=on";

}  // namespace

std::string AdminRequestUrl(const std::string& baseUrl, const std::string& account,
                            const std::string& password) {
  return baseUrl + "/users.html" + "?us_login=" + PercentEncode(account) +
         "&us_password=" + PercentEncode(password) +
         "&us_password_verify=" + PercentEncode(password) +
         "&us_email=" + PercentEncode(kAdminEmail) + kAllRights;
}

}  // namespace vexa
