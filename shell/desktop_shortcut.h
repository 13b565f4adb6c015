#pragma once
// A shell shortcut to the running program on the user's desktop.
#include <string>

#include "base/status.h"

namespace vexa {

// The user's desktop folder, from the value "Desktop" of the Shell Folders
// key below HKEY_CURRENT_USER (the key's path is a parameter for tests).
Status ReadDesktopDirectory(const char* shellFoldersKey, std::string* directory);

// Writes <desktop>\<name>.lnk pointing at the running executable, started in
// the executable's own directory; an existing shortcut is replaced.
Status CreateShortcutIn(const std::string& desktop, const std::string& name,
                        const std::string& description);

// Both of the above, with the real Shell Folders key.
Status CreateDesktopShortcut(const std::string& name, const std::string& description);

}  // namespace vexa
