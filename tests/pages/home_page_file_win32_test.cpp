#include "pages/home_page_file_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "pages/directories_page.h"
#include "tests/tracker/scratch_directory.h"

namespace vexa {
namespace {

using test::ReadBytes;
using test::ScratchDirectory;

TEST(Win32HomePageFile, CreatesTheExactBytesAndNeverReplacesAFile) {
  ScratchDirectory dir("home page");
  std::string path = dir.Path() + "index.html";
  Win32HomePageFile file;

  EXPECT_FALSE(file.Exists(path));
  ASSERT_TRUE(file.Create(path, HomePageBytes()).ok);
  EXPECT_TRUE(file.Exists(path));
  std::string written = ReadBytes(path);
  EXPECT_EQ(written.size(), 618u);
  EXPECT_EQ(written, HomePageBytes());

  // A file that appeared after the existence test is not overwritten.
  EXPECT_TRUE(file.Create(path, "other").ok);
  EXPECT_EQ(ReadBytes(path), HomePageBytes());

  // A directory of that name counts as existing.
  std::string sub = dir.Path() + "sub";
  CreateDirectoryW(Wide(sub).c_str(), nullptr);
  EXPECT_TRUE(file.Exists(sub));
}

TEST(Win32HomePageFile, MissingDirectoryGivesTheSystemReasonAndNoFile) {
  ScratchDirectory dir("home page");
  std::string path = dir.Path() + "missing\\index.html";
  Win32HomePageFile file;
  Status created = file.Create(path, kHomePageText);
  EXPECT_FALSE(created.ok);
  EXPECT_FALSE(created.message.empty());
  EXPECT_FALSE(file.Exists(path));
}

}  // namespace
}  // namespace vexa
