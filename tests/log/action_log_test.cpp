#include "log/action_log.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/log/recording_sink.h"

namespace vexa {
namespace {

TEST(ActionLogLine, StampTwoBlanksTextAndCrLfWithBreaksFlattened) {
  const struct Case {
    LogTime time;
    std::string text, line;
  } cases[] = {
      {{2026, 12, 7, 9, 5, 3}, "保存 vexa.cfg：成功", "2026-12-07 09:05:03  保存 vexa.cfg：成功\r\n"},
      {{2027, 1, 31, 23, 59, 59}, "无法运行 C:\\嘰\\vexa.exe：\r\n拒绝访问。\r\n",
       "2027-01-31 23:59:59  无法运行 C:\\嘰\\vexa.exe： 拒绝访问。\r\n"},
      {{2026, 2, 3, 0, 0, 0}, "a\n\nb\rc", "2026-02-03 00:00:00  a b c\r\n"},
      {{2026, 2, 3, 0, 0, 0}, "", "2026-02-03 00:00:00\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(ActionLogLine(c.time, c.text), c.line) << c.text;
}

TEST(ActionLogLine, SecondsWithTwoDecimals) {
  EXPECT_EQ(LogSeconds(0), "0.00");
  EXPECT_EQ(LogSeconds(1259), "1.25");
  EXPECT_EQ(LogSeconds(60000), "60.00");
  EXPECT_EQ(LogSeconds(3007), "3.00");
}

// The log's file as a string, with the calls made on it.
class MemoryLogFile : public ActionLogFile {
 public:
  std::string current, old;
  bool exists = false, canAppend = true, canRename = true;
  // What another writer does before the rotation's lock comes to this one.
  std::function<void()> beforeHold;
  std::vector<std::string> calls;

  bool Size(unsigned long long* size) override {
    *size = current.size();
    return exists;
  }
  std::unique_ptr<RotationHold> TryHoldRotation() override {
    calls.push_back("hold");
    if (beforeHold) beforeHold();
    return std::make_unique<Hold>(calls);
  }
  bool RenameToOld() override {
    calls.push_back("rename");
    if (!canRename) return false;
    old = current;
    current.clear();
    exists = false;
    return true;
  }
  bool Append(const std::string& bytes) override {
    calls.push_back("append");
    if (!canAppend) return false;
    current += bytes;
    exists = true;
    return true;
  }

 private:
  struct Hold : RotationHold {
    explicit Hold(std::vector<std::string>& calls) : calls(calls) {}
    ~Hold() override { calls.push_back("release"); }
    std::vector<std::string>& calls;
  };
};

TEST(ActionLogFile, RotatesOnlyOnceTheFileHasPassedOneMebibyte) {
  MemoryLogFile file;
  EXPECT_TRUE(AppendActionLogLine(file, "first\r\n"));
  EXPECT_EQ(file.current, "first\r\n");

  file.current = std::string(kActionLogLimitBytes, 'x');  // exactly the limit: kept
  EXPECT_TRUE(AppendActionLogLine(file, "second\r\n"));
  EXPECT_EQ(file.current.size(), kActionLogLimitBytes + 8);
  EXPECT_TRUE(file.old.empty());

  EXPECT_TRUE(AppendActionLogLine(file, "third\r\n"));  // past it: moved aside first
  EXPECT_EQ(file.current, "third\r\n");
  EXPECT_EQ(file.old.size(), kActionLogLimitBytes + 8);
  // The lock only for a full log, and the rename under it.
  EXPECT_EQ(file.calls,
            (std::vector<std::string>{"append", "append", "hold", "rename", "release", "append"}));
}

// Two writers see the same full log; the other one gets the lock first and
// moves the log aside. This one, holding the lock next, must leave the
// other's fresh log (or its absence) where it is: moving it over the full
// one loses a megabyte of lines.
TEST(ActionLogFile, AWriterHoldingTheLockLooksAgainBeforeMovingTheLogAside) {
  const std::string full(kActionLogLimitBytes + 1, 'x');
  for (const std::string otherWrote : {"other\r\n", ""}) {
    MemoryLogFile file;
    file.exists = true;
    file.current = full;
    file.beforeHold = [&] {
      file.old = file.current;
      file.current = otherWrote;
      file.exists = !otherWrote.empty();
    };
    EXPECT_TRUE(AppendActionLogLine(file, "mine\r\n"));
    EXPECT_TRUE(file.old == full) << "the full log was lost, other wrote: " << otherWrote;
    EXPECT_EQ(file.current, otherWrote + "mine\r\n");
    EXPECT_EQ(file.calls, (std::vector<std::string>{"hold", "release", "append"})) << otherWrote;
  }
}

TEST(ActionLogFile, FailuresAreReportedButNeverStopTheWriting) {
  MemoryLogFile file;
  file.exists = true;
  file.current = std::string(kActionLogLimitBytes + 1, 'x');
  file.canRename = false;
  EXPECT_TRUE(AppendActionLogLine(file, "kept growing\r\n"));
  EXPECT_EQ(file.current.size(), kActionLogLimitBytes + 1 + 14);

  file.canAppend = false;
  EXPECT_FALSE(AppendActionLogLine(file, "lost\r\n"));
}

TEST(ActionLogSink, EventsGoToTheInstalledSinkAndNowhereWithoutOne) {
  LogAction("before any sink");
  test::RecordingSink sink;
  LogAction("one");
  LogAction("two");
  SetActionLogSink(nullptr);
  LogAction("after");
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"one", "two"}));
}

}  // namespace
}  // namespace vexa
