#include "app/panel_command.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(PanelCommand, BackupWithKeepOrAWindowAndEveryOtherLineIsRefused) {
  using Kind = PanelCommand::Kind;
  const struct {
    std::vector<std::string> arguments;
    Kind kind;
    unsigned keep;
    const char* problem;
  } rows[] = {
      {{}, Kind::kWindow, 0, ""},
      {{"/backup"}, Kind::kBackup, 0, ""},
      {{"-BACKUP", "/Keep", "7"}, Kind::kBackup, 7, ""},
      {{"/keep", "999", "/backup"}, Kind::kBackup, 999, ""},
      {{"/backup", "/keep", "0"}, Kind::kBadArguments, 0, "“/keep”后面应是 1 到 999 之间的数字，而不是“0”"},
      {{"/backup", "/keep", "1000"}, Kind::kBadArguments, 0, nullptr},
      {{"/backup", "/keep", "4294967297"}, Kind::kBadArguments, 0, nullptr},  // 1 after 32 bits
      {{"/backup", "/keep", "+7"}, Kind::kBadArguments, 0, nullptr},
      {{"/backup", "/keep"}, Kind::kBadArguments, 0, "“/keep”后面应是 1 到 999 之间的数字"},
      {{"/keep", "3"}, Kind::kBadArguments, 0, "“/keep”只能与“/backup”一起使用"},
      {{"/backup", "/backup"}, Kind::kBadArguments, 0, "参数“/backup”重复了"},
      {{"/backup", "C:\\x.vexa"}, Kind::kBadArguments, 0, "无法识别的参数“C:\\x.vexa”"},
      {{"backup"}, Kind::kBadArguments, 0, "参数“backup”前少了“/”"},
      // A dropped file opens the window; beside a switch a word is a typo in
      // a task's line, and so is a switch without its "/".
      {{"C:\\a b\\vexa.cfg", ""}, Kind::kWindow, 0, ""},
      {{"C:\\x.cfg", "/backup"}, Kind::kBadArguments, 0, "无法识别的参数“C:\\x.cfg”"},
      {{"/backup", "/keep", "7", "KEEP"}, Kind::kBadArguments, 0, "参数“KEEP”前少了“/”"},
      {{"/?"}, Kind::kHelp, 0, ""},
      {{"-Help"}, Kind::kHelp, 0, ""},
      {{"/backup", "/?"}, Kind::kBadArguments, 0, "“/?”只能单独使用"},
      {{"/x"}, Kind::kBadArguments, 0, "无法识别的参数“/x”"},
  };
  for (const auto& row : rows) {
    std::string line;
    for (const std::string& argument : row.arguments) line += argument + " ";
    const PanelCommand command = ParsePanelCommand(row.arguments);
    EXPECT_EQ(command.kind, row.kind) << line;
    if (row.kind == Kind::kBackup) {
      EXPECT_EQ(command.keep, row.keep) << line;
    }
    if (row.problem) {
      EXPECT_EQ(command.problem, row.problem) << line;
    }
    EXPECT_EQ(command.problem.empty(), row.kind != Kind::kBadArguments) << line;
    EXPECT_EQ(command.ignored.size(), row.kind == Kind::kWindow ? row.arguments.size() : 0) << line;
  }
}

}  // namespace
}  // namespace vexa
