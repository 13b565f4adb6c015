#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_codec.h"
#include "base/wide_text.h"
#include "config/check_directory.h"
#include "config/directory_system_win32.h"
#include "config/program_directory.h"
#include "config/program_directory_win32.h"
#include "tests/config/temp_directory_win32.h"

namespace vexa {
namespace {

using Paths = std::vector<std::string>;

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFile(const std::string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
}

TEST(CreateDirectoryTreeOnDisk, CreatesMissingParentsFirst) {
  TempDirectory temp;
  CWinDirectorySystem fs;
  // The cleaning hands over vexa.cfg's ANSI bytes; in GBK 嘰 and 俓 end in
  // 0x5C: cut there, the parents would be wrong names.
  std::string deep;
  ASSERT_TRUE(TextToAnsi(temp / "a\\嘰\\俓子\\b", &deep));
  Paths notCreated;
  CreateDirectoryTree(deep, fs, &notCreated);
  EXPECT_TRUE(notCreated.empty());
  EXPECT_TRUE(IsDirectory(temp / "a\\嘰\\俓子"));
  EXPECT_TRUE(IsDirectory(temp / "a\\嘰\\俓子\\b"));
  EXPECT_EQ(temp.Names(), Paths{"a"});
  EXPECT_EQ(TempDirectory::NamesIn(temp / "a"), Paths{"嘰"});
}

TEST(CreateDirectoryTreeOnDisk, ReportsWhatAFileInTheWayOrAMissingDriveBlocks) {
  TempDirectory temp;
  CWinDirectorySystem fs;
  MakeFile(temp / "plain");

  Paths notCreated, reasons;
  CreateDirectoryTree(temp / "plain\\sub\\deeper", fs, &notCreated, &reasons);
  EXPECT_EQ(notCreated, (Paths{temp / "plain\\sub", temp / "plain\\sub\\deeper"}));
  // Each with the system's words for it, not a bare path.
  ASSERT_EQ(reasons.size(), 2u);
  EXPECT_FALSE(reasons[0].empty());
  EXPECT_EQ(reasons[0].find("%1"), std::string::npos) << reasons[0];
  EXPECT_FALSE(IsDirectory(temp / "plain"));

  // The path itself exists as a file: it counts as there.
  notCreated.clear();
  CreateDirectoryTree(temp / "plain", fs, &notCreated);
  EXPECT_TRUE(notCreated.empty());
  EXPECT_FALSE(IsDirectory(temp / "plain"));

  DWORD drives = GetLogicalDrives();
  char letter = 0;
  for (char c = 'Q'; c <= 'Z' && letter == 0; ++c) {
    if (!(drives & (1u << (c - 'A')))) letter = c;
  }
  ASSERT_NE(letter, 0) << "every drive letter from Q to Z is mapped";
  std::string drive = std::string(1, letter) + ":";
  notCreated.clear();
  CreateDirectoryTree(drive + "\\x\\y", fs, &notCreated);
  EXPECT_EQ(notCreated, (Paths{drive, drive + "\\x", drive + "\\x\\y"}));
}

TEST(CheckDirectoryOnDisk, CreatesRelativeDirectoriesUnderTheProgramDirectory) {
  TempDirectory temp;
  CWinDirectorySystem fs;
  std::string program = temp.Path() + "\\";

  // A forward slash separates like a backslash.
  CheckDirectoryResult result = CheckDirectory("virt/ual\\fx", program, fs);
  EXPECT_EQ(result.path, "virt\\ual\\fx");
  EXPECT_TRUE(result.notCreated.empty());
  EXPECT_TRUE(IsDirectory(temp / "virt\\ual\\fx"));

  // Two trailing backslashes: one stays, and the directory behind it is made
  // without being reported as a failure.
  result = CheckDirectory("logs\\\\", program, fs);
  EXPECT_EQ(result.path, "logs\\");
  EXPECT_TRUE(result.notCreated.empty());
  EXPECT_TRUE(IsDirectory(temp / "logs"));

  result = CheckDirectory(temp / "web\\root", program, fs);
  EXPECT_EQ(result.path, "web\\root");
  EXPECT_TRUE(IsDirectory(temp / "web\\root"));

  // A file where the directory should be is reported, and stays a file.
  HANDLE file = CreateFileW(Wide(temp / "taken").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  result = CheckDirectory("taken/", program, fs);
  EXPECT_EQ(result.path, "taken");
  EXPECT_EQ(result.notCreated, std::vector<std::string>{temp / "taken"});
  EXPECT_FALSE(IsDirectory(temp / "taken"));
}

TEST(GetProgramDirectoryOnDisk, IsTheExecutablesDirectoryWhateverTheWorkingDirectory) {
  TempDirectory temp;
  WorkingDirectory cwd(temp.Path());
  std::string directory = GetProgramDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.back(), '\\');
  EXPECT_NE(GetFileAttributesW(Wide(directory + "vexa_win32_tests.exe").c_str()),
            INVALID_FILE_ATTRIBUTES);
  char cwdNow[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwdNow);
  EXPECT_NE(directory, std::string(cwdNow) + "\\");
}

// A name that fills the buffer may have been cut: it is read again into a
// larger one, however short the first (past MAX_PATH, the first is too short).
TEST(GetProgramDirectoryOnDisk, TheExecutablesNameIsReadWholeWhateverTheFirstBuffer) {
  const std::wstring self = ModuleFileName(nullptr);
  ASSERT_GT(self.size(), 9u);
  for (DWORD start : {1u, 9u}) EXPECT_EQ(ModuleFileName(nullptr, start), self) << start;
}

}  // namespace
}  // namespace vexa
