#include "app/panel_command.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "base/ascii.h"

namespace vexa {

// Lines of at most 79 columns (a Chinese character takes two), so that an
// 80-column console does not wrap them.
const char kPanelUsageText[] =
    "用法：VexaPanel.exe /backup [/keep N]\n"
    "  /backup   备份配置与数据文件，不显示任何窗口\n"
    "  /keep N   备份后只保留最新的 N 个（N 为 1 到 999）\n"
    "  /?        显示本说明（也可写作 /h 或 /help）\n"
    "不带开关时打开控制面板，不理会其余参数（如拖来的文件）。\n"
    "退出码：0 完成；1 没有做成备份；2 参数有误；\n"
    "        3 已备份，但 /keep 未能删除所有应删的旧备份";

namespace {

bool LooksLikeSwitch(const std::string& argument) {
  return !argument.empty() && (argument[0] == '/' || argument[0] == '-');
}

bool IsSwitch(const std::string& argument, const char* name) {
  return LooksLikeSwitch(argument) && EqualsIgnoringAsciiCase(argument.substr(1), name);
}

bool IsHelp(const std::string& argument) {
  return IsSwitch(argument, "?") || IsSwitch(argument, "h") || IsSwitch(argument, "help");
}

// "backup" without its "/" is a mistyped switch, never the path Explorer
// gives for a dropped file: a task must not open a window nobody closes.
bool IsBareSwitchName(const std::string& argument) {
  for (const char* name : {"backup", "keep", "?", "h", "help"}) {
    if (EqualsIgnoringAsciiCase(argument, name)) return true;
  }
  return false;
}

bool IsIgnorable(const std::string& argument) {
  return !LooksLikeSwitch(argument) && !IsBareSwitchName(argument);
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
  // Explorer passes a file dropped on the program as its only argument: the
  // panel opens as if started plainly. Beside a switch such a word is taken
  // for a typo in a scheduled task's line and refused.
  if (std::all_of(arguments.begin(), arguments.end(), IsIgnorable)) {
    command.ignored = arguments;
    return command;
  }
  bool backup = false, keepGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool isBackup = IsSwitch(argument, "backup"), isKeep = IsSwitch(argument, "keep");
    if (IsHelp(argument)) {
      // Not beside others: "/backup /?" must not end as a task's success
      // without a backup.
      if (arguments.size() > 1) return Bad("“" + argument + "”只能单独使用");
      command.kind = PanelCommand::Kind::kHelp;
      return command;
    }
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
    } else if (IsBareSwitchName(argument)) {
      return Bad("参数“" + argument + "”前少了“/”");
    } else {
      return Bad("无法识别的参数“" + argument + "”");
    }
  }
  if (keepGiven && !backup) return Bad("“/keep”只能与“/backup”一起使用");
  if (backup) command.kind = PanelCommand::Kind::kBackup;
  return command;
}

std::string IgnoredArgumentsLogText(const std::vector<std::string>& ignored) {
  std::string text = "启动参数";
  for (const std::string& argument : ignored) text += "“" + argument + "”";
  return text + "不是开关，已忽略";
}

}  // namespace vexa
