#include "ui/message_box_flags.h"

namespace vexa {

namespace {
// The values of the system's MB_* constants.
constexpr unsigned int kTypeMask = 0x0F;
constexpr unsigned int kIconMask = 0xF0;
constexpr unsigned int kOk = 0x00;
constexpr unsigned int kOkCancel = 0x01;
constexpr unsigned int kYesNoCancel = 0x03;
constexpr unsigned int kYesNo = 0x04;
constexpr unsigned int kIconQuestion = 0x20;
constexpr unsigned int kIconExclamation = 0x30;
}  // namespace

unsigned int AppMessageBoxFlags(unsigned int flags) {
  if ((flags & kIconMask) != 0) return flags;
  switch (flags & kTypeMask) {
    case kOk:
    case kOkCancel:
      return flags | kIconExclamation;
    case kYesNo:
    case kYesNoCancel:
      return flags | kIconQuestion;
    default:
      return flags;
  }
}

}  // namespace vexa
