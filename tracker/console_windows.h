#pragma once
// The tracker's console windows, found by their window class alone.
#include "tracker/service_actions.h"

namespace vexa {

extern const char kConsoleWindowClass[];  // "ConsoleWindowClass"

struct ConsoleCloseLimits {
  unsigned perWindowMs = 2000;  // a window still there after this is skipped
  unsigned totalMs = 5000;      // the whole run ends by then
};

bool ConsoleWindowExists();

// Sends WM_CLOSE to every top-level console window until none is left, a
// stubborn window being retried only for perWindowMs; names those still open.
ConsoleCloseResult CloseConsoleWindows(const ConsoleCloseLimits& limits = {});

}  // namespace vexa
