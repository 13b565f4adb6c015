#include "log/action_log_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "base/directory_lock_win32.h"
#include "base/scoped_handles_win32.h"
#include "base/text_codec.h"
#include "base/wide_text.h"
#include "tests/tracker/scratch_directory.h"

namespace vexa {
namespace {

using test::FileExists;
using test::ReadBytes;
using test::ScratchDirectory;
using test::WriteBytes;

// Checks the stamp's shape and returns what follows it.
std::string TextAfterStamp(const std::string& line) {
  const std::string shape = "dddd-dd-dd dd:dd:dd  ";
  if (line.size() < shape.size()) return "<short line>";
  for (size_t i = 0; i < shape.size(); ++i) {
    bool ok = shape[i] == 'd' ? (line[i] >= '0' && line[i] <= '9') : line[i] == shape[i];
    if (!ok) return "<bad stamp: " + line + ">";
  }
  return line.substr(shape.size());
}

TEST(ActionLogWriter, AppendsStampedGbkLinesAndRotatesAFullLogOnDisk) {
  ScratchDirectory dir("action log 嘰");
  auto writer = NewActionLogWriter(dir.Path());
  writer->Write("备份 C:\\数据\\：成功");
  writer->Write("第二行\n续");
  // GBK on disk whatever the code page: 备份 is B1 B8 B7 DD.
  std::string bytes = ReadBytes(dir.Path() + "VexaPanel.log");
  size_t cut = bytes.find("\r\n");
  ASSERT_NE(cut, std::string::npos);
  EXPECT_EQ(TextAfterStamp(bytes.substr(0, cut + 2)).substr(0, 4), "\xB1\xB8\xB7\xDD");
  EXPECT_EQ(TextFromGbk(TextAfterStamp(bytes.substr(0, cut + 2))), "备份 C:\\数据\\：成功\r\n");
  EXPECT_EQ(TextFromGbk(TextAfterStamp(bytes.substr(cut + 2))), "第二行 续\r\n");

  // A log past the limit goes to VexaPanel.log.1, replacing the older one.
  WriteBytes(dir.Path() + "VexaPanel.log.1", "oldest");
  const std::string full(1024 * 1024 + 1, 'x');
  WriteBytes(dir.Path() + "VexaPanel.log", full);
  writer->Write("新文件");
  EXPECT_EQ(ReadBytes(dir.Path() + "VexaPanel.log.1"), full);
  EXPECT_EQ(TextFromGbk(TextAfterStamp(ReadBytes(dir.Path() + "VexaPanel.log"))), "新文件\r\n");
}

TEST(ActionLogWriter, ALogThatCannotBeWrittenIsSkippedQuietly) {
  ScratchDirectory dir("action log locked");
  auto writer = NewActionLogWriter(dir.Path());
  {
    // Held without any sharing by another program.
    ScopedHandle held(CreateFileW(Wide(dir.Path() + "VexaPanel.log").c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    writer->Write("lost");
  }
  writer->Write("after");
  EXPECT_EQ(TextAfterStamp(ReadBytes(dir.Path() + "VexaPanel.log")), "after\r\n");

  auto nowhere = NewActionLogWriter(dir.Path() + "missing\\");
  nowhere->Write("no directory");
  EXPECT_FALSE(FileExists(dir.Path() + "missing\\VexaPanel.log"));
}

// Another process (a backup, a second panel) holds the directory's lock and
// is about to move the full log aside. This writer neither waits for it nor
// moves the log itself: its fresh log would then go over the full one, and
// a megabyte of lines would be lost. Its own process's job is no obstacle.
TEST(ActionLogWriter, AFullLogIsMovedAsideOnlyUnderTheDirectorysLockWithoutWaitingForIt) {
  ScratchDirectory dir("action log two panels");
  const std::string log = dir.Path() + "VexaPanel.log", full(1024 * 1024 + 1, 'x');
  WriteBytes(log, full);
  auto writer = NewActionLogWriter(dir.Path());
  ScopedHandle other(CreateFileW(Wide(dir.Path() + "VexaPanel.lock").c_str(),
                                 GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(other);
  const ULONGLONG start = GetTickCount64();
  writer->Write("一");
  EXPECT_LT(GetTickCount64() - start, 1500u) << "a line must not wait for the backup";
  EXPECT_FALSE(FileExists(log + ".1"));

  MoveFileExW(Wide(log).c_str(), Wide(log + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);
  WriteBytes(log, "other\r\n");
  other.Reset();
  writer->Write("二");
  const std::string old = ReadBytes(log + ".1");
  EXPECT_TRUE(old.compare(0, full.size(), full) == 0) << "the full log was lost";
  EXPECT_EQ(TextFromGbk(TextAfterStamp(old.substr(std::min(old.size(), full.size())))), "一\r\n");
  EXPECT_EQ(TextFromGbk(TextAfterStamp(ReadBytes(log).substr(7))), "二\r\n");

  WriteBytes(log, full);
  {
    const DirectoryLock job(dir.Path());  // this process copying, its worker logging
    ASSERT_TRUE(job.Held());
    writer->Write("三");
  }
  // Compared as flags: a megabyte of bytes would flood the output.
  EXPECT_TRUE(ReadBytes(log + ".1") == full) << "the full log was not moved aside";
  EXPECT_EQ(TextFromGbk(TextAfterStamp(ReadBytes(log))), "三\r\n");
}

}  // namespace
}  // namespace vexa
