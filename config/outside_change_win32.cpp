#include "config/outside_change_win32.h"

#include "config/config_store.h"
#include "ui/message_box_win32.h"

namespace vexa {

bool AskReloadChangedConfig(HWND owner) {
  return PageMessageBox(owner, kOutsideChangeQuestion, kServerCaption,
                        MB_YESNO | MB_ICONWARNING) == IDYES;
}

}  // namespace vexa
