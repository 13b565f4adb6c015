#pragma once
// The action log on disk: VexaPanel.log in the program directory.
#include <memory>
#include <string>

#include "log/action_log.h"

namespace vexa {

// A writer appending to directory + "VexaPanel.log" with the local time. It
// moves a full log aside only under the directory's lock (the lock file of
// base/directory_lock_win32.h, which a job holds while it copies).
std::unique_ptr<ActionLogSink> NewActionLogWriter(const std::string& directory);

// From now on LogAction appends to programDirectory + "VexaPanel.log".
// Safe to call from any thread; lines of different threads never mix.
void StartActionLog(const std::string& programDirectory);

}  // namespace vexa
