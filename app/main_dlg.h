#pragma once
// The program's only top-level window: a tab strip holding the service page
// and the three settings pages.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "controls/sound_tab_ctrl.h"
#include "resources/resource.h"
#include "ui/dialog.h"

namespace vexa {

// The caption the main window shows once it is initialised.
inline constexpr char kMainWindowCaption[] = "Vexa服务器 控制面板 3.0";

class CMainDlg : public CDialog {
 public:
  static constexpr UINT kTemplateId = IDD_MAIN;
  explicit CMainDlg(ConfigStore& store);
  ~CMainDlg() override;

  const CSoundTabCtrl& Tabs() const { return tabs; }

 protected:
  bool OnInit() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  template <typename Page>
  void AddPage(const std::string& caption);
  void OnPaint();

  ConfigStore& store_;
  HICON icon;          // shared resource icon: not destroyed
  CSoundTabCtrl tabs;  // control 1003
  // The pages' owners; the strip reaches each page as its tab's item data.
  std::vector<std::unique_ptr<CDialog>> pages_;
};

}  // namespace vexa
