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

std::string OpenErrorMessage(int code) {
  const char* text = nullptr;
  switch (code) {
    case 0: text = "The operating system is out\nof memory or resources."; break;
    case 2: text = "The specified file was not found."; break;
    case 3: text = "The specified path was not found."; break;
    case 5: text = "The operating system denied\naccess to the specified file."; break;
    case 8: text = "There was not enough memory to complete the operation."; break;
    case 11: text = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."; break;
    case 26: text = "A sharing violation occurred. "; break;
    case 27: text = "The filename association is\nincomplete or invalid."; break;
    case 28:
      text = "The DDE transaction could not\nbe completed because the request timed out.";
      break;
    case 29: text = "The DDE transaction failed."; break;
    case 30:
      text =
          "The DDE transaction could not\nbe completed because other DDE transactions\n"
          "were being processed.";
      break;
    case 31: text = "There is no application associated\nwith the given filename extension."; break;
    case 32: text = "The specified dynamic-link library was not found."; break;
    default: break;
  }
  std::string message = "Unable to open hyperlink:\n\n";
  if (text) return message + text;
  return message + "Unknown Error (" + std::to_string(code) + ") occurred.";
}

std::string OpenLink(const std::string& target, LinkOpener& system) {
  constexpr int kLastFailure = 32;
  int code = system.ShellOpen(target);
  std::string documentClass, command;
  if (code <= kLastFailure && system.ReadClassDefault(".htm", &documentClass) &&
      system.ReadClassDefault(documentClass + "\\shell\\open\\command", &command)) {
    code = system.Run(BrowserFallbackCommand(command, target));
  }
  return code > kLastFailure ? std::string() : OpenErrorMessage(code);
}

}  // namespace vexa
