#pragma once
// The text and arithmetic of the hyperlink label: fitting its window to its
// text, the browser fallback command and the text of a failed open.
#include <string>

#include "base/status.h"

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

// The error box's text: what failed and the system's reason.
std::string OpenErrorMessage(const std::string& reason);

// What opening a link needs from the system; a failure carries the
// system's reason.
class LinkOpener {
 public:
  virtual ~LinkOpener() = default;
  virtual Status ShellOpen(const std::string& target) = 0;
  // The default value of a key under HKEY_CLASSES_ROOT; false when unreadable.
  virtual bool ReadClassDefault(const std::string& subKey, std::string* value) = 0;
  virtual Status Run(const std::string& commandLine) = 0;
};

// The shell's default action first; when it fails, the browser command
// registered for .htm documents with the target. "" when the link opened,
// otherwise the text of the error box, with the browser's reason when it
// was tried and the shell's when there was none.
std::string OpenLink(const std::string& target, LinkOpener& system);

}  // namespace vexa
