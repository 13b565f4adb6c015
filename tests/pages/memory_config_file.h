#pragma once
// vexa.cfg in memory, for running the pages' sequences without a disk.
#include <string>

#include "config/config_store.h"

namespace vexa {

class MemoryConfigFile : public ConfigFile {
 public:
  explicit MemoryConfigFile(std::string initial) : bytes(std::move(initial)) {}

  ReadOutcome Read(std::string* out, std::string* /*reason*/) override {
    if (missing) return ReadOutcome::Missing;
    *out = bytes;
    return ReadOutcome::Read;
  }

  Status Write(const std::string& content) override {
    ++writes;
    if (!writeError.empty()) return Status::Error(writeError);
    bytes = content;
    missing = false;
    return Status::Ok();
  }

  std::string bytes;
  bool missing = false;  // deleted by another program
  std::string writeError;  // when set, every write fails with it
  int writes = 0;
};

}  // namespace vexa
