#include "config/program_directory.h"

namespace vexa {

namespace {

std::string& ProgramDirectoryValue() {
  static std::string value;
  return value;
}

}  // namespace

std::string DirectoryOfPath(const std::string& path) {
  std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

const std::string& ProgramDirectory() { return ProgramDirectoryValue(); }

void SetProgramDirectory(const std::string& directory) { ProgramDirectoryValue() = directory; }

}  // namespace vexa
