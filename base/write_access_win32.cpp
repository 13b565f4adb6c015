#include "base/write_access_win32.h"

#include <sddl.h>
#include <aclapi.h>
#include <lm.h>

#include <algorithm>
#include <memory>

#include "base/scoped_handles_win32.h"
#include "base/system_library_win32.h"
#include "base/wide_text.h"

namespace vexa {

namespace {

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
template <typename T>
using LocalMemory = std::unique_ptr<T, LocalFreer>;

// Rights that let someone put other code in the program's place: write or
// append (a file, or a new file in a folder), delete, delete a child,
// change the DACL or take ownership.
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD |
                                      DELETE | WRITE_DAC | WRITE_OWNER;

const char kEveryoneSid[] = "S-1-1-0";
// CREATOR OWNER matters only for inheritance, OWNER RIGHTS only for the
// owner, who is judged by itself.
const char* const kNoPrincipal[] = {"S-1-3-0", "S-1-3-4"};
const char* const kTrusted[] = {
    "S-1-5-18",      // SYSTEM
    "S-1-5-32-544",  // Administrators
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
};

std::string SidText(PSID sid) {
  LPWSTR text = nullptr;
  if (!sid || !ConvertSidToStringSidW(sid, &text)) return "";
  const LocalMemory<wchar_t> owned(text);
  return Narrow(text);
}

bool IsSidOneOf(const std::string& sid, const char* const* list, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (sid == list[i]) return true;
  }
  return false;
}

bool IsTrusted(const std::string& sid, const std::vector<std::string>& accounts) {
  return std::find(accounts.begin(), accounts.end(), sid) != accounts.end() ||
         IsSidOneOf(sid, kTrusted, std::size(kTrusted));
}

struct Ace {
  bool allow;
  ACCESS_MASK mask;
  std::string sid;
};

// The ACEs an access check reads; generic rights mapped to the file's.
std::vector<Ace> EffectiveAces(PACL dacl) {
  std::vector<Ace> aces;
  GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                             FILE_ALL_ACCESS};
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* raw = nullptr;
    if (!GetAce(dacl, i, &raw)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(raw);
    if (header->AceFlags & INHERIT_ONLY_ACE) continue;
    // The allowed, denied and callback ACEs share this layout up to the SID.
    const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
    const bool allow = header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
                       header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
    if (!allow && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
    ACCESS_MASK mask = ace->Mask;
    MapGenericMask(&mask, &mapping);
    aces.push_back({allow, mask, SidText(const_cast<DWORD*>(&ace->SidStart))});
  }
  return aces;
}

ACCESS_MASK GrantedTo(const std::vector<Ace>& aces, const std::string& sid) {
  ACCESS_MASK granted = 0, denied = 0;
  for (const Ace& ace : aces) {
    if (ace.sid != sid && ace.sid != kEveryoneSid) continue;
    if (ace.allow) {
      granted |= ace.mask & ~denied;
    } else {
      denied |= ace.mask & ~granted;
    }
  }
  return granted;
}

}  // namespace

std::vector<OtherWriter> OthersWhoMayChange(PSECURITY_DESCRIPTOR sd,
                                           const std::vector<std::string>& trusted) {
  std::vector<OtherWriter> others;
  PSID ownerSid = nullptr;
  BOOL defaulted = FALSE;
  const std::string owner =
      GetSecurityDescriptorOwner(sd, &ownerSid, &defaulted) ? SidText(ownerSid) : "";
  if (!owner.empty() && !IsTrusted(owner, trusted)) others.push_back({owner, true});

  BOOL present = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted)) return others;
  if (!present || !dacl) {
    // No DACL at all grants everyone everything.
    others.push_back({kEveryoneSid, false});
    return others;
  }
  const std::vector<Ace> aces = EffectiveAces(dacl);
  for (const Ace& ace : aces) {
    if (!ace.allow || IsTrusted(ace.sid, trusted) ||
        IsSidOneOf(ace.sid, kNoPrincipal, std::size(kNoPrincipal))) {
      continue;
    }
    bool listed = false;
    for (const OtherWriter& other : others) listed = listed || (!other.owner && other.sid == ace.sid);
    if (!listed && (GrantedTo(aces, ace.sid) & kChangeRights)) others.push_back({ace.sid, false});
  }
  return others;
}

bool ReadOthersWhoMayChange(const std::string& path, const std::vector<std::string>& trusted,
                            std::vector<OtherWriter>* others) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  const DWORD error = GetNamedSecurityInfoW(Wide(path).c_str(), SE_FILE_OBJECT,
                                            OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                            nullptr, nullptr, nullptr, nullptr, &sd);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return false;
  }
  const LocalMemory<void> owned(sd);
  *others = OthersWhoMayChange(sd, trusted);
  return true;
}

std::string ProcessUserSid() {
  ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return "";
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) {
    return "";
  }
  return SidText(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
}

std::vector<std::string> AdministratorAccounts() {
  using GetMembers = NET_API_STATUS(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*, DWORD, LPDWORD,
                                              LPDWORD, PDWORD_PTR);
  using FreeBuffer = NET_API_STATUS(WINAPI*)(LPVOID);
  static const auto getMembers = SystemFunction<GetMembers>(L"netapi32.dll", "NetLocalGroupGetMembers");
  static const auto freeBuffer = SystemFunction<FreeBuffer>(L"netapi32.dll", "NetApiBufferFree");
  std::vector<std::string> accounts;
  // The group's name is in the system's language.
  PSID administrators = nullptr;
  if (!getMembers || !freeBuffer || !ConvertStringSidToSidW(L"S-1-5-32-544", &administrators)) {
    return accounts;
  }
  const LocalMemory<void> owned(administrators);
  wchar_t group[256] = {}, domain[256] = {};
  DWORD groupSize = 256, domainSize = 256;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, administrators, group, &groupSize, domain, &domainSize, &use)) {
    return accounts;
  }
  LPBYTE buffer = nullptr;
  DWORD read = 0, total = 0;
  if (getMembers(nullptr, group, 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr) ==
      NERR_Success) {
    const auto* members = reinterpret_cast<const LOCALGROUP_MEMBERS_INFO_0*>(buffer);
    for (DWORD i = 0; i < read; ++i) accounts.push_back(SidText(members[i].lgrmi0_sid));
  }
  if (buffer) freeBuffer(buffer);
  return accounts;
}

std::string AccountName(const std::string& sid) {
  PSID binary = nullptr;
  if (!ConvertStringSidToSidW(Wide(sid).c_str(), &binary)) return sid;
  const LocalMemory<void> owned(binary);
  wchar_t name[256] = {}, domain[256] = {};
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, binary, name, &nameSize, domain, &domainSize, &use) ||
      !name[0]) {
    return sid;
  }
  return domain[0] ? Narrow(domain) + "\\" + Narrow(name) : Narrow(name);
}

}  // namespace vexa
