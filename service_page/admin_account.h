#pragma once
// What the administrator dialog hands back to the one-click installation:
// after every closing either the confirmed values or two empty strings.
#include <string>

namespace vexa {

std::string& AdminAccount();
std::string& AdminPassword();

// OK of the dialog: both values exactly as typed, empty ones included.
void AcceptAdminInput(const std::string& account, const std::string& password);
// Cancel, Escape or the close box.
void CancelAdminInput();

}  // namespace vexa
