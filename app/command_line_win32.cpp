#include "app/command_line_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "app/program_folder_check_win32.h"
#include "backup/backup.h"
#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "backup/backup_shelf_win32.h"
#include "base/scoped_handles_win32.h"
#include "base/text_codec.h"
#include "base/wide_text.h"
#include "config/program_directory.h"
#include "log/action_log.h"
#include "log/action_log_win32.h"
#include "ui/message_box_win32.h"

namespace vexa {

namespace {

const char kFinishedLog[] = "命令行运行结束，退出码 ";

// A GUI program has no console of its own: it borrows the one it was
// started from. Output sent to a file or a pipe goes there instead, in
// the ANSI code page as a console program's would. False when there was
// neither: started from Explorer, a shortcut or a task.
bool Say(const std::string& text) {
  const std::string line = text + "\r\n";
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  // FILE_TYPE_UNKNOWN also for no handle at all.
  const DWORD type = GetFileType(out);
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
    std::string bytes;
    if (!TextToAnsi(line, &bytes)) bytes = line;
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return true;
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  const ScopedHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
  // The prompt came back when the program started: begin below it.
  const std::wstring wide = Wide("\r\n" + line);
  DWORD written = 0;
  if (console) {
    WriteConsoleW(console.Get(), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  }
  FreeConsole();
  return true;
}

// Help asked for, or a mistyped switch, from a shortcut has no console to
// answer in: a box does. A backup's result never shows one, since nobody
// may be there to close it.
void SayOrShow(const std::string& text, UINT icon) {
  if (!Say(text)) AppMessageBox(text, MB_OK | icon);
}

int Finish(int code, const std::string& said) {
  LogAction(kFinishedLog + std::to_string(code));
  Say(said);
  return code;
}

}  // namespace

std::vector<std::string> ProcessArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!list) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(list[i]));
  LocalFree(list);
  return arguments;
}

int RunPanelCommand(const PanelCommand& command) {
  if (command.kind == PanelCommand::Kind::kHelp) {
    SayOrShow(kPanelUsageText, MB_ICONINFORMATION);
    return kExitDone;
  }
  SetProgramDirectory(GetProgramDirectory());
  const std::string& directory = ProgramDirectory();
  StartActionLog(directory);
  if (command.kind != PanelCommand::Kind::kBackup) {
    LogAction("命令行参数有误：" + command.problem);
    LogAction(kFinishedLog + std::to_string(kExitBadArguments));
    SayOrShow(command.problem + "\n" + kPanelUsageText, MB_ICONWARNING);
    return kExitBadArguments;
  }
  LogAction(command.keep ? "命令行备份开始，保留最新的 " + std::to_string(command.keep) + " 个备份"
                         : std::string("命令行备份开始"));
  // As SYSTEM every night: a folder others can write to would run their code.
  const Status folder = CheckProgramFolder(directory);
  if (!folder.ok) {
    LogAction("命令行备份未进行：" + folder.message);
    return Finish(kExitFailed, folder.message);
  }
  // Held on through /keep, so that no panel restores from a folder it deletes.
  // cppcheck-suppress unreadVariable ; held for its lifetime
  const DataJobLock lock(directory);
  const BackupOutcome outcome = GuardedBackup(directory, BackupKind::kPlain);
  if (!outcome.status.ok) return Finish(kExitFailed, outcome.status.message);

  std::string said = BackupDoneMessage(false, outcome.directory, outcome.configMissing);
  int code = kExitDone;
  if (command.keep > 0) {
    const KeepOutcome kept = KeepNewestBackups(directory, command.keep, BackupFolderName(outcome.directory));
    for (const std::string& line : kept.lines) {
      LogAction(line);
      said += "\n" + line;
    }
    if (!kept.ok) code = kExitKeepIncomplete;
  }
  return Finish(code, said);
}

}  // namespace vexa
