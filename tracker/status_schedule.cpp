#include "tracker/status_schedule.h"

namespace vexa {

StatusReads StatusSchedule::Next(const StatusChanges& changes) {
  StatusReads reads;
  reads.listeners = true;  // cheap, and a port changes hands without warning
  if (!started_ || changes.everything) {
    started_ = true;
    count_ = 0;
    reads.processes = reads.trackerService = reads.allServices = true;
    return reads;
  }
  ++count_;
  const bool now = changes.current || changes.trackerEnded;
  reads.processes = now || count_ % kProcessesEvery == 0;
  // A step apart from the processes, so that no one refresh pays for both.
  reads.trackerService = now || changes.servicePending || (count_ + 1) % kServiceEvery == 0;
  const unsigned allEvery = changes.servicesWatched ? kAllServicesEvery : kAllServicesUnwatchedEvery;
  reads.allServices = changes.servicesChanged || count_ % allEvery == 0;
  return reads;
}

}  // namespace vexa
