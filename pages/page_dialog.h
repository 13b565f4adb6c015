#pragma once
// What the three page dialogs share: binding the field table's controls and
// showing the outcome of a save.
#include <windows.h>

#include "pages/settings_page.h"
#include "ui/dialog.h"

namespace vexa {

extern const char kPageCaption[];  // "Vexa服务器"

// Binds every field that has a control to its value, in table order.
void BindFields(CDialog& dialog, SettingsPage& page);

// The page's own box: information icon after a good save, error icon when
// something failed; then the focus goes to the field the message names.
void ShowPageMessage(HWND page, const PageMessage& message);

}  // namespace vexa
