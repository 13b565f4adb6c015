#pragma once
// vexa.cfg on disk. Writes go to a new file beside it that then replaces the
// old one in one step, so a failed save never leaves a damaged or missing
// vexa.cfg behind.
#include <string>

#include "config/config_store.h"

namespace vexa {

class CWinConfigFile : public ConfigFile {
 public:
  // The full path: the tracker reads the file of its own directory, whatever
  // the panel's working directory is.
  explicit CWinConfigFile(std::string path);

  ReadOutcome Read(std::string* bytes, std::string* reason) override;
  Status Write(const std::string& bytes) override;
  std::uint64_t LastWriteTime() override;

 private:
  std::string fileName_;
};

}  // namespace vexa
