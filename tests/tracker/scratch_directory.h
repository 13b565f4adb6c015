#pragma once
// A fresh directory below the temporary directory, removed with everything
// in it at the end of a test, and small file helpers for the tests.
#include <cstddef>
#include <string>

namespace vexa::test {

class ScratchDirectory {
 public:
  // name may hold blanks, shell characters and Chinese (UTF-8, as every path here).
  explicit ScratchDirectory(const std::string& name);
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& Path() const { return path_; }  // ends in a backslash

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);  // "<missing>" when it cannot be opened
// size bytes of every value, in an order that seed shifts.
std::string Binary(std::size_t size, unsigned seed);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// The directory of the running test executable, with a backslash.
std::string TestExeDirectory();

}  // namespace vexa::test
