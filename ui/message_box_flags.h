#pragma once
// The style flags of the application's message box, without the system.
namespace vexa {

// The application's title, the caption of its own message boxes.
inline constexpr char kAppTitle[] = "VexaPanel";

// The flags the application's box is shown with: a box without an icon gets
// the warning icon when it offers OK (or OK and Cancel) and the question
// icon when it asks yes or no; other boxes keep what they were given.
unsigned int AppMessageBoxFlags(unsigned int flags);

}  // namespace vexa
