#pragma once
// Cleaning, resolving and creating the directories typed on the directories
// page. Texts and paths here are bytes in the ANSI code page, as vexa.cfg
// holds them for the tracker.
#include <string>
#include <vector>

namespace vexa {

// The file system as CreateDirectoryTree needs it.
class DirectorySystem {
 public:
  virtual ~DirectorySystem() = default;
  virtual bool Exists(const std::string& path) = 0;  // as file or directory
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool CreateDirectory(const std::string& path) = 0;
  // Why the last CreateDirectory failed, in the system's words; empty when
  // that is not known.
  virtual std::string Reason() { return ""; }
};

extern const char kFileInTheWay[];  // the reason for a file where a directory should be

struct CheckDirectoryResult {
  std::string path;                     // the cleaned text the configuration keeps
  std::vector<std::string> notCreated;  // directories whose creation failed
  std::vector<std::string> reasons;     // why, one for each (maybe empty)
};

// True for a network path: two backslashes and then a name.
bool IsUncPath(const std::string& path);

// True when the second and third bytes are ":" and "\", or for a network
// path.
bool IsAbsolutePath(const std::string& path);

// Ensures the directory exists, parents first; failures are collected.
void CreateDirectoryTree(const std::string& path, DirectorySystem& fs,
                         std::vector<std::string>* notCreated,
                         std::vector<std::string>* reasons = nullptr);

CheckDirectoryResult CheckDirectory(const std::string& text, const std::string& programDirectory,
                                    DirectorySystem& fs);

}  // namespace vexa
