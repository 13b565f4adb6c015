#include "service_page/restore_dialog_win32.h"

#include <utility>

#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "backup/backup_shelf_win32.h"
#include "backup/restore.h"
#include "base/path_exists.h"
#include "base/wide_text.h"
#include "log/action_log.h"
#include "ui/message_box_win32.h"

namespace vexa {

namespace {
// Dialog units of the name and file-count columns' right edges; the name
// may carry the mark of a restore's own backup.
constexpr int kListTabStops[] = {178, 230};
}  // namespace

CRestoreDlg::CRestoreDlg(std::string programDirectory)
    : CDialog(kTemplateId), directory_(std::move(programDirectory)) {}

bool CRestoreDlg::OnInit() {
  CDialog::OnInit();
  SendMessageW(Item(IDC_RESTORE_LIST), LB_SETTABSTOPS, 2,
               reinterpret_cast<LPARAM>(kListTabStops));
  // The newest backup is what a restore usually wants; the confirmation
  // that follows defaults to Cancel.
  Fill(0);
  CentreOnOwner();
  SetFocus(folders_.empty() ? Item(IDCANCEL) : Item(IDC_RESTORE_LIST));
  return false;
}

void CRestoreDlg::Fill(int select) {
  folders_ = ListBackupFolders(directory_);
  SortNewestFirst(folders_);
  HWND list = Item(IDC_RESTORE_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const BackupFolder& folder : folders_) {
    SendMessageW(list, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Wide(BackupListEntry(folder)).c_str()));
  }
  const bool any = !folders_.empty();
  if (!any) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(kNoBackupsText).c_str()));
  } else {
    const int last = static_cast<int>(folders_.size()) - 1;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(select < last ? select : last), 0);
  }
  EnableItem(IDOK, any);
  EnableItem(IDC_RESTORE_DELETE, any);
  SetDlgItemTextW(Handle(), IDC_RESTORE_SUMMARY,
                  Wide(BackupShelfText(folders_, FreeDiskBytes(BackupDrivePath()))).c_str());
}

// The backups' own drive: "备份" may be a junction to another disk.
std::string CRestoreDlg::BackupDrivePath() const {
  const std::string root = directory_ + kBackupRootName;
  return DirectoryExists(root) ? root : directory_;
}

int CRestoreDlg::Selected() const {
  const LRESULT selected = SendMessageW(Item(IDC_RESTORE_LIST), LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR || selected < 0 || selected >= static_cast<LRESULT>(folders_.size())) {
    return -1;
  }
  return static_cast<int>(selected);
}

// The selection at the moment of the press; without one, nothing happens.
void CRestoreDlg::Accept() {
  const int selected = Selected();
  if (selected < 0) return;
  chosen_ = folders_[static_cast<std::size_t>(selected)];
  EndDialog(IDOK);
}

// Under the job lock, so that a backup or a restore of another panel (or
// the nightly one) never works in a folder being deleted; released before
// any box.
Status CRestoreDlg::DeleteLocked(const std::string& path) {
  const DataJobLock lock(directory_);
  if (!lock.Held()) return Status::Error(kDataJobBusyText);
  const FolderDeletion deletion = DeleteBackupFolder(path);
  if (deletion.status.ok) return Status::Ok();
  return Status::Error(FolderDeletionFailedText(path, deletion));
}

void CRestoreDlg::DeleteSelected() {
  const int selected = Selected();
  if (selected < 0) return;
  const BackupFolder folder = folders_[static_cast<std::size_t>(selected)];
  const std::string path = directory_ + kBackupRootName + folder.name + "\\";
  if (!PageConfirm(Handle(), DeleteBackupConfirmText(path, folder), kAppTitle, MB_ICONWARNING)) {
    return;
  }
  const Status deleted = DeleteLocked(path);
  if (deleted.ok) {
    LogAction(BackupDeletedLogText(path, folder));
  } else {
    LogAction(deleted.message);
    PageMessageBox(Handle(), deleted.message, kAppTitle, MB_OK | MB_ICONEXCLAMATION);
  }
  // Also after a failure: the folder may be half gone, or gone already.
  Fill(selected);
  SetFocus(folders_.empty() ? Item(IDCANCEL) : Item(IDC_RESTORE_LIST));
}

bool CRestoreDlg::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDOK:
      Accept();
      return true;
    case IDCANCEL:  // also Escape and the close box
      chosen_.reset();
      EndDialog(IDCANCEL);
      return true;
    case IDC_RESTORE_DELETE:
      if (code == BN_CLICKED) DeleteSelected();
      return true;
    case IDC_RESTORE_LIST:
      if (code == LBN_DBLCLK) Accept();
      return true;
    default:
      return CDialog::OnCommand(id, code, control);
  }
}

}  // namespace vexa
