#pragma once
// The system limits page, tab "系统设置".
#include <string>
#include <utility>

#include "pages/page_dialog_win32.h"
#include "pages/system_limits_page.h"

namespace vexa {

class CBTsystem : public CPageDialog<SystemLimitsPage> {
 public:
  CBTsystem(ConfigStore& store, std::string programDirectory);

 protected:
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void OnDesktopIcon();
  void OnOpenReadme();

  std::string directory_;  // where Readme.txt is
};

}  // namespace vexa
