#pragma once
// The system limits page, tab "系统设置".
#include "config/config_store.h"
#include "pages/page_dialog_win32.h"
#include "pages/system_limits_page.h"
#include "resources/resource.h"
#include "ui/dialog_win32.h"

namespace vexa {

class CBTsystem : public CDialog, public StoreView {
 public:
  static constexpr UINT kTemplateId = IDD_LIMITS_PAGE;  // 145
  explicit CBTsystem(ConfigStore& store);

  void ShowStoreValues() override;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void OnSave();
  void OnDesktopIcon();
  void OnOpenReadme();

  ConfigStore& store_;  // loaded by the main window before this page is created
  SystemLimitsPage page_;
};

}  // namespace vexa
