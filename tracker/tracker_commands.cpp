#include "tracker/tracker_commands.h"

#include <algorithm>


namespace vexa {

const char kTrackerExe[] = "vexa.exe";
const char kInstallCommand[] = "vexa.exe -i";
const char kStartCommand[] = "vexa.exe -start";
const char kStopCommand[] = "vexa.exe -stop";
const char kRemoveCommand[] = "vexa.exe -U";

std::string QuotedCommandLine(const std::string& path, const std::string& arguments) {
  std::string line = "\"" + path + "\"";
  if (!arguments.empty()) line += " " + arguments;
  return line;
}

std::string CommandSwitch(const std::string& command) {
  std::string::size_type blank = command.find(' ');
  return blank == std::string::npos ? std::string() : command.substr(blank + 1);
}

std::string KeepWaitingText(const std::string& command, unsigned seconds) {
  return "命令 \"" + command + "\" 已运行 " + std::to_string(seconds) +
         " 秒，仍未结束。\n是否继续等待？\n\n选择“否”将不再等待，该命令仍在后台运行。";
}

std::string WaitGivenUpText(const std::string& command) {
  return "已停止等待命令 \"" + command + "\"，它仍在运行，请稍后查看服务的状态。";
}

}  // namespace vexa
