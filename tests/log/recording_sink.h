// Collects what the action log is given while it lives.
#ifndef VEXA_TESTS_LOG_RECORDING_SINK_H_
#define VEXA_TESTS_LOG_RECORDING_SINK_H_

#include <string>
#include <vector>

#include "log/action_log.h"

namespace vexa::test {

struct RecordingSink : ActionLogSink {
  RecordingSink() { SetActionLogSink(this); }
  ~RecordingSink() override { SetActionLogSink(nullptr); }
  RecordingSink(const RecordingSink&) = delete;
  RecordingSink& operator=(const RecordingSink&) = delete;
  void Write(const std::string& text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

}  // namespace vexa::test

#endif  // VEXA_TESTS_LOG_RECORDING_SINK_H_
