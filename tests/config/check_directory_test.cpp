#include "config/check_directory.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "config/program_directory.h"

namespace vexa {
namespace {

// A file system of path names: records every creation in order and refuses
// the paths it is told to.
class FakeDirectorySystem : public DirectorySystem {
 public:
  std::set<std::string> existing;
  std::set<std::string> files;  // existing, but no directories
  std::set<std::string> refused;
  std::vector<std::string> created;

  bool Exists(const std::string& path) override {
    return existing.count(path) != 0 || files.count(path) != 0;
  }
  bool IsDirectory(const std::string& path) override { return existing.count(path) != 0; }
  bool CreateDirectory(const std::string& path) override {
    created.push_back(path);
    if (refused.count(path) != 0) return false;
    existing.insert(path);
    return true;
  }
};

using Paths = std::vector<std::string>;

// The program directory holds 乗 (81 5C) so that its removal and the parent
// search are both checked against the trail byte.
const std::string kProgram = "C:\\工具乗\\";

FakeDirectorySystem WithProgramDirectory() {
  FakeDirectorySystem fs;
  fs.existing = {"C:", "C:\\工具乗"};
  return fs;
}

TEST(CheckDirectory, RelativePathsAreCreatedInsideTheProgramDirectoryParentsFirst) {
  FakeDirectorySystem fs = WithProgramDirectory();
  CheckDirectoryResult result = CheckDirectory("fx", kProgram, fs);
  EXPECT_EQ(result.path, "fx");
  EXPECT_EQ(fs.created, Paths{kProgram + "fx"});
  EXPECT_TRUE(result.notCreated.empty());

  fs.created.clear();
  result = CheckDirectory("virt\\fx", kProgram, fs);
  EXPECT_EQ(result.path, "virt\\fx");
  EXPECT_EQ(fs.created, (Paths{kProgram + "virt", kProgram + "virt\\fx"}));

  // Already there: nothing is created, the cleaned text comes back.
  fs.created.clear();
  EXPECT_EQ(CheckDirectory("\\virt\\fx\\", kProgram, fs).path, "virt\\fx");
  EXPECT_TRUE(fs.created.empty());
}

TEST(CheckDirectory, AbsolutePathsComeBackRelativeOnlyInsideTheProgramDirectory) {
  FakeDirectorySystem fs = WithProgramDirectory();
  fs.existing.insert("E:");
  EXPECT_EQ(CheckDirectory("E:\\web\\root", kProgram, fs).path, "E:\\web\\root");
  EXPECT_EQ(fs.created, (Paths{"E:\\web", "E:\\web\\root"}));

  EXPECT_EQ(CheckDirectory(kProgram + "data", kProgram, fs).path, "data");
  // Case matters: a differently spelt drive letter keeps the path absolute.
  EXPECT_EQ(CheckDirectory("c:\\工具乗\\data", kProgram, fs).path, "c:\\工具乗\\data");
}

TEST(CheckDirectory, MeansWhatWasTypedDroppingOnlyWhatNoNameCanHold) {
  FakeDirectorySystem fs = WithProgramDirectory();
  EXPECT_EQ(CheckDirectory("\\a*b?c\"d>e|f<g:\\", kProgram, fs).path, "abcdef<g:");
  EXPECT_EQ(fs.created, Paths{kProgram + "abcdef<g:"});
  // Only one backslash goes from each end.
  EXPECT_EQ(CheckDirectory("\\logs\\\\", kProgram, fs).path, "logs\\");

  // A forward slash is a separator: web/files is the folder files in web.
  fs.created.clear();
  EXPECT_EQ(CheckDirectory("web/files/", kProgram, fs).path, "web\\files");
  EXPECT_EQ(fs.created, (Paths{kProgram + "web", kProgram + "web\\files"}));

  // A drive root stays a drive root, typed either way round.
  fs.created.clear();
  fs.existing.insert("Q:\\");
  EXPECT_EQ(CheckDirectory("Q:\\", kProgram, fs).path, "Q:\\");
  EXPECT_EQ(CheckDirectory("Q:/", kProgram, fs).path, "Q:\\");
  EXPECT_TRUE(fs.created.empty());

  // A network path keeps its two leading backslashes and stays outside the
  // program directory.
  fs.existing.insert("\\\\server\\share");
  EXPECT_EQ(CheckDirectory("\\\\server\\share\\dir\\", kProgram, fs).path,
            "\\\\server\\share\\dir");
  EXPECT_EQ(CheckDirectory("//server/share/dir", kProgram, fs).path, "\\\\server\\share\\dir");
  EXPECT_EQ(fs.created, Paths{"\\\\server\\share\\dir"});
  EXPECT_TRUE(IsAbsolutePath("\\\\server\\share"));
  EXPECT_FALSE(IsAbsolutePath("\\server"));
}

TEST(CheckDirectory, WorksByCharactersWhereTrailBytesCanBeBackslashes) {
  FakeDirectorySystem fs = WithProgramDirectory();
  // 俓 = 82 5C: a byte-wise search would take "嘰\\\x82" for the parent.
  CheckDirectoryResult result = CheckDirectory("嘰\\俓子", kProgram, fs);
  EXPECT_EQ(result.path, "嘰\\俓子");
  EXPECT_EQ(fs.created, (Paths{kProgram + "嘰", kProgram + "嘰\\俓子"}));

  // "/" and "|" are 0x2F and 0x7C, both possible trail bytes; inside a
  // character they stay.
  EXPECT_EQ(CheckDirectory("\x81/\x81|/x|", kProgram, fs).path, "\x81/\x81|\\x");

  // A trailing 嘰 (87 5C) or 運 (DF 5C) is a character, not a backslash: it
  // is kept and created whole; a real backslash after it still goes.
  const std::pair<std::string, std::string> cases[] = {
      {"数据嘰", "数据嘰"}, {"logs\\運", "logs\\運"}, {"logs\\運\\", "logs\\運"}};
  for (const auto& [typed, whole] : cases) {
    EXPECT_EQ(CheckDirectory(typed, kProgram, fs).path, whole) << typed;
    EXPECT_EQ(fs.created.back(), kProgram + whole) << typed;
  }
}

TEST(CheckDirectory, NamesTheDirectoriesThatCouldNotBeCreated) {
  FakeDirectorySystem fs = WithProgramDirectory();
  fs.refused = {kProgram + "locked"};
  CheckDirectoryResult result = CheckDirectory("locked\\inner\\deep", kProgram, fs);
  EXPECT_EQ(result.path, "locked\\inner\\deep");
  EXPECT_EQ(fs.created, (Paths{kProgram + "locked", kProgram + "locked\\inner",
                               kProgram + "locked\\inner\\deep"}));
  EXPECT_EQ(result.notCreated, Paths{kProgram + "locked"});

  // No ancestor exists at all (a missing drive): every level is tried once.
  FakeDirectorySystem nothing;
  nothing.refused = {"Q:", "Q:\\x"};
  result = CheckDirectory("Q:\\x", kProgram, nothing);
  EXPECT_EQ(result.path, "Q:\\x");
  EXPECT_EQ(nothing.created, (Paths{"Q:", "Q:\\x"}));
  EXPECT_EQ(result.notCreated, (Paths{"Q:", "Q:\\x"}));

  // A file where the directory should be is named too.
  FakeDirectorySystem withFile = WithProgramDirectory();
  withFile.files = {kProgram + "log"};
  result = CheckDirectory("log", kProgram, withFile);
  EXPECT_EQ(result.path, "log");
  EXPECT_TRUE(withFile.created.empty());
  EXPECT_EQ(result.notCreated, Paths{kProgram + "log"});
}

// Records the lengths of the paths it is asked about rather than the paths:
// a text of 65,536 bytes has some 65,000 ancestors, and copies of them all
// would take 2 GB.
class LengthRecordingSystem : public DirectorySystem {
 public:
  explicit LengthRecordingSystem(const std::string& path) : path_(path) {}
  std::string existing;
  std::vector<std::size_t> checked;
  std::vector<std::size_t> created;
  bool prefixesOnly = true;

  bool Exists(const std::string& path) override {
    Note(path);
    checked.push_back(path.size());
    return path == existing;
  }
  bool IsDirectory(const std::string& path) override { return path == existing; }
  bool CreateDirectory(const std::string& path) override {
    Note(path);
    created.push_back(path.size());
    return true;
  }

 private:
  // Ends only: comparing whole prefixes would cost as much as the copies.
  void Note(const std::string& path) {
    prefixesOnly = prefixesOnly && path.size() <= path_.size() && !path.empty() &&
                   path.front() == path_.front() && path.back() == path_[path.size() - 1];
  }
  const std::string& path_;
};

TEST(CheckDirectory, APathOf65536BytesOfBackslashesIsWalkedLevelByLevel) {
  // kProgram's 乗 ends in 0x5C and is no level of its own.
  const std::string base = kProgram + "logs";
  std::string path = base + std::string(65536 - base.size() - 1, '\\') + "x";
  ASSERT_EQ(path.size(), 65536u);
  LengthRecordingSystem fs(path);
  fs.existing = "C:\\工具乗";
  Paths notCreated;
  CreateDirectoryTree(path, fs, &notCreated);

  // Up from the whole path through every backslash to the program directory,
  // then down again, parents first.
  std::vector<std::size_t> checked{path.size()};
  for (std::size_t end = path.size() - 2; end >= base.size(); --end) checked.push_back(end);
  checked.push_back(fs.existing.size());
  std::vector<std::size_t> created(checked.rbegin() + 1, checked.rend());
  EXPECT_EQ(fs.checked, checked);
  EXPECT_EQ(fs.created, created);
  EXPECT_EQ(fs.created.size(), 65536 - kProgram.size() - 4);
  EXPECT_TRUE(fs.prefixesOnly);
  EXPECT_TRUE(notCreated.empty());
}

TEST(ProgramDirectory, IsTheTextUpToTheLastRealBackslash) {
  EXPECT_EQ(DirectoryOfPath("D:\\tools\\panel.exe"), "D:\\tools\\");
  EXPECT_EQ(DirectoryOfPath(u8"D:\\工具嘰\\俓乗.exe"), u8"D:\\工具嘰\\");
  EXPECT_EQ(DirectoryOfPath(u8"D:\\乗"), "D:\\");
  EXPECT_EQ(DirectoryOfPath("panel.exe"), "");
  EXPECT_EQ(DirectoryOfPath(u8"俓.exe"), "");

  SetProgramDirectory("D:\\tools\\");
  EXPECT_EQ(ProgramDirectory(), "D:\\tools\\");
}

}  // namespace
}  // namespace vexa
