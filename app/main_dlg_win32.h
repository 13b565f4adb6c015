#pragma once
// The program's only top-level window: a tab strip holding the service page
// and the three settings pages.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "controls/sound_tab_ctrl_win32.h"
#include "pages/page_dialog_win32.h"
#include "resources/resource.h"
#include "ui/dialog_win32.h"

namespace vexa {

// The caption the main window shows once it is initialised.
inline constexpr char kMainWindowCaption[] = "Vexa服务器 控制面板 3.0";

class CMainDlg : public CDialog {
 public:
  static constexpr UINT kTemplateId = IDD_MAIN;
  explicit CMainDlg(ConfigStore& store);
  ~CMainDlg() override;

  // Every settings page built so far shows the store's values again; one not
  // built yet reads them when it is. The store calls it whenever they
  // changed other than by a page's own save: the one-click installation's
  // port, a reload after another program changed vexa.cfg,
  // ConfigStore::ReloadAndRefresh (restoring a backup).
  void RefreshPages();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateKey(MSG* msg) override;

 private:
  // The page of a tab, made now; null after telling the user it could not be.
  template <typename Page>
  HWND BuildPage(const std::string& caption, int tab);
  // A tab whose page is built when it is first needed: only the first page
  // shows at start, and the others' windows would double the start-up.
  template <typename Page>
  void AddPageBuiltLater(const std::string& caption);
  void OnPaint();
  // Tab and Shift+Tab between the strip and the current page's controls.
  void MoveFocus(bool backwards);
  // Ctrl+Tab and the like: the next or previous tab, as a click selects it.
  void SwitchTab(int delta);
  void ReportUnreadableConfig();
  // Before the window closes: asks about pages with unsaved changes and
  // saves them on Yes; false keeps the window.
  bool ConfirmClose();

  ConfigStore& store_;
  HICON icon;          // shared resource icon: not destroyed
  CSoundTabCtrl tabs;  // control 1003
  // The owners of the pages built so far; the strip reaches each page as its
  // tab's item data.
  std::vector<std::unique_ptr<CDialog>> pages_;
  struct SettingsTab {
    StoreView* view;  // a settings page among pages_
    int tab;
  };
  std::vector<SettingsTab> storeViews_;  // in tab order, whatever the order built
  bool confirmingClose_ = false;  // the close question or its saves are on screen
};

}  // namespace vexa
