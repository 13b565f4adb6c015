#include "jobs/restore_job.h"

#include <algorithm>
#include <optional>

#include "backup/backup_names.h"
#include "backup/backup_shelf.h"

namespace vexa {

const char kRestoreEmptyFolderText[] =
    "所选的备份目录中没有配置或数据文件（vexa.cfg、*.vexa），没有可恢复的内容：\n";
const char kRestoreFolderGoneText[] = "所选的备份目录已不存在，没有恢复任何文件：\n";

namespace {

const char kPreRestoreLine[] = "恢复之前的配置与数据文件保存在目录：\n";

// Where the files a restore replaced were kept.
std::string PreRestoreText(const std::string& preRestoreFolder) {
  if (preRestoreFolder.empty()) return "恢复之前程序目录中没有配置与数据文件，无需先备份。";
  return kPreRestoreLine + preRestoreFolder;
}

// Log lines are one line each.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

}  // namespace

std::string RestoreConfirmText(const std::string& folderPath) {
  return "确定要从以下备份恢复配置与数据文件吗？\n" + folderPath +
         "\n\n恢复之前，当前的配置与数据文件会先备份到“备份”目录中的一个新目录。";
}

std::string RestoreRefusedText(const TrackerRunCheck& check) {
  if (!check.known) {
    return "无法确定Vexa服务器是否正在运行，没有恢复备份：\n" + check.detail;
  }
  std::string text =
      "Vexa服务器正在运行，没有恢复备份。\n请先停止后台服务并关闭Vexa控制台窗口，然后再恢复。";
  if (!check.detail.empty()) text += "\n\n" + check.detail;
  return text;
}

std::string RestoreBackupFailedText(const BackupOutcome& backup) {
  if (backup.spaceShort) {
    return backup.status.message + "\n恢复需要先备份当前的配置与数据文件，所以没有恢复任何文件。";
  }
  return "未能先备份当前的配置与数据文件，没有恢复任何文件：\n" + backup.status.message;
}

std::string RestoreFailedText(const RestoreOutcome& outcome, const std::string& preRestoreFolder) {
  std::string text = "恢复备份失败：\n" + outcome.status.message + "\n\n";
  if (outcome.notUndone.empty()) {
    text += "当前的配置与数据文件都保持原样。\n";
  } else {
    text += "以下文件已是备份中的内容，未能改回：";
    for (const std::string& name : outcome.notUndone) text += "\n" + name;
    text += "\n";
  }
  return text + PreRestoreText(preRestoreFolder);
}

namespace {

// The names of one list that the other lacks, joined by "、".
std::string NamesMissingFrom(const std::vector<std::string>& names,
                             const std::vector<std::string>& other) {
  std::string joined;
  for (const std::string& name : names) {
    if (std::find(other.begin(), other.end(), name) != other.end()) continue;
    joined += (joined.empty() ? "" : "、") + name;
  }
  return joined;
}

}  // namespace

std::string RestorePlanDifference(const std::vector<std::string>& planned,
                                  const std::vector<std::string>& restored) {
  const std::string notRestored = NamesMissingFrom(planned, restored);
  const std::string unplanned = NamesMissingFrom(restored, planned);
  if (notRestored.empty() && unplanned.empty()) return "";
  std::string text = "备份目录在恢复时已与开始时不同：";
  if (!notRestored.empty()) text += "\n没有恢复（已不在备份目录中）：" + notRestored;
  if (!unplanned.empty()) text += "\n另外恢复了（开始后才出现）：" + unplanned;
  return text;
}

std::string RestoreDoneText(const RestoreReport& report) {
  std::string text = "已从备份恢复 " + std::to_string(report.restored.files) +
                     " 个配置与数据文件：\n" + report.folderPath;
  const std::string difference =
      RestorePlanDifference(report.planned, report.restored.restoredNames);
  if (!difference.empty()) text += "\n\n" + difference;
  text += "\n\n" + PreRestoreText(report.preRestoreFolder);
  if (report.noConfigBefore) text += "\n（恢复之前没有 vexa.cfg）";
  if (!report.reload.ok) {
    text += "\n\n未能重新读取 vexa.cfg，各设置页仍显示恢复之前的设置，请重新启动本程序：\n" +
            report.reload.message;
  }
  return text;
}

namespace {

// The chosen folder as it is now, after the user took time to confirm; null
// when it is gone.
std::optional<BackupFolder> ReadFolderAgain(JobSystem& system, const std::string& name) {
  const std::vector<BackupFolder> folders = system.ListBackupFolders();
  const auto found = std::find_if(folders.begin(), folders.end(),
                                  [&](const BackupFolder& folder) { return folder.name == name; });
  if (found == folders.end()) return std::nullopt;
  return *found;
}

// Whether the tracker of this directory runs now, or that cannot be told.
TrackerRunCheck LookAtTracker(JobSystem& system) {
  return JudgeTrackerRun(system.LookAtTracker(system.ConfigGet("port", kDefaultPort)).processes);
}

}  // namespace

void RestoreBackupJob(const Job& job) {
  JobPort& port = job.port;
  JobSystem& system = job.system;
  const std::optional<BackupFolder> chosen = port.ChooseBackup();
  if (!chosen) return;
  const BackupFolder& folder = *chosen;
  const std::string path = system.BackupRoot() + folder.name + "\\";
  if (folder.fileCount == 0) {
    port.Tell(kRestoreEmptyFolderText + path, "", kIconExclamation);
    return;
  }
  // Files the tracker holds cannot be replaced, and it would write its own
  // state over the restored one when it ends.
  auto refuse = [&](const TrackerRunCheck& check) {
    system.Log(OneLine("恢复备份已拒绝：" + path + "：" + RestoreRefusedText(check)));
    port.Tell(RestoreRefusedText(check), "", kIconExclamation);
  };
  // 1. Told before the user is asked, so that a yes is never answered with a no.
  TrackerRunCheck check = LookAtTracker(system);
  if (check.MayRun()) return refuse(check);
  if (!port.Ask(RestoreConfirmText(path), "", 0)) return;
  system.Log("恢复备份开始：" + path);
  if (!system.TakeJobLock()) {
    system.Log(std::string("恢复备份已拒绝：") + kDataJobBusyText);
    port.Tell(kDataJobBusyText, "", kIconExclamation);
    return;
  }
  // Stops before anything changed: the lock is released, then told.
  auto stop = [&](const std::string& log, const std::string& text) {
    system.ReleaseJobLock();
    system.Log(OneLine(log));
    port.Tell(text, "", kIconExclamation);
  };
  // 2. The tracker and the folder may have changed while the question was up.
  check = LookAtTracker(system);
  if (check.MayRun()) {
    system.ReleaseJobLock();
    return refuse(check);
  }
  const std::optional<BackupFolder> now = ReadFolderAgain(system, folder.name);
  if (!now || now->fileCount == 0) {
    const std::string text = (now ? kRestoreEmptyFolderText : kRestoreFolderGoneText) + path;
    return stop("恢复备份已停止：" + text, text);
  }
  // 3. The state before the restore, so that the restore can be undone;
  //    an empty program directory has nothing to keep.
  const BackupOutcome backup = system.BackupFiles(BackupKind::kBeforeRestore);
  if (!backup.status.ok && !backup.nothing) {
    return stop("恢复备份已停止，未能先备份当前文件：" + backup.status.message,
                RestoreBackupFailedText(backup));
  }
  system.Log(backup.nothing ? std::string("恢复备份：程序目录中没有配置与数据文件，无需先备份")
                            : "恢复备份：当前文件已备份到 " + backup.directory +
                                  (backup.configMissing ? "（没有 vexa.cfg）" : ""));
  // 4. The copy; the tracker is looked at once more right before the first
  //    live file is replaced: a console started meanwhile stops it there.
  RestoreReport report;
  report.folderPath = path;
  report.preRestoreFolder = backup.directory;
  report.noConfigBefore = backup.configMissing && !backup.nothing;
  report.planned = now->fileNames;
  report.restored = system.RestoreFiles(path, backup.directory, [&] {
    check = LookAtTracker(system);
    return check.MayRun() ? Status::Error(RestoreRefusedText(check)) : Status::Ok();
  });
  system.ReleaseJobLock();
  const RestoreOutcome& restored = report.restored;
  if (restored.stoppedBeforeReplace) return refuse(check);
  if (!restored.status.ok) {
    system.Log(OneLine("恢复备份失败：" + restored.status.message) +
               (restored.notUndone.empty() ? "；当前文件保持原样" : "；有文件未能改回"));
    // What is on disk now is what the pages must show.
    if (!restored.notUndone.empty()) system.ReloadConfiguration();
    port.Tell(RestoreFailedText(restored, backup.directory), "", kIconExclamation);
    return;
  }
  system.Log("恢复备份：已恢复 " + std::to_string(restored.files) + " 个文件，" +
             std::to_string(restored.bytes) + " 字节");
  const std::string difference = RestorePlanDifference(report.planned, restored.restoredNames);
  if (!difference.empty()) system.Log(OneLine("恢复备份：" + difference));
  // 5. The restored vexa.cfg on every page.
  report.reload = system.ReloadConfiguration();
  if (!report.reload.ok) {
    system.Log(OneLine("恢复备份：未能重新读取 vexa.cfg：" + report.reload.message));
  }
  // 6.
  system.Log("恢复备份完成：" + path);
  port.Tell(RestoreDoneText(report), "",
            report.reload.ok && difference.empty() ? kIconInformation : kIconExclamation);
}

}  // namespace vexa
