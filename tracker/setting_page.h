#pragma once
// The service page, tab "管理服务": drives vexa.exe.
#include "config/config_store.h"
#include "resources/resource.h"
#include "ui/dialog.h"

namespace vexa {

class CSetting : public CDialog {
 public:
  static constexpr UINT kTemplateId = IDD_SERVICE_PAGE;  // 129
  explicit CSetting(ConfigStore& store);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

  ConfigStore& store_;  // loaded by the main window before this page is created
};

}  // namespace vexa
