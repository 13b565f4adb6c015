#pragma once
// The values of the directories page (dialog CFileAndDir, template 143): 29
// text fields; on save the four directory fields are cleaned and created
// and a default home page is put into the web directory.
#include <string>

#include "base/status.h"
#include "config/check_directory.h"
#include "pages/settings_page.h"

namespace vexa {

extern const char kHomePageText[];  // the home page's text, no line end
// The home page as written: kHomePageText in GBK (618 bytes) whatever the
// system's code page, as the tracker's web pages declare.
std::string HomePageBytes();
extern const char kHomePageName[];  // "\\index.html"
extern const char kDirectoriesPageName[];  // the tab's caption

// Where the home page meets the disk.
class HomePageFile {
 public:
  virtual ~HomePageFile() = default;
  // True when a file or a directory of that name exists.
  virtual bool Exists(const std::string& path) = 0;
  // Paths are UTF-8. Creates the file with exactly these bytes; never replaces an existing
  // one. On failure no partial file is left and the message is the
  // system's reason.
  virtual Status Create(const std::string& path, const std::string& bytes) = 0;
};

class DirectoriesPage : public SettingsPage {
 public:
  DirectoriesPage(std::string programDirectory, DirectorySystem& directories,
                  HomePageFile& homePage);

  // The home page's path for the web directory as it stands now.
  std::string HomePagePath() const;

 protected:
  StepReport RunSaveSteps() override;

 private:
  std::string programDirectory_;      // UTF-8, for the home page
  std::string ansiProgramDirectory_;  // for the cleaning, in vexa.cfg's bytes
  DirectorySystem& directories_;
  HomePageFile& homePage_;
};

}  // namespace vexa
