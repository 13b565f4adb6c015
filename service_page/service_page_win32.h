#pragma once
// The service page, tab "管理服务": drives vexa.exe, backs up its data,
// installs it in one click and opens its web pages.
#include <string>

#include "config/config_store.h"
#include "controls/link_label_win32.h"
#include "resources/resource.h"
#include "service_page/status_control_win32.h"
#include "ui/dialog_win32.h"

namespace vexa {

class CSetting : public CDialog {
 public:
  static constexpr UINT kTemplateId = IDD_SERVICE_PAGE;  // 129
  CSetting(ConfigStore& store, std::string programDirectory);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnTimer(UINT_PTR timerId) override;

 private:
  ConfigStore& store_;  // loaded by the main window before this page is created
  std::string directory_;  // where vexa.exe, vexa.cfg and the backups are
  std::string credits;  // static 1053
  CLinkLabel siteLink1;  // static 1052
  CLinkLabel siteLink2;  // static 1054
  CServiceStatus status_;  // static 1090
  bool statusHidden_ = false;  // behind another tab or minimised at the last tick

  void RefreshStatus(StatusRefresh how);
};

}  // namespace vexa
