#include "base/message_inserts.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(MessageInserts, EveryInsertTakesThePathAndNoMarkerIsLeft) {
  const struct Row {
    const char* text;
    const char* insert;
    const char* filled;
  } rows[] = {
      {"%1 不是有效的 Win32 应用程序。", "C:\\嘰\\vexa.exe", "C:\\嘰\\vexa.exe 不是有效的 Win32 应用程序。"},
      {"%1 的 EXE 格式无效。", "D:\\a b\\vexa.exe", "D:\\a b\\vexa.exe 的 EXE 格式无效。"},
      {"Cannot run %1 in Win32 mode (%2).", "x.exe", "Cannot run x.exe in Win32 mode (x.exe)."},
      {"%1!s! and %12", "p", "p and p"},
      {"%1 不是有效的 Win32 应用程序。", "", "不是有效的 Win32 应用程序。"},
      {"100% 完成，%0 结束", "p", "100% 完成，%0 结束"},
      {"尾部 %", "p", "尾部 %"},
      {"拒绝访问。", "p", "拒绝访问。"},
  };
  for (const Row& row : rows) EXPECT_EQ(FillMessageInserts(row.text, row.insert), row.filled) << row.text;
}

}  // namespace
}  // namespace vexa
