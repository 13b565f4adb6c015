#include "service_page/restore_dialog_win32.h"

#include <utility>

#include "backup/restore_plan.h"
#include "base/wide_text.h"

namespace vexa {

namespace {
// Dialog units of the name and file-count columns' right edges; the name
// may carry the mark of a restore's own backup.
constexpr int kListTabStops[] = {178, 230};
}  // namespace

CRestoreDlg::CRestoreDlg(std::vector<std::string> entries)
    : CDialog(kTemplateId), entries_(std::move(entries)) {}

bool CRestoreDlg::OnInit() {
  CDialog::OnInit();
  HWND list = Item(IDC_RESTORE_LIST);
  SendMessageW(list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(kListTabStops));
  for (const std::string& entry : entries_) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
  }
  if (entries_.empty()) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(kNoBackupsText).c_str()));
    EnableItem(IDOK, false);
  }
  CentreOnOwner();
  // The newest backup is what a restore usually wants; the confirmation
  // that follows defaults to Cancel.
  if (!entries_.empty()) SendMessageW(list, LB_SETCURSEL, 0, 0);
  SetFocus(entries_.empty() ? Item(IDCANCEL) : list);
  return false;
}

// The selection at the moment of the press; without one, nothing happens.
void CRestoreDlg::Accept() {
  if (entries_.empty()) return;
  const LRESULT selected = SendMessageW(Item(IDC_RESTORE_LIST), LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR || selected < 0 || selected >= static_cast<LRESULT>(entries_.size())) {
    return;
  }
  chosen_ = static_cast<int>(selected);
  EndDialog(IDOK);
}

bool CRestoreDlg::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDOK:
      Accept();
      return true;
    case IDCANCEL:  // also Escape and the close box
      chosen_ = -1;
      EndDialog(IDCANCEL);
      return true;
    case IDC_RESTORE_LIST:
      if (code == LBN_DBLCLK) Accept();
      return true;
    default:
      return CDialog::OnCommand(id, code, control);
  }
}

}  // namespace vexa
