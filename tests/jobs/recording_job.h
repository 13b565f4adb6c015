// One double for every job: writes down each call in order and answers
// from a script; the user's side and the system's side alike.
#ifndef VEXA_TESTS_JOBS_RECORDING_JOB_H_
#define VEXA_TESTS_JOBS_RECORDING_JOB_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "jobs/job_port.h"

namespace vexa::test {

class RecordingJob : public JobPort, public JobSystem {
 public:
  Job AsJob() { return {*this, *this}; }
  // So that a test calls a job with the double itself.
  operator Job() { return AsJob(); }  // NOLINT(google-explicit-constructor)

  std::vector<std::string> log;
  // The status line's job texts, apart from the rest.
  std::vector<std::string> status;

  // The user.
  bool confirm = true;      // the application's questions
  bool confirmPage = true;  // a page's questions
  std::vector<bool> confirms;  // when given, answers the application's questions in turn
  bool adminGiven = true;
  std::string account = "a&b=c 管", password = "%+#";
  // As the dialog shows them: newest first; choice -1 is Cancel.
  std::vector<BackupFolder> folders = {
      {"2月1日0时0分0秒", 2, 3, 300, {"vexa.cfg", "users.vexa", "tags.vexa"}},
      {"1月1日0时0分0秒", 1, 2, 100, {"vexa.cfg", "users.vexa"}}};
  int choice = 0;

  // The system.
  bool trackerExists = true;
  std::map<std::string, std::string> config;
  Status saveResult;
  std::map<std::string, TrackerRun> runs;  // by command; default: started, 0
  Status consoleStart;
  ConsoleCloseResult closeResult;
  TrackerSnapshot snapshot;  // what LookAtTracker sees, after these in turn:
  std::vector<TrackerSnapshot> snapshots;
  // A switch exiting 0 does to snapshot's service what it says.
  bool followSwitches = true;
  bool lockFree = true;
  BackupOutcome backup{Status::Ok(), "C:\\p\\备份\\1月2日3时4分5秒\\"};
  // The list read again after the confirmation; as the dialog's without one.
  std::optional<std::vector<BackupFolder>> foldersLater;
  RestoreOutcome restore{Status::Ok(), 3, 300, {}, {"vexa.cfg", "users.vexa", "tags.vexa"}};
  Status reload;
  Status openResult;
  TrackerAnswer trackerAnswer{TrackerAnswer::Kind::kAnswered, 200, ""};

  void Tell(const std::string& text, const std::string& caption, unsigned icon) override {
    log.push_back(caption.empty() ? "app box " + std::to_string(icon) + " " + text
                                  : "page box [" + caption + "] " + std::to_string(icon) + " " + text);
  }
  bool Ask(const std::string& text, const std::string& caption, unsigned icon) override {
    if (!caption.empty()) {
      log.push_back("ask [" + caption + "] " + std::to_string(icon) + " " + text);
      return confirmPage;
    }
    log.push_back("confirm " + text);
    if (confirms.empty()) return confirm;
    const bool answer = confirms.front();
    confirms.erase(confirms.begin());
    return answer;
  }
  void ShowProgress(JobProgress where, const std::string& text) override {
    if (where == JobProgress::kInstallButton) {
      log.push_back("caption " + text);
    } else {
      status.push_back((where == JobProgress::kEnd ? "end " : "") + text);
    }
  }
  std::optional<BackupFolder> ChooseBackup() override {
    log.push_back("choose");
    if (choice < 0 || choice >= static_cast<int>(folders.size())) return std::nullopt;
    return folders[static_cast<std::size_t>(choice)];
  }
  std::optional<AdminAnswer> AskAdministrator() override {
    log.push_back("admin dialog");
    if (!adminGiven) return std::nullopt;
    return AdminAnswer{account, password};
  }

  std::string TrackerPath() override { return "C:\\p q\\vexa.exe"; }
  bool TrackerExists() override { return trackerExists; }
  std::string ConfigGet(const std::string& key, const std::string& def) override {
    auto it = config.find(key);
    return it == config.end() ? def : it->second;
  }
  Status ConfigSetAndSave(const std::string& key, const std::string& value) override {
    log.push_back("save " + key + "=" + value);
    if (saveResult.ok) config[key] = value;
    return saveResult;
  }
  Status ReloadConfiguration() override { return Record("reload", reload); }
  TrackerRun RunTrackerCommand(const std::string& command) override {
    log.push_back("run " + command);
    auto it = runs.find(command);
    TrackerRun run = it == runs.end() ? TrackerRun{} : it->second;
    const std::map<std::string, ServiceState> after = {
        {"vexa.exe -i", ServiceState::kStopped}, {"vexa.exe -start", ServiceState::kRunning},
        {"vexa.exe -stop", ServiceState::kStopped}, {"vexa.exe -U", ServiceState::kNotInstalled}};
    if (followSwitches && run.status.ok && run.exitCode == 0 && after.count(command)) {
      snapshot.processes.serviceState = after.at(command);
    }
    return run;
  }
  Status StartTrackerConsole() override { return Record("console", consoleStart); }
  ConsoleCloseResult CloseConsoleWindows() override { return Record("close consoles", closeResult); }
  // Kept apart from log, each with the call it followed, so that the
  // sequences pinned elsewhere stay as they are.
  std::vector<std::string> safety;
  ServiceSecuring securing;
  Status ruleRemoval;
  ServiceSecuring SecureInstalledService() override {
    safety.push_back("secure after " + (log.empty() ? std::string() : log.back()));
    return securing;
  }
  Status RemoveFirewallRule() override {
    safety.push_back("remove rule after " + (log.empty() ? std::string() : log.back()));
    return ruleRemoval;
  }
  TrackerSnapshot LookAtTracker(const std::string& port) override {
    log.push_back("look port " + port);
    if (snapshots.empty()) return snapshot;
    TrackerSnapshot next = snapshots.front();
    snapshots.erase(snapshots.begin());
    return next;
  }
  bool TakeJobLock() override { return Record(lockFree ? "lock" : "lock refused", lockFree); }
  void ReleaseJobLock() override { log.push_back("unlock"); }
  BackupOutcome BackupFiles(BackupKind kind) override {
    return Record(kind == BackupKind::kClearing        ? "backup clearing"
                  : kind == BackupKind::kBeforeRestore ? "backup before restore"
                                                       : "backup",
                  backup);
  }
  std::string BackupRoot() override { return "C:\\p\\备份\\"; }
  std::vector<BackupFolder> ListBackupFolders() override {
    return Record("list", foldersLater ? *foldersLater : folders);
  }
  RestoreOutcome RestoreFiles(const std::string& folder, const std::string& pre,
                              const std::function<Status()>& beforeReplace) override {
    log.push_back("restore " + folder + " keeping " + pre);
    RestoreOutcome outcome = restore;
    if (Status now = beforeReplace(); !now.ok) {
      outcome = RestoreOutcome();
      outcome.status = now;
      outcome.stoppedBeforeReplace = true;
    }
    return outcome;
  }
  TrackerAnswer SendTrackerRequest(const std::string& port, const std::string& target,
                                   unsigned waitMs) override {
    return Record("request " + port + " " + target + " " + std::to_string(waitMs), trackerAnswer);
  }
  Status ShellOpen(const std::string& target) override { return Record("open " + target, openResult); }
  void Sleep(unsigned ms) override { log.push_back("sleep " + std::to_string(ms)); }
  void Log(const std::string& text) override { log.push_back("log " + text); }

  // The calls apart from the log lines, and the log lines alone.
  std::vector<std::string> Calls() const { return Lines(false); }
  std::vector<std::string> LogLines() const { return Lines(true); }

 private:
  // Writes the call down and gives the scripted answer.
  template <typename Answer>
  Answer Record(const std::string& call, const Answer& answer) {
    log.push_back(call);
    return answer;
  }
  std::vector<std::string> Lines(bool logged) const {
    std::vector<std::string> lines;
    for (const std::string& line : log) {
      if ((line.rfind("log ", 0) == 0) == logged) lines.push_back(logged ? line.substr(4) : line);
    }
    return lines;
  }
};

}  // namespace vexa::test

#endif  // VEXA_TESTS_JOBS_RECORDING_JOB_H_
