#include "pages/home_page_file_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "base/wide_text.h"
#include "pages/directories_page.h"

namespace vexa {
namespace {

std::string TempDirectory() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  std::string dir = std::string(base) + "vexa_home_page_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryW(Wide(dir).c_str(), nullptr);
  return dir;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Win32HomePageFile, CreatesTheExactBytesAndNeverReplacesAFile) {
  std::string dir = TempDirectory();
  std::string path = dir + "\\index.html";
  DeleteFileW(Wide(path).c_str());
  Win32HomePageFile file;

  EXPECT_FALSE(file.Exists(path));
  ASSERT_TRUE(file.Create(path, HomePageBytes()).ok);
  EXPECT_TRUE(file.Exists(path));
  std::string written = ReadAll(path);
  EXPECT_EQ(written.size(), 618u);
  EXPECT_EQ(written, HomePageBytes());

  // A file that appeared after the existence test is not overwritten.
  EXPECT_TRUE(file.Create(path, "other").ok);
  EXPECT_EQ(ReadAll(path), HomePageBytes());

  // A directory of that name counts as existing.
  std::string sub = dir + "\\sub";
  CreateDirectoryW(Wide(sub).c_str(), nullptr);
  EXPECT_TRUE(file.Exists(sub));

  DeleteFileW(Wide(path).c_str());
  RemoveDirectoryW(Wide(sub).c_str());
  RemoveDirectoryW(Wide(dir).c_str());
}

TEST(Win32HomePageFile, MissingDirectoryGivesTheSystemReasonAndNoFile) {
  std::string dir = TempDirectory();
  std::string path = dir + "\\missing\\index.html";
  Win32HomePageFile file;
  Status created = file.Create(path, kHomePageText);
  EXPECT_FALSE(created.ok);
  EXPECT_FALSE(created.message.empty());
  EXPECT_FALSE(file.Exists(path));
  RemoveDirectoryW(Wide(dir).c_str());
}

}  // namespace
}  // namespace vexa
