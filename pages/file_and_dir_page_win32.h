#pragma once
// The directories page, tab "目录设置".
#include "config/directory_system_win32.h"
#include "pages/directories_page.h"
#include "pages/home_page_file_win32.h"
#include "pages/page_dialog_win32.h"

namespace vexa {

class CFileAndDir : public CPageDialog<DirectoriesPage> {
 public:
  CFileAndDir(ConfigStore& store, const std::string& programDirectory);

 protected:
  // The save cleans the directory texts.
  bool ShowsSavedValues() const override { return true; }

 private:
  // Built after page_, which holds them by reference and first uses them in a save.
  CWinDirectorySystem directories_;
  Win32HomePageFile homePage_;
};

}  // namespace vexa
