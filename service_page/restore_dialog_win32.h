#pragma once
// "恢复备份": the backup folders, newest first, to choose the one to
// restore or to delete one; under the list how many there are, their size
// and the room left on the drive.
#include <optional>
#include <string>
#include <vector>

#include "backup/restore_plan.h"
#include "resources/resource.h"
#include "ui/dialog_win32.h"

namespace vexa {

class CRestoreDlg : public CDialog {
 public:
  static constexpr UINT kTemplateId = IDD_RESTORE_BACKUP;

  // The folders below programDirectory + "备份\", read afresh after each deletion.
  explicit CRestoreDlg(std::string programDirectory);

  // The folder chosen with OK.
  const std::optional<BackupFolder>& Chosen() const { return chosen_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  // Reads the folders and selects line select, or the last one.
  void Fill(int select);
  int Selected() const;  // -1 without a selection
  void Accept();
  void DeleteSelected();
  Status DeleteLocked(const std::string& path);
  std::string BackupDrivePath() const;

  std::string directory_;
  std::vector<BackupFolder> folders_;
  std::optional<BackupFolder> chosen_;
};

}  // namespace vexa
