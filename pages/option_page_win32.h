#pragma once
// The display options page, tab "选项设置".
#include "pages/display_options_page.h"
#include "pages/page_dialog_win32.h"

namespace vexa {

class Coption : public CPageDialog<DisplayOptionsPage> {
 public:
  explicit Coption(ConfigStore& store) : CPageDialog(IDD_OPTIONS_PAGE, store) {}
};

}  // namespace vexa
