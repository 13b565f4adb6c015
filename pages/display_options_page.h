#pragma once
// The values of the display options page (dialog Coption, template 144):
// 23 switches, each a text field with the default "0".
#include "pages/settings_page.h"

namespace vexa {

extern const char kDisplayOptionsPageName[];  // the tab's caption

class DisplayOptionsPage : public SettingsPage {
 public:
  DisplayOptionsPage();
};

}  // namespace vexa
