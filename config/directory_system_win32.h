#pragma once
#include <string>

#include "config/check_directory.h"

namespace vexa {

// Paths in the ANSI code page, as the directory cleaning gives them.
class CWinDirectorySystem : public DirectorySystem {
 public:
  bool Exists(const std::string& path) override;
  bool IsDirectory(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  std::string Reason() override;

 private:
  unsigned long lastError_ = 0;
  std::string lastPath_;
};

}  // namespace vexa
