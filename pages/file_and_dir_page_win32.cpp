#include "pages/file_and_dir_page_win32.h"

#include "config/program_directory.h"

namespace vexa {

// ProgramDirectory is fixed before the main window creates its pages.
CFileAndDir::CFileAndDir(ConfigStore& store)
    : CPageDialog(IDD_DIRECTORIES_PAGE, store, ProgramDirectory(), directories_, homePage_) {}

}  // namespace vexa
