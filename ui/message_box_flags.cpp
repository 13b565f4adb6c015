#include "ui/message_box_flags.h"

namespace vexa {

unsigned int AppMessageBoxFlags(unsigned int flags) {
  if ((flags & kIconMask) != 0) return flags;
  switch (flags & kBoxTypeMask) {
    case kBoxOk:
    case kBoxOkCancel: return flags | kIconExclamation;
    case kBoxYesNo:
    case kBoxYesNoCancel: return flags | kIconQuestion;
    default:
      return flags;
  }
}

}  // namespace vexa
