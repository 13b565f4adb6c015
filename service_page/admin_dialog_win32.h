#pragma once
// "创建管理员": asks for the tracker's first administrator during the
// one-click installation.
#include <optional>
#include <string>

#include "resources/resource.h"
#include "jobs/tracker_jobs.h"
#include "ui/dialog_win32.h"

namespace vexa {

class Cmyinput : public CDialog {
 public:
  static constexpr UINT kTemplateId = IDD_ADMIN_ACCOUNT;  // 151

  Cmyinput();
  ~Cmyinput() override;

  // After OK both values as typed, empty ones included; nothing after
  // Cancel, Escape or the close box.
  const std::optional<AdminAnswer>& Answer() const { return answer_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  std::string account_;
  std::string password_;
  std::optional<AdminAnswer> answer_;
};

}  // namespace vexa
