#include "pages/file_and_dir_page.h"

namespace vexa {

CFileAndDir::CFileAndDir(ConfigStore& store) : CDialog(kTemplateId), store_(store) {}

bool CFileAndDir::OnInit() { return CDialog::OnInit(); }

bool CFileAndDir::OnCommand(int id, int code, HWND control) {
  return CDialog::OnCommand(id, code, control);
}

}  // namespace vexa
