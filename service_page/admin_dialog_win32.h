#pragma once
// "创建管理员": asks for the tracker's first administrator during the
// one-click installation and hands the answer back in AdminAccount and
// AdminPassword.
#include <string>

#include "resources/resource.h"
#include "ui/dialog_win32.h"

namespace vexa {

class Cmyinput : public CDialog {
 public:
  static constexpr UINT kTemplateId = IDD_ADMIN_ACCOUNT;  // 151

  Cmyinput();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  std::string account_;
  std::string password_;
};

}  // namespace vexa
