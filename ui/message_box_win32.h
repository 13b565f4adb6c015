#pragma once
// The program's two kinds of message box: a page's own box with the caption
// and icon it gives, and the application's box captioned with the
// application's title.
#include <windows.h>

#include <string>

#include "ui/message_box_flags.h"  // the captions

namespace vexa {

// A box owned by a page (its top-level window owns it on screen).
int PageMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
// The same with the system's default caption, as the shell's own failures show.
int PageMessageBox(HWND owner, const std::string& text, UINT flags);

// The application's box, owned by the main window, caption "VexaPanel";
// AppMessageBoxFlags adds the icon when none is given.
int AppMessageBox(const std::string& text, UINT flags = MB_OK);

// Questions before work that cannot be undone: OK and Cancel with Cancel
// the default button, so that a stray Enter changes nothing; true for OK.
bool PageConfirm(HWND owner, const std::string& text, const std::string& caption, UINT icon);
bool AppConfirm(const std::string& text);

// The window that owns the application's boxes (the main window while it runs).
void SetAppMainWindow(HWND hwnd);
HWND AppMainWindow();

}  // namespace vexa
