#include "tracker/tracker_commands.h"

#include <algorithm>

#include "resources/resource.h"

namespace vexa {

const char kTrackerExe[] = "vexa.exe";
const char kInstallCommand[] = "vexa.exe -i";
const char kStartCommand[] = "vexa.exe -start";
const char kStopCommand[] = "vexa.exe -stop";
const char kRemoveCommand[] = "vexa.exe -U";

const char kServiceCaption[] = "Vexa后台服务";

const ServiceButton kServiceButtons[4] = {
    {IDC_SVC_INSTALL, kInstallCommand,
     "Vexa后台服务已安装，在下次系统启动时自动启动，请在 管理工具-->服务 查看", kIconInformation},
    {IDC_SVC_START, kStartCommand, "Vexa后台服务已启动", kIconInformation},
    {IDC_SVC_STOP, kStopCommand, "Vexa后台服务已停止", kIconHand},
    {IDC_SVC_REMOVE, kRemoveCommand, "Vexa后台服务已删除", kIconExclamation},
};

const ServiceButton* FindServiceButton(int controlId) {
  for (const ServiceButton& button : kServiceButtons) {
    if (button.controlId == controlId) return &button;
  }
  return nullptr;
}

bool ButtonMayChangeServices(int controlId) {
  // Both run "-U" and "-i" among their commands.
  if (controlId == IDC_SVC_ONE_CLICK || controlId == IDC_SVC_RESTART) return true;
  const ServiceButton* button = FindServiceButton(controlId);
  return button && (button->command == kInstallCommand || button->command == kRemoveCommand);
}

std::string QuotedCommandLine(const std::string& path, const std::string& arguments) {
  std::string line = "\"" + path + "\"";
  if (!arguments.empty()) line += " " + arguments;
  return line;
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

bool IsUnreservedByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

std::string PercentEncode(const std::string& bytes, bool (*kept)(unsigned char)) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (kept(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

namespace {
bool KeptInPathSegment(unsigned char c) { return IsUnreservedByte(c) || c == '/'; }
}  // namespace

std::string EscapeUrlPathSegment(const std::string& segment) {
  return PercentEncode(segment, KeptInPathSegment);
}

std::string WebFileDirectoryUrl(const std::string& baseUrl, const std::string& fileDirectory) {
  return baseUrl + "/" + EscapeUrlPathSegment(LastPathComponent(fileDirectory));
}

std::string InvalidPortText(const std::string& port) {
  return "vexa.cfg 中的端口 \"" + port + "\" 无效：端口只能是 1 到 65535 之间的数字。\n没有打开任何网页。";
}

std::string KeepWaitingText(const std::string& command, unsigned seconds) {
  return "命令 \"" + command + "\" 已运行 " + std::to_string(seconds) +
         " 秒，仍未结束。\n是否继续等待？\n\n选择“否”将不再等待，该命令仍在后台运行。";
}

std::string WaitGivenUpText(const std::string& command) {
  return "已停止等待命令 \"" + command + "\"，它仍在运行，请稍后查看服务的状态。";
}

}  // namespace vexa
