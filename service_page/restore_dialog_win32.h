#pragma once
// "恢复备份": the backup folders, newest first, to choose the one to restore.
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/dialog_win32.h"

namespace vexa {

class CRestoreDlg : public CDialog {
 public:
  static constexpr UINT kTemplateId = IDD_RESTORE_BACKUP;

  // One line per backup folder, in the order to show.
  explicit CRestoreDlg(std::vector<std::string> entries);

  // The line chosen with OK, or -1.
  int Chosen() const { return chosen_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void Accept();

  std::vector<std::string> entries_;
  int chosen_ = -1;
};

}  // namespace vexa
