#pragma once
// The outcome of an operation whose failure the user must see. The message
// is ready to show: UTF-8 text naming what failed and the system's reason.
#include <string>
#include <utility>

namespace vexa {

struct Status {
  bool ok = true;
  std::string message;

  static Status Ok() { return {}; }
  static Status Error(std::string text) { return {false, std::move(text)}; }
};

}  // namespace vexa
