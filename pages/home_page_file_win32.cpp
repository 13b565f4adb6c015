#include "pages/home_page_file_win32.h"

#include <windows.h>

#include "base/create_new_file.h"
#include "base/path_exists.h"

namespace vexa {

bool Win32HomePageFile::Exists(const std::string& path) { return PathExists(path); }

// A file that appeared since the existence test stays as it is.
Status Win32HomePageFile::Create(const std::string& path, const std::string& bytes) {
  return CreateNewFile(path, bytes);
}

}  // namespace vexa
