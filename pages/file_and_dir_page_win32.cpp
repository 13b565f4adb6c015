#include "pages/file_and_dir_page_win32.h"

#include "config/program_directory.h"
#include "pages/page_dialog_win32.h"

namespace vexa {

// ProgramDirectory is fixed before the main window creates its pages.
CFileAndDir::CFileAndDir(ConfigStore& store)
    : CDialog(kTemplateId),
      store_(store),
      page_(ProgramDirectory(), directories_, homePage_) {
  BindFields(*this, page_);
}

bool CFileAndDir::OnInit() {
  page_.Initialize(store_);
  return CDialog::OnInit();
}

void CFileAndDir::ShowStoreValues() {
  page_.Initialize(store_);
  UpdateData(false);
}

bool CFileAndDir::OnCommand(int id, int code, HWND control) {
  if (id == IDC_SAVE && code == BN_CLICKED) {
    OnSave();
    return true;
  }
  return CDialog::OnCommand(id, code, control);
}

void CFileAndDir::OnSave() {
  UpdateData(true);
  PageMessage message =
      page_.SaveChanges(store_, [this] { return AskReloadChangedConfig(Handle()); });
  UpdateData(false);  // the cleaned directory texts
  ShowPageMessage(Handle(), message);
}

}  // namespace vexa
