#pragma once
// The style flags of the program's message boxes, without the system: the
// values of the system's MB_* constants, named once for the platform-free
// code (ui/message_box_win32.cpp checks them against <windows.h>).
namespace vexa {

// The application's title, the caption of its own message boxes.
inline constexpr char kAppTitle[] = "VexaPanel";
// The caption of the boxes about the tracker and its settings.
inline constexpr char kServerCaption[] = "Vexa服务器";

enum : unsigned {
  kBoxTypeMask = 0x0F,
  kBoxOk = 0x00,
  kBoxOkCancel = 0x01,
  kBoxYesNoCancel = 0x03,
  kBoxYesNo = 0x04,
  kIconMask = 0xF0,
  kIconHand = 0x10,
  kIconQuestion = 0x20,
  kIconExclamation = 0x30,
  kIconInformation = 0x40,
};

// The flags the application's box is shown with: a box without an icon gets
// the warning icon when it offers OK (or OK and Cancel) and the question
// icon when it asks yes or no; other boxes keep what they were given.
unsigned int AppMessageBoxFlags(unsigned int flags);

}  // namespace vexa
