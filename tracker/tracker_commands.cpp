#include "tracker/tracker_commands.h"

#include <algorithm>

namespace vexa {

const char kTrackerExe[] = "vexa.exe";
const char kInstallCommand[] = "vexa.exe -i";
const char kStartCommand[] = "vexa.exe -start";
const char kStopCommand[] = "vexa.exe -stop";
const char kRemoveCommand[] = "vexa.exe -U";

const char kServiceCaption[] = "Vexa后台服务";

const ServiceButton kServiceButtons[4] = {
    {1008, kInstallCommand,
     "Vexa后台服务已安装，在下次系统启动时自动启动，请在 管理工具-->服务 查看", kIconInformation},
    {1005, kStartCommand, "Vexa后台服务已启动", kIconInformation},
    {1006, kStopCommand, "Vexa后台服务已停止", kIconHand},
    {1007, kRemoveCommand, "Vexa后台服务已删除", kIconExclamation},
};

const ServiceButton* FindServiceButton(int controlId) {
  for (const ServiceButton& button : kServiceButtons) {
    if (button.controlId == controlId) return &button;
  }
  return nullptr;
}

bool ButtonMayChangeServices(int controlId) {
  // Both run "-U" and "-i" among their commands.
  constexpr int kOneClickInstallation = 1074, kRestart = 1076;
  if (controlId == kOneClickInstallation || controlId == kRestart) return true;
  const ServiceButton* button = FindServiceButton(controlId);
  return button && (button->command == kInstallCommand || button->command == kRemoveCommand);
}

std::string CommandSwitch(const std::string& command) {
  std::string::size_type blank = command.find(' ');
  return blank == std::string::npos ? std::string() : command.substr(blank + 1);
}

std::string TrackerBaseUrl(const std::string& port) { return "http://localhost:" + port; }

std::string LastPathComponent(const std::string& directory) {
  std::string rest = directory;
  std::replace(rest.begin(), rest.end(), '/', '\\');
  for (;;) {
    std::size_t backslash = rest.find('\\');
    if (backslash == std::string::npos) return rest;
    rest.erase(0, backslash + 1);
  }
}

std::string EscapeUrlPathSegment(const std::string& segment) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(segment.size());
  // Byte by byte is safe: every byte of a UTF-8 sequence is 0x80 or above.
  for (char ch : segment) {
    if (ch == ' ' || ch == '#' || ch == '%' || ch == '?') {
      unsigned char c = static_cast<unsigned char>(ch);
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string WebFileDirectoryUrl(const std::string& baseUrl, const std::string& fileDirectory) {
  return baseUrl + "/" + EscapeUrlPathSegment(LastPathComponent(fileDirectory));
}

std::string KeepWaitingText(const std::string& command, unsigned seconds) {
  return "命令 \"" + command + "\" 已运行 " + std::to_string(seconds) +
         " 秒，仍未结束。\n是否继续等待？\n\n选择“否”将不再等待，该命令仍在后台运行。";
}

std::string WaitGivenUpText(const std::string& command) {
  return "已停止等待命令 \"" + command + "\"，它仍在运行，请稍后查看服务的状态。";
}

}  // namespace vexa
