#include "pages/bt_system_page.h"

namespace vexa {

CBTsystem::CBTsystem(ConfigStore& store) : CDialog(kTemplateId), store_(store) {}

bool CBTsystem::OnInit() { return CDialog::OnInit(); }

bool CBTsystem::OnCommand(int id, int code, HWND control) {
  return CDialog::OnCommand(id, code, control);
}

}  // namespace vexa
