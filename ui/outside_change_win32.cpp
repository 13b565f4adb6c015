#include "ui/outside_change_win32.h"

#include "ui/message_box_win32.h"

namespace vexa {

bool AskReloadChangedConfig(HWND owner, OutsideChangeKind kind) {
  return PageMessageBox(owner, OutsideChangeQuestion(kind), kServerCaption,
                        MB_YESNO | MB_ICONWARNING) == IDYES;
}

}  // namespace vexa
