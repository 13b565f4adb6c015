#include "app/panel_command.h"

#include <utility>

#include "base/ascii.h"

namespace vexa {

const char kPanelUsageText[] =
    "用法：VexaPanel.exe /backup [/keep N]\n"
    "  /backup   备份配置与数据文件，不显示窗口；成功时退出码为 0，失败为 1，参数有误为 2\n"
    "  /keep N   备份成功后只保留最新的 N 个备份（N 为 1 到 999）";

namespace {

bool IsSwitch(const std::string& argument, const char* name) {
  return argument.size() > 1 && (argument[0] == '/' || argument[0] == '-') &&
         EqualsIgnoringAsciiCase(argument.substr(1), name);
}

PanelCommand Bad(std::string problem) {
  PanelCommand command;
  command.kind = PanelCommand::Kind::kBadArguments;
  command.problem = std::move(problem);
  return command;
}

}  // namespace

PanelCommand ParsePanelCommand(const std::vector<std::string>& arguments) {
  PanelCommand command;
  bool backup = false, keepGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool isBackup = IsSwitch(argument, "backup"), isKeep = IsSwitch(argument, "keep");
    if ((isBackup && backup) || (isKeep && keepGiven)) return Bad("参数“" + argument + "”重复了");
    if (isBackup) {
      backup = true;
    } else if (isKeep) {
      keepGiven = true;
      // Digits only, so that "+7", "7x" or "0x10" are never taken for a number.
      if (i + 1 == arguments.size() ||
          !ParseDecimal(arguments[i + 1], kKeepLeast, kKeepMost, &command.keep)) {
        return Bad("“" + argument + "”后面应是 1 到 999 之间的数字" +
                   (i + 1 < arguments.size() ? "，而不是“" + arguments[i + 1] + "”" : ""));
      }
      ++i;
    } else {
      return Bad("无法识别的参数“" + argument + "”");
    }
  }
  if (keepGiven && !backup) return Bad("“/keep”只能与“/backup”一起使用");
  if (backup) command.kind = PanelCommand::Kind::kBackup;
  return command;
}

}  // namespace vexa
