#pragma once
// Which of the system's tables one refresh of the status line reads. The
// line is refreshed about once a second; reading every table each time cost
// more than the rest of the idle panel, so each table is read when it may
// have changed and otherwise only every few refreshes.
namespace vexa {

enum class StatusRefresh {
  kTimer,    // about once a second: reads only what may have changed
  kCurrent,  // now, all but the full service list: shown again, after a button
  kAfresh,   // after the panel's own commands that install or remove services
};

// What one reading takes afresh; the rest stays as last read.
struct StatusReads {
  bool processes = false;       // every process of the system
  bool trackerService = false;  // the tracker's own service, asked by name
  bool allServices = false;     // every service, to find the tracker's
  bool listeners = false;       // the TCP listener tables

  bool operator==(const StatusReads& other) const {
    return processes == other.processes && trackerService == other.trackerService &&
           allServices == other.allServices && listeners == other.listeners;
  }
};

// What is known before a reading.
struct StatusChanges {
  // After the panel's own commands, which may have changed anything.
  bool everything = false;
  // The line must be right now: it shows again after another tab or a
  // minimised window, or a start asks about the port.
  bool current = false;
  // A tracker process of the last reading has ended.
  bool trackerEnded = false;
  // A service was added or removed since the last reading.
  bool servicesChanged = false;
  // Whether additions and removals of services are watched at all.
  bool servicesWatched = false;
  // The tracker's service was starting or stopping at the last reading.
  bool servicePending = false;
};

class StatusSchedule {
 public:
  StatusReads Next(const StatusChanges& changes);

  // In refreshes, about seconds: how late a console started outside the
  // panel, or a service started or stopped outside it, may show.
  static constexpr unsigned kProcessesEvery = 3;
  static constexpr unsigned kServiceEvery = 3;
  // A full listing of the services is the dearest reading by far; it is due
  // when they change, and these are the safety nets.
  static constexpr unsigned kAllServicesEvery = 300;
  static constexpr unsigned kAllServicesUnwatchedEvery = 30;

 private:
  bool started_ = false;
  unsigned count_ = 0;  // refreshes since everything was read
};

}  // namespace vexa
