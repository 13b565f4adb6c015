#pragma once
// The directories page, tab "目录设置".
#include "config/config_store.h"
#include "config/directory_system_win32.h"
#include "pages/directories_page.h"
#include "pages/home_page_file_win32.h"
#include "pages/page_dialog_win32.h"
#include "resources/resource.h"
#include "ui/dialog_win32.h"

namespace vexa {

class CFileAndDir : public CDialog, public StoreView {
 public:
  static constexpr UINT kTemplateId = IDD_DIRECTORIES_PAGE;  // 143
  explicit CFileAndDir(ConfigStore& store);

  void ShowStoreValues() override;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void OnSave();

  ConfigStore& store_;  // loaded by the main window before this page is created
  CWinDirectorySystem directories_;
  Win32HomePageFile homePage_;
  DirectoriesPage page_;
};

}  // namespace vexa
