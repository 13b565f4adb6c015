#pragma once
// The shell's default action on a file or a web address: the associated
// program, or the browser.
#include <windows.h>

#include <string>

#include "base/status.h"

namespace vexa {

// Opens target with SW_SHOWNORMAL and does not wait. The shell shows no box
// of its own: a failure carries the system's reason for the caller's box.
// owner: the window a box of the opened program's start belongs to.
Status ShellOpen(const std::string& target, HWND owner = nullptr);

}  // namespace vexa
