#pragma once
// The address that has the tracker create its first administrator.
#include <string>

namespace vexa {

extern const char kAdminEmail[];  // sent with every installation

// Byte by byte: A-Z a-z 0-9 - . _ ~ stay, every other byte becomes %XX with
// upper-case hex, so the tracker gets exactly what was typed.
std::string PercentEncode(const std::string& bytes);

// baseUrl + "/users.html" + the query that grants the account every right.
std::string AdminRequestUrl(const std::string& baseUrl, const std::string& account,
                            const std::string& password);

}  // namespace vexa
