#include "controls/link_label_logic.h"

#include <string>

namespace vexa {

LabelRect FitLabelRect(const LabelRect& window, int clientWidth, int clientHeight, int textWidth,
                       int textHeight, LabelAlign align, bool centreImage) {
  LabelRect r = window;
  int width = window.right - window.left;
  int height = window.bottom - window.top;
  int cx = textWidth + (width - clientWidth);
  int cy = textHeight + (height - clientHeight);

  if (centreImage) {
    int dy = (height - cy) / 2;
    r.top += dy;
    r.bottom -= dy;
  } else {
    r.bottom = r.top + cy;
  }

  switch (align) {
    case LabelAlign::Center: {
      int dx = (width - cx) / 2;
      r.left += dx;
      r.right -= dx;
      break;
    }
    case LabelAlign::Right:
      r.left = r.right - cx;
      break;
    case LabelAlign::Left:
      r.right = r.left + cx;
      break;
  }
  return r;
}

std::string CutBrowserCommand(const std::string& command) {
  std::size_t at = command.find("\"%1\"");
  if (at == std::string::npos) at = command.find("%1");
  return at == std::string::npos ? command : command.substr(0, at);
}

std::string BrowserFallbackCommand(const std::string& command, const std::string& target) {
  return CutBrowserCommand(command) + " " + target;
}

std::string OpenErrorMessage(const std::string& reason) {
  return "无法打开链接：\n\n" + reason;
}

std::string OpenLink(const std::string& target, LinkOpener& system) {
  Status opened = system.ShellOpen(target);
  std::string documentClass, command;
  if (!opened.ok && system.ReadClassDefault(".htm", &documentClass) &&
      system.ReadClassDefault(documentClass + "\\shell\\open\\command", &command)) {
    opened = system.Run(BrowserFallbackCommand(command, target));
  }
  return opened.ok ? std::string() : OpenErrorMessage(opened.message);
}

}  // namespace vexa
