#pragma once
// The display options page, tab "选项设置".
#include "config/config_store.h"
#include "pages/display_options_page.h"
#include "pages/page_dialog_win32.h"
#include "resources/resource.h"
#include "ui/dialog_win32.h"

namespace vexa {

class Coption : public CDialog, public StoreView {
 public:
  static constexpr UINT kTemplateId = IDD_OPTIONS_PAGE;  // 144
  explicit Coption(ConfigStore& store);

  void ShowStoreValues() override;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void OnSave();

  ConfigStore& store_;  // loaded by the main window before this page is created
  DisplayOptionsPage page_;
};

}  // namespace vexa
