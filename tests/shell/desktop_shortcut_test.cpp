#include "shell/desktop_shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

namespace vexa {
namespace {

const char kName[] = "Vexa管理服务器";
const char kDescription[] = "Vexa服务端管理工具";

std::string TempDirectory(const std::string& leaf) {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  std::string dir = std::string(base) + "vexa_desk_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  dir += "\\" + leaf;
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::wstring Wide(const std::string& text) {
  wchar_t buffer[1024];
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer, 1024);
  return std::wstring(buffer, n > 0 ? n - 1 : 0);
}

struct LinkContents {
  std::string path, workingDirectory, description;
};

LinkContents ReadLink(const std::string& file) {
  LinkContents contents;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      if (SUCCEEDED(persist->Load(Wide(file).c_str(), STGM_READ))) {
        char buffer[MAX_PATH] = {};
        link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
        contents.path = buffer;
        buffer[0] = 0;
        link->GetWorkingDirectory(buffer, MAX_PATH);
        contents.workingDirectory = buffer;
        buffer[0] = 0;
        link->GetDescription(buffer, MAX_PATH);
        contents.description = buffer;
      }
      persist->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return contents;
}

std::string ModuleFileName() {
  char module[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
  return std::string(module, n);
}

TEST(DesktopShortcut, LinkStartsTheProgramInItsOwnDirectory) {
  // 嘰 ends in the byte of a backslash; the path must still convert whole.
  std::string desktop = TempDirectory("桌面嘰");
  std::string file = desktop + "\\" + kName + ".lnk";
  DeleteFileA(file.c_str());

  Status made = CreateShortcutIn(desktop, kName, "old");
  ASSERT_TRUE(made.ok) << made.message;
  made = CreateShortcutIn(desktop, kName, kDescription);  // replaces the first
  ASSERT_TRUE(made.ok) << made.message;

  LinkContents link = ReadLink(file);
  std::string module = ModuleFileName();
  EXPECT_EQ(link.path, module);
  EXPECT_EQ(link.workingDirectory, module.substr(0, module.rfind('\\') + 1));
  EXPECT_EQ(link.description, kDescription);

  DeleteFileA(file.c_str());
  RemoveDirectoryA(desktop.c_str());
}

TEST(DesktopShortcut, UnwritableDesktopIsAFailureWithNothingWritten) {
  std::string desktop = TempDirectory("gone");
  RemoveDirectoryA(desktop.c_str());
  Status made = CreateShortcutIn(desktop, kName, kDescription);
  EXPECT_FALSE(made.ok);
  EXPECT_FALSE(made.message.empty());
  std::string file = desktop + "\\" + kName + ".lnk";
  EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);

  // A name that no longer fits the shortcut path's buffer.
  EXPECT_FALSE(CreateShortcutIn(TempDirectory("long"), std::string(600, 'x'), kDescription).ok);
}

TEST(DesktopShortcut, DesktopFolderComesFromTheShellFoldersValue) {
  std::string keyPath = "Software\\VexaPanelTests\\ShellFolders" + std::to_string(GetCurrentProcessId());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  std::string directory;

  // key without the value
  EXPECT_FALSE(ReadDesktopDirectory(keyPath.c_str(), &directory).ok);

  const std::string desk = "C:\\users\\桌面";
  RegSetValueExA(key, "Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(desk.c_str()),
                 static_cast<DWORD>(desk.size() + 1));
  Status read = ReadDesktopDirectory(keyPath.c_str(), &directory);
  EXPECT_TRUE(read.ok) << read.message;
  EXPECT_EQ(directory, desk);

  // a value longer than the 512-byte buffer
  const std::string tooLong = "C:\\" + std::string(600, 'd');
  RegSetValueExA(key, "Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(tooLong.c_str()),
                 static_cast<DWORD>(tooLong.size() + 1));
  EXPECT_FALSE(ReadDesktopDirectory(keyPath.c_str(), &directory).ok);

  RegCloseKey(key);
  RegDeleteKeyA(HKEY_CURRENT_USER, keyPath.c_str());
  // the key itself missing
  EXPECT_FALSE(ReadDesktopDirectory(keyPath.c_str(), &directory).ok);
}

}  // namespace
}  // namespace vexa
