#pragma once
// The request that has the tracker create its first administrator, and
// what the tracker made of it.
#include <string>

#include "tracker/web_address.h"  // PercentEncode

namespace vexa {

extern const char kAdminEmail[];  // sent with every installation

// "/users.html" + the query that grants the account every right; account
// and password percent-encoded, so the tracker gets exactly what was typed.
std::string AdminRequestTarget(const std::string& account, const std::string& password);

// How a request to the tracker's web interface ended.
struct TrackerAnswer {
  enum class Kind {
    kAnswered,    // an HTTP answer came back; status holds its code
    kNoListener,  // nothing accepted the connection while the panel waited
    kFailed,      // connected, but the exchange broke off; reason says how
  };
  Kind kind = Kind::kFailed;
  unsigned status = 0;
  std::string reason;

  bool Succeeded() const { return kind == Kind::kAnswered && status >= 200 && status <= 299; }
};

// What happened, for the box that replaces the success message.
std::string TrackerAnswerText(const TrackerAnswer& answer, const std::string& port,
                              unsigned waitedSeconds);

// Overwrites a secret before its memory is given back (volatile, so the
// stores are not dropped as dead), then empties it.
template <typename Text>
void WipeText(Text& text) {
  volatile typename Text::value_type* p = text.data();
  for (std::size_t i = 0; i < text.size(); ++i) p[i] = 0;
  text.clear();
}

}  // namespace vexa
