#include "backup/restore_plan.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "base/ascii.h"
#include "tracker/status_line.h"
#include "ui/message_box_flags.h"

namespace vexa {

const char kNoBackupsText[] = "（“备份”目录中还没有备份）";
const char kRestoreEmptyFolderText[] =
    "所选的备份目录中没有配置或数据文件（vexa.cfg、*.vexa），没有可恢复的内容：\n";
const char kRestoreFolderGoneText[] = "所选的备份目录已不存在，没有恢复任何文件：\n";

namespace {

const char kDataFileSuffix[] = ".vexa";
const char kTemporarySuffix[] = ".restore.tmp";
const char kPreRestoreLine[] = "恢复之前的配置与数据文件保存在目录：\n";

// No character of GBK ends in '.', so a name that ends in these bytes ends
// in these characters.
bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
  const std::string tail(suffix);
  return text.size() > tail.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

// The time stamp of a backup name and the count of its uniqueness numbers,
// ordered as time goes; all -1 for a name that is not a backup's.
struct StampOrder {
  int parts[6] = {-1, -1, -1, -1, -1, -1};
  bool operator<(const StampOrder& other) const {
    return std::lexicographical_compare(parts, parts + 6, other.parts, other.parts + 6);
  }
  bool operator==(const StampOrder& other) const { return std::equal(parts, parts + 6, other.parts); }
};

StampOrder StampOrderOf(const std::string& name) {
  StampOrder order;
  const std::optional<BackupName> parsed = ParseBackupName(name);
  if (!parsed) return order;
  const BackupTime& time = parsed->time;
  const int parts[6] = {time.month, time.day, time.hour, time.minute, time.second,
                        parsed->extensions};
  std::copy(parts, parts + 6, order.parts);
  return order;
}

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

bool IsRestorableFileName(const std::string& name) {
  return EqualsIgnoringAsciiCase(name, kConfigFileName) ||
         EndsWithIgnoringCase(name, kDataFileSuffix);
}

void SortNewestFirst(std::vector<BackupFolder>& folders) {
  std::stable_sort(folders.begin(), folders.end(), [](const BackupFolder& a, const BackupFolder& b) {
    if (a.newestFileTime != b.newestFileTime) return a.newestFileTime > b.newestFileTime;
    if (a.createdTime != b.createdTime) return a.createdTime > b.createdTime;
    const StampOrder stampA = StampOrderOf(a.name), stampB = StampOrderOf(b.name);
    if (!(stampA == stampB)) return stampB < stampA;
    return a.name > b.name;
  });
}

std::string BackupListEntry(const BackupFolder& folder) {
  return folder.name + (folder.beforeRestore ? kPreRestoreMark : "") + "\t" +
         std::to_string(folder.fileCount) + " 个文件\t" +
         ByteSizeText(folder.totalBytes);
}

TrackerRunCheck JudgeTrackerRun(const TrackerProcesses& tracker) {
  TrackerRunCheck check;
  if (!tracker.processesRead) {
    check.known = false;
    check.detail = "无法读取正在运行的进程列表。";
    return check;
  }
  // A service on its way up or down is about to hold the files, or still does.
  const bool serviceBusy = tracker.serviceState == ServiceState::kStartPending ||
                           tracker.serviceState == ServiceState::kStopPending ||
                           tracker.serviceState == ServiceState::kRunning;
  if (tracker.AnyRunning() || serviceBusy) {
    check.running = true;
    check.detail = ServiceSegment(tracker) + "\n" + ConsoleSegment(tracker);
    return check;
  }
  if (!tracker.pathsUnread.empty()) {
    const ProcessEntry& process = tracker.pathsUnread.front();
    check.known = false;
    check.detail = "无法读取进程 " + process.exeName + " (" + PidText(process.pid) +
                   ") 的程序路径，它可能是本目录的Vexa服务器。";
  }
  return check;
}

std::string RestoreTemporaryName(const std::string& fileName) { return fileName + kTemporarySuffix; }

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
std::optional<BackupFolder> ReadFolderAgain(RestoreHost& host, const std::string& name) {
  const std::vector<BackupFolder> folders = host.ListBackupFolders();
  const auto found = std::find_if(folders.begin(), folders.end(),
                                  [&](const BackupFolder& folder) { return folder.name == name; });
  if (found == folders.end()) return std::nullopt;
  return *found;
}

}  // namespace

void RestoreBackupButton(RestoreHost& host) {
  const std::optional<BackupFolder> chosen = host.ChooseBackup();
  if (!chosen) return;
  const BackupFolder& folder = *chosen;
  const std::string path = host.BackupRoot() + folder.name + "\\";
  if (folder.fileCount == 0) {
    host.ShowAppMessage(kRestoreEmptyFolderText + path, kIconExclamation);
    return;
  }
  // 1. Files the tracker holds cannot be replaced, and it would write its
  //    own state over the restored one when it ends. Told before the user
  //    is asked, so that a yes is never answered with a no.
  const TrackerRunCheck check = host.CheckTrackerRuns();
  if (!check.known || check.running) {
    host.Log(OneLine("恢复备份已拒绝：" + path + "：" + RestoreRefusedText(check)));
    host.ShowAppMessage(RestoreRefusedText(check), kIconExclamation);
    return;
  }
  if (!host.ConfirmAppMessage(RestoreConfirmText(path))) return;
  host.Log("恢复备份开始：" + path);
  // Stops before anything changed: the lock is released, then told.
  auto stop = [&host](const std::string& log, const std::string& text) {
    host.ReleaseJobLock();
    host.Log(OneLine(log));
    host.ShowAppMessage(text, kIconExclamation);
  };
  if (!host.TakeJobLock()) {
    host.Log(std::string("恢复备份已拒绝：") + kDataJobBusyText);
    host.ShowAppMessage(kDataJobBusyText, kIconExclamation);
    return;
  }

  // 2. The folder may have changed while the question was up.
  const std::optional<BackupFolder> now = ReadFolderAgain(host, folder.name);
  if (!now || now->fileCount == 0) {
    const std::string text = (now ? kRestoreEmptyFolderText : kRestoreFolderGoneText) + path;
    return stop("恢复备份已停止：" + text, text);
  }
  // 3. The state before the restore, so that the restore can be undone;
  //    an empty program directory has nothing to keep.
  const BackupOutcome backup = host.BackupCurrentFiles();
  if (!backup.status.ok && !backup.nothing) {
    return stop("恢复备份已停止，未能先备份当前文件：" + backup.status.message,
                RestoreBackupFailedText(backup));
  }
  host.Log(backup.nothing ? std::string("恢复备份：程序目录中没有配置与数据文件，无需先备份")
                          : "恢复备份：当前文件已备份到 " + backup.directory +
                                (backup.configMissing ? "（没有 vexa.cfg）" : ""));
  // 4. The copy.
  RestoreReport report;
  report.folderPath = path;
  report.preRestoreFolder = backup.directory;
  report.noConfigBefore = backup.configMissing && !backup.nothing;
  report.planned = now->fileNames;
  report.restored = host.RestoreFiles(path, backup.directory);
  host.ReleaseJobLock();
  const RestoreOutcome& restored = report.restored;
  if (!restored.status.ok) {
    host.Log(OneLine("恢复备份失败：" + restored.status.message) +
             (restored.notUndone.empty() ? "；当前文件保持原样" : "；有文件未能改回"));
    // What is on disk now is what the pages must show.
    if (!restored.notUndone.empty()) host.ReloadConfiguration();
    host.ShowAppMessage(RestoreFailedText(restored, backup.directory), kIconExclamation);
    return;
  }
  host.Log("恢复备份：已恢复 " + std::to_string(restored.files) + " 个文件，" +
           std::to_string(restored.bytes) + " 字节");
  const std::string difference = RestorePlanDifference(report.planned, restored.restoredNames);
  if (!difference.empty()) host.Log(OneLine("恢复备份：" + difference));
  // 5. The restored vexa.cfg on every page.
  report.reload = host.ReloadConfiguration();
  if (!report.reload.ok) {
    host.Log(OneLine("恢复备份：未能重新读取 vexa.cfg：" + report.reload.message));
  }
  // 6.
  host.Log("恢复备份完成：" + path);
  host.ShowAppMessage(RestoreDoneText(report), report.reload.ok && difference.empty()
                                                   ? kIconInformation
                                                   : kIconExclamation);
}

}  // namespace vexa
