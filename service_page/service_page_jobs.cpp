#include "service_page/service_page_jobs.h"

#include "jobs/restore_job.h"
#include "jobs/tracker_jobs.h"
#include "resources/resource.h"

namespace vexa {

namespace {

const PageJob kPageJobs[] = {
    {IDC_SVC_INSTALL, InstallServiceJob, true},
    {IDC_SVC_START, StartServiceJob, false},
    {IDC_SVC_STOP, StopServiceJob, false},
    {IDC_SVC_REMOVE, RemoveServiceJob, true},
    {IDC_SVC_CONSOLE_START, StartConsoleButton, false},
    {IDC_SVC_CONSOLE_CLOSE, CloseConsoleButton, false},
    {IDC_SVC_WEB_MAIN, OpenWebMainPage, false},
    {IDC_SVC_WEB_FILES, OpenWebFileDirectory, false},
    {IDC_SVC_BACKUP, BackupButton, false},
    {IDC_SVC_RESTORE, RestoreBackupJob, false},
    // Both run "-U" and "-i" among their commands.
    {IDC_SVC_RESTART, RestartButton, true},
    {IDC_SVC_ONE_CLICK, RunOneClickInstallation, true},
};

}  // namespace

const PageJob* FindPageJob(int controlId) {
  for (const PageJob& job : kPageJobs) {
    if (job.controlId == controlId) return &job;
  }
  return nullptr;
}

}  // namespace vexa
