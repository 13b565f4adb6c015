#include "pages/option_page.h"

namespace vexa {

Coption::Coption(ConfigStore& store) : CDialog(kTemplateId), store_(store) {}

bool Coption::OnInit() { return CDialog::OnInit(); }

bool Coption::OnCommand(int id, int code, HWND control) {
  return CDialog::OnCommand(id, code, control);
}

}  // namespace vexa
