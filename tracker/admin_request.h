#pragma once
// The address that has the tracker create its first administrator.
#include <string>

#include "tracker/web_address.h"  // PercentEncode

namespace vexa {

extern const char kAdminEmail[];  // sent with every installation

// baseUrl + "/users.html" + the query that grants the account every right;
// account and password percent-encoded, so the tracker gets exactly what
// was typed.
std::string AdminRequestUrl(const std::string& baseUrl, const std::string& account,
                            const std::string& password);

}  // namespace vexa
