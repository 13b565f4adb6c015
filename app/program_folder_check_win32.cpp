#include "app/program_folder_check_win32.h"

#include <windows.h>

#include <vector>

#include "base/process_win32.h"
#include "base/system_error_win32.h"
#include "base/wide_text.h"
#include "base/write_access_win32.h"

namespace vexa {

namespace {

const char kFolderUnsafe[] =
    "程序目录的权限不安全：本程序以管理员或 SYSTEM 身份运行，"
    "而其他用户可以替换或放入它运行的文件。";
const char kFolderUnreadable[] = "无法读取程序目录的权限，不能确认其他用户改不了本程序的文件：";
const char kFolderFix[] = "解决办法：以管理员身份运行";
const char kOrProgramFiles[] = "或把这些文件放到 Program Files 下的文件夹中。";

// icacls takes "C:\Vexa"; a backslash before the closing quote would
// escape it. A drive's root keeps its backslash and needs no quotes.
std::string IcaclsPath(const std::string& directory) {
  if (directory.size() <= 3) return directory;
  std::string path = directory;
  if (path.back() == '\\') path.pop_back();
  return "\"" + path + "\"";
}

std::string RunningExecutable() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) return Narrow(path.substr(0, length));
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string SafeFolderCommand(const std::string& directory) {
  return "icacls " + IcaclsPath(directory) +
         " /inheritance:r /grant:r *S-1-5-18:(OI)(CI)F *S-1-5-32-544:(OI)(CI)F "
         "*S-1-5-32-545:(OI)(CI)RX";
}

Status CheckProgramFolder(const std::string& directory) {
  if (!ProcessRunsElevated(true)) return Status::Ok();  // an unknown token is checked
  std::vector<std::string> trusted = AdministratorAccounts();
  trusted.push_back(ProcessUserSid());
  std::string found;
  bool writerFound = false, ownerFound = false;
  // The folder (a new DLL beside the program) and the two files it runs.
  for (const std::string& path : {directory, RunningExecutable(), directory + "VexaAdmin.dll"}) {
    std::vector<OtherWriter> others;
    if (!ReadOthersWhoMayChange(path, trusted, &others)) {
      const DWORD error = GetLastError();
      // A folder without the DLL has nothing there to replace.
      if (error == ERROR_FILE_NOT_FOUND && path != directory) continue;
      found += "\n  " + path + "：" + SystemMessage(error);
      continue;
    }
    for (const OtherWriter& other : others) {
      found += "\n  " + AccountName(other.sid) +
               (other.owner ? " 是“" + path + "”的所有者" : " 可以更改“" + path + "”");
      writerFound = true;
      ownerFound = ownerFound || other.owner;
    }
  }
  if (found.empty()) return Status::Ok();
  std::string text = (writerFound ? kFolderUnsafe : kFolderUnreadable) + found + "\n" + kFolderFix + "\n  " +
                     SafeFolderCommand(directory);
  if (ownerFound) text += "\n  icacls " + IcaclsPath(directory) + " /setowner *S-1-5-32-544 /T";
  return Status::Error(text + "\n" + kOrProgramFiles);
}

}  // namespace vexa
