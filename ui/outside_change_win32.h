#pragma once
// The question before a save when another program changed vexa.cfg, asked
// the same way wherever the panel writes the file.
#include <windows.h>

#include "config/config_store.h"

namespace vexa {

// The question for that kind of change in a box owned by owner (warning
// icon, Yes/No); true for Yes.
bool AskReloadChangedConfig(HWND owner, OutsideChangeKind kind);

}  // namespace vexa
