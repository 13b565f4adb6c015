#pragma once
// vexa.cfg on disk. Writes go to a new file beside it that then replaces the
// old one in one step, so a failed save never leaves a damaged or missing
// vexa.cfg behind.
#include <string>

#include "config/config_store.h"

namespace vexa {

class CWinConfigFile : public ConfigFile {
 public:
  // The plain name opens the file in the current working directory.
  explicit CWinConfigFile(std::string fileName = "vexa.cfg");

  ReadOutcome Read(std::string* bytes, std::string* reason) override;
  Status Write(const std::string& bytes) override;

 private:
  std::string fileName_;
};

}  // namespace vexa
