#include "tracker/admin_dialog.h"

#include "tracker/admin_account.h"

namespace vexa {

Cmyinput::Cmyinput() : CDialog(kTemplateId) {
  BindText(IDC_ADMIN_PASSWORD, &password_);
  BindText(IDC_ADMIN_ACCOUNT, &account_);
}

bool Cmyinput::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDOK:
      UpdateData(true);
      AcceptAdminInput(account_, password_);
      EndDialog(IDOK);
      return true;
    case IDCANCEL:  // also Escape and the close box
      CancelAdminInput();
      EndDialog(IDCANCEL);
      return true;
    default:
      return CDialog::OnCommand(id, code, control);
  }
}

}  // namespace vexa
