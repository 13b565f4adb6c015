#include "tracker/admin_request.h"

namespace vexa {

const char kAdminEmail[] = "admin@localhost";

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

const char kAllRights[] =
    "&us_access_view=on&us_access_dl=on&us_access_comments=on&us_access_upload=on"
    "&us_access_edit=on&us_access_admin=on&us_access_signup=on";

}  // namespace

std::string PercentEncode(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string AdminRequestUrl(const std::string& baseUrl, const std::string& account,
                            const std::string& password) {
  return baseUrl + "/users.html" + "?us_login=" + PercentEncode(account) +
         "&us_password=" + PercentEncode(password) +
         "&us_password_verify=" + PercentEncode(password) +
         "&us_email=" + PercentEncode(kAdminEmail) + kAllRights;
}

}  // namespace vexa
