#include "service_page/admin_dialog_win32.h"

#include "base/text_codec.h"
#include "config/config_store.h"
#include "tracker/admin_request.h"
#include "ui/message_box_win32.h"

namespace vexa {

namespace {
const char kAccountCaption[] = "管理员账号";
const char kPasswordCaption[] = "管理员密码";
}  // namespace

Cmyinput::Cmyinput() : CDialog(kTemplateId) {
  BindText(IDC_ADMIN_PASSWORD, &password_);
  BindText(IDC_ADMIN_ACCOUNT, &account_);
}

// The password is not left behind in memory given back.
Cmyinput::~Cmyinput() {
  WipeText(password_);
  if (answer_) WipeText(answer_->password);
}

// The template leaves the place to the system, which is the screen's corner,
// over the panel's title bar: the dialog belongs over the panel's middle.
bool Cmyinput::OnInit() {
  bool setFocus = CDialog::OnInit();
  CentreOnOwner();
  return setFocus;
}

bool Cmyinput::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDOK: {
      UpdateData(true);
      // The tracker reads the request in the ANSI code page: refuse here
      // what it could not read, while the user can still change it.
      std::string ansi;
      const int refused = !TextToAnsi(account_, &ansi)    ? IDC_ADMIN_ACCOUNT
                          : !TextToAnsi(password_, &ansi) ? IDC_ADMIN_PASSWORD
                                                          : 0;
      WipeText(ansi);
      if (refused != 0) {
        PageMessageBox(
            Handle(),
            NotInCodePageText(refused == IDC_ADMIN_ACCOUNT ? kAccountCaption : kPasswordCaption),
            kServerCaption, MB_OK | MB_ICONERROR);
        SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(refused)), TRUE);
        return true;
      }
      answer_ = AdminAnswer{account_, password_};
      EndDialog(IDOK);
      return true;
    }
    case IDCANCEL:  // also Escape and the close box
      EndDialog(IDCANCEL);
      return true;
    default:
      return CDialog::OnCommand(id, code, control);
  }
}

}  // namespace vexa
