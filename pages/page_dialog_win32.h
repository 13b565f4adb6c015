#pragma once
// What the three page dialogs share: binding the field table's controls and
// showing the outcome of a save.
#include <windows.h>

#include "pages/settings_page.h"
#include "ui/dialog_win32.h"

namespace vexa {

// Binds every field that has a control to its value, in table order.
void BindFields(CDialog& dialog, SettingsPage& page);

// The page's own box: information icon after a good save, error icon when
// something failed, and then the focus goes to the field the message names;
// nothing for an empty text.
void ShowPageMessage(HWND page, const PageMessage& message);

// Asks whether to read vexa.cfg again after another program changed it
// (kOutsideChangeQuestion, warning icon, Yes/No); true for Yes.
bool AskReloadChangedConfig(HWND owner);

// A page that shows values of the store: told to show them again when the
// store changed other than by the page's own save.
class StoreView {
 public:
  virtual void ShowStoreValues() = 0;

 protected:
  ~StoreView() = default;
};

}  // namespace vexa
