#pragma once
// The service page's buttons and the jobs they start.
#include "jobs/job_port.h"

namespace vexa {

struct PageJob {
  int controlId;
  void (*run)(const Job& job);
  // Its work may install or remove the tracker's service, whose binary path
  // the status line must then read afresh.
  bool mayChangeServices;
};

// The job of a button of the page; nullptr for any other id.
const PageJob* FindPageJob(int controlId);

}  // namespace vexa
