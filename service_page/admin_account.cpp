#include "service_page/admin_account.h"

namespace vexa {

std::string& AdminAccount() {
  static std::string account;
  return account;
}

std::string& AdminPassword() {
  static std::string password;
  return password;
}

void AcceptAdminInput(const std::string& account, const std::string& password) {
  AdminAccount() = account;
  AdminPassword() = password;
}

void CancelAdminInput() {
  AdminAccount().clear();
  AdminPassword().clear();
}

}  // namespace vexa
