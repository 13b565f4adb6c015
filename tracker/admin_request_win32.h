#pragma once
// Sends a request to this directory's tracker itself, so that the
// administrator's password never travels through a browser's command line,
// history or session.
#include <string>

#include "tracker/admin_request.h"

namespace vexa {

// GET target (path and query, already percent-encoded) from the tracker on
// the loopback address, IPv4 first, then IPv6; a refused connection is
// tried again until waitMs has passed, since the tracker may still be
// starting. No proxy, no redirect followed, nothing kept. Blocks.
TrackerAnswer SendTrackerRequest(unsigned short port, const std::string& target,
                                 unsigned waitMs);

}  // namespace vexa
