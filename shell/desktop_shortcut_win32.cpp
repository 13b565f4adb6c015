#include "shell/desktop_shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "base/scoped_handles_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"
#include "log/action_log.h"

namespace vexa {

namespace {

const wchar_t kDesktopValue[] = L"Desktop";
// Room for the desktop path, in characters.
constexpr DWORD kPathBufferChars = 512;

Status Failure(const char* what, DWORD code) {
  return Status::Error(std::string(what) + SystemMessage(code));
}

Status Failure(const char* what, HRESULT hr) { return Failure(what, static_cast<DWORD>(hr)); }

const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

}  // namespace

Status ReadDesktopDirectory(const char* shellFoldersKey, std::string* directory) {
  ScopedRegKey key;
  LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, Wide(shellFoldersKey).c_str(), 0, KEY_QUERY_VALUE,
                              key.Receive());
  if (opened != ERROR_SUCCESS) return Failure("无法打开桌面文件夹的注册表项: ", static_cast<DWORD>(opened));

  wchar_t buffer[kPathBufferChars] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer;
  LONG read = RegQueryValueExW(key.Get(), kDesktopValue, nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer), &size);
  if (read != ERROR_SUCCESS) return Failure("无法读取桌面文件夹: ", static_cast<DWORD>(read));
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    return Failure("无法读取桌面文件夹: ", static_cast<DWORD>(ERROR_INVALID_DATA));
  }
  // The stored text need not end in a zero.
  std::wstring text(buffer, size / sizeof(wchar_t));
  // Not resize(): find may yield npos, which substr takes as "all".
  // cppcheck-suppress uselessCallsSubstr
  text = text.substr(0, text.find(L'\0'));
  if (type == REG_EXPAND_SZ) {
    wchar_t expanded[kPathBufferChars];
    DWORD needed = ExpandEnvironmentStringsW(text.c_str(), expanded, kPathBufferChars);
    if (needed == 0 || needed > kPathBufferChars) {
      return Failure("无法读取桌面文件夹: ", static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    }
    text = expanded;
  }
  if (text.empty()) return Failure("无法读取桌面文件夹: ", static_cast<DWORD>(ERROR_INVALID_DATA));
  *directory = Narrow(text);
  return Status::Ok();
}

Status CreateShortcutIn(const std::string& desktop, const std::string& name,
                        const std::string& description) {
  std::wstring shortcutPath = Wide(desktop + "\\" + name + ".lnk");
  if (shortcutPath.size() >= MAX_PATH) {
    return Failure("快捷方式路径过长: ", static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  }

  wchar_t module[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return Failure("无法取得程序文件名: ", GetLastError());
  std::wstring target(module, length);
  std::size_t lastBackslash = target.rfind(L'\\');
  std::wstring workingDirectory =
      lastBackslash == std::wstring::npos ? std::wstring() : target.substr(0, lastBackslash + 1);

  ScopedCoInitialize com;
  ScopedComPtr<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Receive()));
  if (FAILED(hr)) return Failure("无法创建快捷方式对象: ", hr);
  hr = link->SetPath(target.c_str());
  if (SUCCEEDED(hr)) hr = link->SetDescription(Wide(description).c_str());
  if (SUCCEEDED(hr)) hr = link->SetWorkingDirectory(workingDirectory.c_str());
  if (FAILED(hr)) return Failure("无法设置快捷方式: ", hr);

  ScopedComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Receive()));
  if (FAILED(hr)) return Failure("无法保存快捷方式: ", hr);
  hr = file->Save(shortcutPath.c_str(), TRUE);
  if (FAILED(hr)) return Failure("无法保存快捷方式: ", hr);
  return Status::Ok();
}

Status CreateDesktopShortcut(const std::string& name, const std::string& description) {
  std::string desktop;
  Status made = ReadDesktopDirectory(kShellFoldersKey, &desktop);
  if (made.ok) made = CreateShortcutIn(desktop, name, description);
  LogAction(made.ok ? "添加桌面快捷方式 " + desktop + "\\" + name + ".lnk：成功"
                    : "添加桌面快捷方式：失败，" + made.message);
  return made;
}

}  // namespace vexa
