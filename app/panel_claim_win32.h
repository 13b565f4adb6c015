#pragma once
// One panel window per program directory. The first start claims the
// directory under a name made of the directory's identity, so that every
// spelling of its path (letter case, slashes, a short name) meets the same
// claim, and publishes its main window there; a later start brings that
// window to the front instead of opening a second one on top of it.
#include <windows.h>

#include <string>

#include "base/scoped_handles_win32.h"

namespace vexa {

// "Local\VexaPanel " and the directory's volume serial number and file id;
// its path upper-cased when the system cannot tell those.
std::wstring PanelClaimName(const std::string& directory);

enum class PanelClaim {
  kTaken,           // this run opens the window (also when no claim can be had)
  kHolderShown,     // another panel's window came to the front
  kHolderNotShown,  // another panel holds the directory but showed no window in time
};

class CPanelClaim {
 public:
  CPanelClaim() = default;
  ~CPanelClaim();
  CPanelClaim(const CPanelClaim&) = delete;
  CPanelClaim& operator=(const CPanelClaim&) = delete;

  // Takes the claim of directory for as long as this object lives, or
  // brings the holder's main window to the front (restored when minimised),
  // waiting up to waitMs for a holder that is still starting, or closing.
  PanelClaim TakeOrShowHolder(const std::string& directory, unsigned long waitMs);

 private:
  ScopedHandle mapping_;
  ScopedMappedView view_;
};

// The main window of the run that holds the claim, for later starts to
// find; nothing when this run holds none.
void PublishPanelWindow(HWND window);

}  // namespace vexa
