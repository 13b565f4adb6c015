#include "log/action_log_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

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

// Another panel of the directory moves the full log aside while this one is
// about to: this one waits, then sees the fresh log and never moves it over
// the full one (a megabyte of lines lost).
TEST(ActionLogWriter, APanelWaitsWhileAnotherMovesTheLogAside) {
  ScratchDirectory dir("action log two panels");
  const std::string log = dir.Path() + "VexaPanel.log", full(1024 * 1024 + 1, 'x');
  WriteBytes(log, full);
  auto writer = NewActionLogWriter(dir.Path());
  ScopedHandle other(CreateMutexW(nullptr, FALSE, ActionLogLockName(dir.Path()).c_str()));
  ASSERT_EQ(WaitForSingleObject(other.Get(), 0), WAIT_OBJECT_0);
  ScopedHandle written(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread panel([&] {
    writer->Write("一");
    SetEvent(written.Get());
  });
  EXPECT_EQ(WaitForSingleObject(written.Get(), 500), static_cast<DWORD>(WAIT_TIMEOUT));
  MoveFileExW(Wide(log).c_str(), Wide(log + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);
  WriteBytes(log, "other\r\n");
  ReleaseMutex(other.Get());
  panel.join();
  EXPECT_EQ(ReadBytes(log + ".1"), full);
  EXPECT_EQ(TextFromGbk(TextAfterStamp(ReadBytes(log).substr(7))), "一\r\n");
}

}  // namespace
}  // namespace vexa
