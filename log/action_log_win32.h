#pragma once
// The action log on disk: VexaPanel.log in the program directory.
#include <memory>
#include <string>

#include "log/action_log.h"

namespace vexa {

// The named mutex that every panel of one program directory holds while it
// looks at the log's size and moves it aside.
std::wstring ActionLogLockName(const std::string& directory);

// A writer appending to directory + "VexaPanel.log" with the local time.
std::unique_ptr<ActionLogSink> NewActionLogWriter(const std::string& directory);

// From now on LogAction appends to programDirectory + "VexaPanel.log".
// Safe to call from any thread; lines of different threads never mix.
void StartActionLog(const std::string& programDirectory);

}  // namespace vexa
