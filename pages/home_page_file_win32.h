#pragma once
// The home page file on the real disk.
#include "pages/directories_page.h"

namespace vexa {

class Win32HomePageFile : public HomePageFile {
 public:
  bool Exists(const std::string& path) override;
  Status Create(const std::string& path, const std::string& bytes) override;
};

}  // namespace vexa
