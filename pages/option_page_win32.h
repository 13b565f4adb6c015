#pragma once
// The display options page, tab "选项设置".
#include "pages/display_options_page.h"
#include "pages/page_dialog_win32.h"

namespace vexa {

class Coption : public CPageDialog<DisplayOptionsPage> {
 public:
  // Its fields name no path: the program directory is not needed.
  Coption(ConfigStore& store, const std::string& /*programDirectory*/)
      : CPageDialog(IDD_OPTIONS_PAGE, store) {}
};

}  // namespace vexa
