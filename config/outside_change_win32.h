#pragma once
// The question before a save when another program changed vexa.cfg, asked
// the same way wherever the panel writes the file.
#include <windows.h>

namespace vexa {

// kOutsideChangeQuestion in a box owned by owner (warning icon, Yes/No);
// true for Yes: read vexa.cfg again, then save.
bool AskReloadChangedConfig(HWND owner);

}  // namespace vexa
