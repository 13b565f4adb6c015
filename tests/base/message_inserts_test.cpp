#include "base/message_inserts.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(MessageInserts, EveryInsertTakesThePathAndNoMarkerIsLeft) {
  const char* const rows[][3] = {
      {"%1 的 EXE 格式无效。", "D:\\a b\\vexa.exe", "D:\\a b\\vexa.exe 的 EXE 格式无效。"},
      {"Cannot run %1 in %2!s! (%12).", "x", "Cannot run x in x (x)."},
      {"%1 不是有效的 Win32 应用程序。", "", "不是有效的 Win32 应用程序。"},
      {"100% 完成，%0 结束 %", "p", "100% 完成，%0 结束 %"},
  };
  for (const auto& row : rows) EXPECT_EQ(FillMessageInserts(row[0], row[1]), row[2]) << row[0];
}

}  // namespace
}  // namespace vexa
