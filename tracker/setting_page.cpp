#include "tracker/setting_page.h"

namespace vexa {

CSetting::CSetting(ConfigStore& store) : CDialog(kTemplateId), store_(store) {}

bool CSetting::OnInit() { return CDialog::OnInit(); }

bool CSetting::OnCommand(int id, int code, HWND control) {
  return CDialog::OnCommand(id, code, control);
}

}  // namespace vexa
