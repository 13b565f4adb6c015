#include "pages/option_page_win32.h"

#include "pages/page_dialog_win32.h"

namespace vexa {

Coption::Coption(ConfigStore& store) : CDialog(kTemplateId), store_(store) {
  BindFields(*this, page_);
}

bool Coption::OnInit() {
  page_.Initialize(store_);
  return CDialog::OnInit();
}

void Coption::ShowStoreValues() {
  page_.Initialize(store_);
  UpdateData(false);
}

bool Coption::OnCommand(int id, int code, HWND control) {
  if (id == IDC_SAVE && code == BN_CLICKED) {
    OnSave();
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}

void Coption::OnSave() {
  UpdateData(true);
  ShowPageMessage(Handle(),
                  page_.SaveChanges(store_, [this] { return AskReloadChangedConfig(Handle()); }));
}

}  // namespace vexa
