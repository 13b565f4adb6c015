#pragma once
// The text and arithmetic of the hyperlink label: fitting its window to its
// text, the browser fallback command and the texts of a failed open.
#include <string>

namespace vexa {

struct LabelRect {
  int left, top, right, bottom;
};

enum class LabelAlign { Left, Center, Right };

// The label's new window rectangle (parent client coordinates): the text's
// extent plus the border the window has around its client area, kept where
// the alignment says (centre keeps the centre, right keeps the right edge).
LabelRect FitLabelRect(const LabelRect& window, int clientWidth, int clientHeight, int textWidth,
                       int textHeight, LabelAlign align, bool centreImage);

// The registered browser command cut where its placeholder starts: the
// quoted "%1" first, then a bare %1; matched only at character starts.
std::string CutBrowserCommand(const std::string& command);

// CutBrowserCommand, a blank and the target.
std::string BrowserFallbackCommand(const std::string& command, const std::string& target);

// "Unable to open hyperlink:\n\n" and the text for the shell's result code.
std::string OpenErrorMessage(int code);

// What opening a link needs from the system. Result codes are the shell's
// and WinExec's: above 32 for success.
class LinkOpener {
 public:
  virtual ~LinkOpener() = default;
  virtual int ShellOpen(const std::string& target) = 0;
  // The default value of a key under HKEY_CLASSES_ROOT; false when unreadable.
  virtual bool ReadClassDefault(const std::string& subKey, std::string* value) = 0;
  virtual int Run(const std::string& commandLine) = 0;
};

// The shell's "open" first; when it fails, the browser command registered
// for .htm documents with the target. "" when the link opened, otherwise the
// text of the error box, for the browser's code when it was tried and the
// shell's when there was none.
std::string OpenLink(const std::string& target, LinkOpener& system);

}  // namespace vexa
