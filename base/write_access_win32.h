#pragma once
// Who besides the administrators may change a file or folder: the question
// before a program running elevated or as SYSTEM trusts what lies beside it.
#include <windows.h>

#include <string>
#include <vector>

namespace vexa {

// A SID other than SYSTEM, the Administrators group, TrustedInstaller and
// the trusted accounts (the process's own user, the administrators) that may write, append, delete or change the
// permissions (or, as owner, may always change them).
struct OtherWriter {
  std::string sid;  // "S-1-5-11"
  bool owner = false;
};

// Read from the security descriptor the way an access check reads it: in
// ACE order, the first ACE to decide a right decides it, inherit-only ACEs
// do not count. Each such SID is judged as holding only itself and
// Everyone, since a deny for another group need not reach all its members.
// trusted: account SIDs as text, trusted like the Administrators group.
std::vector<OtherWriter> OthersWhoMayChange(PSECURITY_DESCRIPTOR sd,
                                           const std::vector<std::string>& trusted);

// The owner and DACL of a file or folder, and OthersWhoMayChange of them;
// false (with GetLastError) when they cannot be read.
bool ReadOthersWhoMayChange(const std::string& path, const std::vector<std::string>& trusted,
                            std::vector<OtherWriter>* others);

// The process's user SID as text; "" when it cannot be read.
std::string ProcessUserSid();

// The accounts that are members of the local Administrators group itself
// (not through another group): the administrator who made a folder owns
// it. Empty when the group cannot be read.
std::vector<std::string> AdministratorAccounts();

// "DOMAIN\name" for the user, or the SID itself when it has no name.
std::string AccountName(const std::string& sid);

}  // namespace vexa
