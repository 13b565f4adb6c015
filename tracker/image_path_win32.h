#pragma once
// Which program a process runs, asked through a handle the caller holds, and
// paths compared as the system compares them.
#include <windows.h>

#include <string>

namespace vexa {

// The full path of the process's image; "" when it cannot be read. The
// handle needs PROCESS_QUERY_LIMITED_INFORMATION.
std::string ImagePathOf(HANDLE process);

// Whether two paths name the same file as the system sees it: every letter
// without case (not ASCII alone), "\\?\" and "\??\" prefixes ignored, and
// otherwise the same file on the same volume however it is reached (a short
// 8.3 name, a subst drive, a junction, a hard link).
bool SameImageFile(const std::string& a, const std::string& b);

// Whether the process behind the handle still runs the program at path.
bool ProcessRunsImage(HANDLE process, const std::string& path);

}  // namespace vexa
