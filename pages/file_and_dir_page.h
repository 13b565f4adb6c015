#pragma once
// The directories page, tab "目录设置".
#include "config/config_store.h"
#include "resources/resource.h"
#include "ui/dialog.h"

namespace vexa {

class CFileAndDir : public CDialog {
 public:
  static constexpr UINT kTemplateId = IDD_DIRECTORIES_PAGE;  // 143
  explicit CFileAndDir(ConfigStore& store);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

  ConfigStore& store_;  // loaded by the main window before this page is created
};

}  // namespace vexa
