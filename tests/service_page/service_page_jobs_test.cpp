#include "service_page/service_page_jobs.h"

#include <gtest/gtest.h>

#include "jobs/restore_job.h"
#include "jobs/tracker_jobs.h"

namespace vexa {
namespace {

// Each button starts its job; only the jobs that may leave a new service
// behind make the status line read every service's binary path afresh.
TEST(ServicePageJobs, EachButtonStartsItsJob) {
  const struct {
    int id;
    void (*run)(const Job&);
    bool mayChangeServices;
  } rows[] = {
      {1008, InstallServiceJob, true},       {1005, StartServiceJob, false},
      {1006, StopServiceJob, false},         {1007, RemoveServiceJob, true},
      {1009, StartConsoleButton, false},     {1010, CloseConsoleButton, false},
      {1056, OpenWebMainPage, false},        {1055, OpenWebFileDirectory, false},
      {1075, BackupButton, false},           {1091, RestoreBackupJob, false},
      {1076, RestartButton, true},           {1074, RunOneClickInstallation, true},
  };
  for (const auto& row : rows) {
    const PageJob* job = FindPageJob(row.id);
    ASSERT_NE(job, nullptr) << row.id;
    EXPECT_EQ(job->run, row.run) << row.id;
    EXPECT_EQ(job->mayChangeServices, row.mayChangeServices) << row.id;
  }
  for (int id : {1053, 1052, 1090, 1, 2, 0}) EXPECT_EQ(FindPageJob(id), nullptr) << id;
}

}  // namespace
}  // namespace vexa
