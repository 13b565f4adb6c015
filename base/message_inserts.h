#pragma once
// The system's messages are texts with inserts ("%1 不是有效的 Win32 应用程序。")
// that the caller fills; a box must never show the bare "%1".
#include <string>

namespace vexa {

// Every insert "%1" to "%99" (with an optional "!format!" after it) becomes
// insert. Without an insert the marker goes together with the blank after
// it, so the sentence still reads.
std::string FillMessageInserts(const std::string& text, const std::string& insert);

}  // namespace vexa
