#include "shell/desktop_shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "tests/shell/link_contents_win32.h"

namespace vexa {
namespace {

using test::LinkContents;
using test::ReadLink;

const char kName[] = "Vexa管理服务器";
const char kDescription[] = "Vexa服务端管理工具";

std::string TempDirectory(const std::string& leaf) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::string dir = Narrow(base) + "vexa_desk_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryW(Wide(dir).c_str(), nullptr);
  dir += "\\" + leaf;
  CreateDirectoryW(Wide(dir).c_str(), nullptr);
  return dir;
}

void SetDesktopValue(HKEY key, const std::string& folder) {
  const std::wstring wide = Wide(folder);
  RegSetValueExW(key, L"Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                 static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

std::string ModuleFileName() {
  wchar_t module[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
  return Narrow(std::wstring(module, n));
}

TEST(DesktopShortcut, LinkStartsTheProgramInItsOwnDirectory) {
  // 嘰 ends in the byte of a backslash in GBK; the path must still convert whole.
  std::string desktop = TempDirectory("桌面嘰");
  std::string file = desktop + "\\" + kName + ".lnk";
  DeleteFileW(Wide(file).c_str());

  Status made = CreateShortcutIn(desktop, kName, "old");
  ASSERT_TRUE(made.ok) << made.message;
  made = CreateShortcutIn(desktop, kName, kDescription);  // replaces the first
  ASSERT_TRUE(made.ok) << made.message;

  LinkContents link = ReadLink(file);
  std::string module = ModuleFileName();
  EXPECT_EQ(link.path, module);
  EXPECT_EQ(link.workingDirectory, module.substr(0, module.rfind('\\') + 1));
  EXPECT_EQ(link.description, kDescription);

  DeleteFileW(Wide(file).c_str());
  RemoveDirectoryW(Wide(desktop).c_str());
}

TEST(DesktopShortcut, UnwritableDesktopIsAFailureWithNothingWritten) {
  std::string desktop = TempDirectory("gone");
  RemoveDirectoryW(Wide(desktop).c_str());
  Status made = CreateShortcutIn(desktop, kName, kDescription);
  EXPECT_FALSE(made.ok);
  EXPECT_FALSE(made.message.empty());
  std::string file = desktop + "\\" + kName + ".lnk";
  EXPECT_EQ(GetFileAttributesW(Wide(file).c_str()), INVALID_FILE_ATTRIBUTES);

  // A name that no longer fits the shortcut path's buffer.
  EXPECT_FALSE(CreateShortcutIn(TempDirectory("long"), std::string(600, 'x'), kDescription).ok);
}

TEST(DesktopShortcut, DesktopFolderComesFromTheShellFoldersValue) {
  std::string keyPath = "Software\\VexaPanelTests\\ShellFolders" + std::to_string(GetCurrentProcessId());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(keyPath).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  std::string directory;

  // key without the value
  EXPECT_FALSE(ReadDesktopDirectory(keyPath.c_str(), &directory).ok);

  const std::string desk = "C:\\users\\桌面";
  SetDesktopValue(key, desk);
  Status read = ReadDesktopDirectory(keyPath.c_str(), &directory);
  EXPECT_TRUE(read.ok) << read.message;
  EXPECT_EQ(directory, desk);

  // a value longer than the 512-character buffer
  SetDesktopValue(key, "C:\\" + std::string(600, 'd'));
  EXPECT_FALSE(ReadDesktopDirectory(keyPath.c_str(), &directory).ok);

  RegCloseKey(key);
  RegDeleteKeyW(HKEY_CURRENT_USER, Wide(keyPath).c_str());
  // the key itself missing
  EXPECT_FALSE(ReadDesktopDirectory(keyPath.c_str(), &directory).ok);
}

}  // namespace
}  // namespace vexa
