// Who besides the administrators may change a file or folder, read from
// security descriptors written in SDDL; and System32's own DLLs.
#include <windows.h>
#include <sddl.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/system_library_win32.h"
#include "base/wide_text.h"
#include "base/write_access_win32.h"

namespace vexa {
namespace {

const char kSelf[] = "S-1-5-21-1-2-3-1001";
const char kOtherUser[] = "S-1-5-21-1-2-3-1002";

// "S-1-5-11", "owner S-1-5-21-…" in the order found.
std::vector<std::string> WritersIn(const std::string& sddl) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(Wide(sddl).c_str(), SDDL_REVISION_1,
                                                           &sd, nullptr)) {
    return {"bad SDDL"};
  }
  std::vector<std::string> found;
  for (const OtherWriter& other : OthersWhoMayChange(sd, {kSelf})) {
    found.push_back((other.owner ? "owner " : "") + other.sid);
  }
  LocalFree(sd);
  return found;
}

TEST(WriteAccess, OnlyNonAdministratorsThatMayChangeSomethingAreNamed) {
  const std::string user = kOtherUser;
  const struct {
    std::string sddl;
    std::vector<std::string> others;
  } cases[] = {
      // A folder under Program Files.
      {"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
       "D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)",
       {}},
      // A folder made under C:\: Authenticated Users may modify.
      {"O:BAD:(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)(A;;0x1301bf;;;AU)(A;OICIIO;SDGXGWGR;;;AU)",
       {"S-1-5-11"}},
      {"O:BAD:(A;;FW;;;BU)", {"S-1-5-32-545"}},
      {"O:BAD:(A;;0x4;;;BU)", {"S-1-5-32-545"}},  // append only
      {"O:BAD:(A;;0x2;;;IU)(A;;0x40;;;S-1-5-32-546)(A;;SD;;;WD)(A;;WO;;;" + user + ")",
       {"S-1-5-4", "S-1-5-32-546", "S-1-1-0", user}},
      {"O:BAD:(A;;GW;;;" + user + ")(A;;WD;;;AU)", {user, "S-1-5-11"}},
      // Writing attributes or extended attributes replaces no code.
      {"O:BAD:(A;;0x1201b9;;;BU)", {}},
      // The first ACE to decide a right decides it.
      {"O:BAD:(D;;0xd0046;;;BU)(A;;FA;;;BU)", {}},
      {"O:BAD:(A;;FA;;;BU)(D;;FA;;;BU)", {"S-1-5-32-545"}},
      {"O:BAD:(D;;FA;;;WD)(A;;FA;;;AU)", {}},  // Everyone's deny reaches every group
      {"O:BAD:(D;;FA;;;AU)(A;;FA;;;BU)", {"S-1-5-32-545"}},  // a member of Users need not be one of them
      {"O:BAD:(A;OICIIO;GA;;;BU)(A;OICIIO;FA;;;WD)", {}},
      {"O:BAD:(A;;FA;;;CO)", {}},
      {"O:" + user + "D:(A;;FA;;;SY)", {"owner " + user}},
      {"O:BUD:(A;;FA;;;BU)", {"owner S-1-5-32-545", "S-1-5-32-545"}},
      {"O:" + std::string(kSelf) + "D:(A;;FA;;;" + kSelf + ")(A;;FA;;;SY)", {}},
      {"O:BAD:", {}},  // an empty DACL grants nothing
  };
  for (const auto& c : cases) EXPECT_EQ(WritersIn(c.sddl), c.others) << c.sddl;

  // No DACL at all (a FAT drive, or a null DACL) lets everyone do everything.
  SECURITY_DESCRIPTOR open;
  ASSERT_TRUE(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
  for (BOOL present : {FALSE, TRUE}) {
    ASSERT_TRUE(SetSecurityDescriptorDacl(&open, present, nullptr, FALSE));
    const std::vector<OtherWriter> others = OthersWhoMayChange(&open, {kSelf});
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(others[0].sid, "S-1-1-0");
  }
}

TEST(SystemLibrary, FunctionsComeFromSystemDllsAndMissingOnesAreNull) {
  const auto play = SystemFunction<decltype(&sndPlaySoundW)>(L"winmm.dll", "sndPlaySoundW");
  ASSERT_NE(play, nullptr);
  HMODULE module = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                     GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCWSTR>(play), &module));
  wchar_t file[MAX_PATH] = {}, system[MAX_PATH] = {};
  GetModuleFileNameW(module, file, MAX_PATH);
  GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(_wcsicmp(file, (std::wstring(system) + L"\\winmm.dll").c_str()), 0) << Narrow(file);
  EXPECT_EQ(SystemLibraryFunction(L"winmm.dll", "NoSuchFunction"), nullptr);
  EXPECT_EQ(SystemLibraryFunction(L"vexa-no-such.dll", "sndPlaySoundW"), nullptr);
}

}  // namespace
}  // namespace vexa
