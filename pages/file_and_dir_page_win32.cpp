#include "pages/file_and_dir_page_win32.h"


namespace vexa {

// ProgramDirectory is fixed before the main window creates its pages.
CFileAndDir::CFileAndDir(ConfigStore& store, const std::string& programDirectory)
    : CPageDialog(IDD_DIRECTORIES_PAGE, store, programDirectory, directories_, homePage_) {}

}  // namespace vexa
