#pragma once
// What the panel sets on the tracker's service after an installation, so
// that it keeps serving: its binary path quoted, restarts after a crash,
// and an inbound firewall rule for its program. The service manager and the
// firewall come in through two small seams, so every decision and text here
// runs without Windows.
#include <string>
#include <vector>

#include "base/status.h"
#include "tracker/tracker_processes.h"

namespace vexa {

// --- recovery ----------------------------------------------------------------

struct FailureAction {
  bool restart = false;  // false: nothing is done
  unsigned delayMs = 0;
  bool operator==(const FailureAction& o) const { return restart == o.restart && delayMs == o.delayMs; }
};

struct RecoverySettings {
  // First, second, ... failure; the last one stands for every later one.
  std::vector<FailureAction> actions;
  unsigned resetSeconds = 0;  // after this long without failure the count starts again
  bool nonZeroExitFails = false;  // a stop with an exit code other than 0 counts
  bool operator==(const RecoverySettings& o) const {
    return actions == o.actions && resetSeconds == o.resetSeconds &&
           nonZeroExitFails == o.nonZeroExitFails;
  }
};

// Restart after 60 s on the first and second failure, nothing after that,
// the count reset after a day, a non-zero exit code a failure.
RecoverySettings TrackerRecovery();
// For the log and the status line's tip, e.g. "第1次失败：60 秒后重启；…".
std::string RecoveryText(const RecoverySettings& settings);

// --- quoting -----------------------------------------------------------------

// The binary path with its program, trackerPath, put in quotes; "" when it
// needs none: quoted already, no blank in the program's path, or another
// program. An unquoted path with a blank lets a program placed at the
// blank (C:\Program.exe) run in the service's place.
std::string QuotedBinaryPath(const std::string& binaryPath, const std::string& trackerPath,
                             SamePathFunction same = SameImagePath);

// --- firewall ----------------------------------------------------------------

// The values of INetFwRule the panel writes and reads.
struct FirewallRule {
  std::string name;
  std::string description;
  std::string grouping;
  std::string applicationName;
  long protocol = 0;   // 6: TCP
  long direction = 0;  // 1: inbound
  long action = 0;     // 1: allow
  long profiles = 0;   // bits; 0x7FFFFFFF: every profile
  bool enabled = false;
  bool operator==(const FirewallRule& o) const {
    return name == o.name && description == o.description && grouping == o.grouping &&
           applicationName == o.applicationName && protocol == o.protocol &&
           direction == o.direction && action == o.action && profiles == o.profiles &&
           enabled == o.enabled;
  }
};

constexpr long kFirewallTcp = 6;
constexpr long kFirewallInbound = 1;
constexpr long kFirewallAllow = 1;
constexpr long kFirewallAllProfiles = 0x7FFFFFFF;

// One rule per program path: its name holds the path.
FirewallRule TrackerFirewallRule(const std::string& trackerPath);

// The firewall as the panel uses it (INetFwPolicy2).
class FirewallAccess {
 public:
  virtual ~FirewallAccess() = default;
  // The profiles in force now, and which of them have the firewall on.
  virtual Status ReadProfiles(long* current, long* enabled) = 0;
  // The rule of that name; *found false when there is none.
  virtual Status FindRule(const std::string& name, FirewallRule* rule, bool* found) = 0;
  virtual Status AddRule(const FirewallRule& rule) = 0;
  // Writes every value of rule into the existing rule of its name.
  virtual Status UpdateRule(const FirewallRule& rule) = 0;
  virtual Status RemoveRule(const std::string& name) = 0;
};

// One service of the service manager, by name.
class ServiceConfigAccess {
 public:
  virtual ~ServiceConfigAccess() = default;
  virtual Status SetBinaryPath(const std::string& binaryPath) = 0;
  virtual Status SetRecovery(const RecoverySettings& settings) = 0;
  virtual Status ReadRecovery(RecoverySettings* settings) = 0;
};

// --- after an installation --------------------------------------------------

// What the installation left, as the status line's query found it.
struct InstalledService {
  std::string trackerPath;
  std::string name;        // "" when no service runs trackerPath
  std::string binaryPath;
  bool administrator = true;
};

// Each step's outcome; a failure holds the system's reason.
struct ServiceSecuring {
  Status quoting;
  bool quoted = false;  // the path was changed
  Status recovery;
  Status firewall;
  std::vector<std::string> log;  // one line each step
  bool AllOk() const { return quoting.ok && recovery.ok && firewall.ok; }
};

extern const char kNeedsAdministrator[];  // "需要管理员权限"

// Quotes the path, sets and reads back the recovery, makes sure of the
// firewall rule; a step that fails does not stop the next one.
ServiceSecuring SecureService(const InstalledService& service, ServiceConfigAccess& config,
                              FirewallAccess& firewall, SamePathFunction same = SameImagePath);

// "删除后台服务": removes the panel's rule for trackerPath; a rule of that
// name for another program is left alone. ok with *removed false when
// there was none.
Status RemoveTrackerRule(const std::string& trackerPath, FirewallAccess& firewall, bool* removed,
                         SamePathFunction same = SameImagePath);

// --- shown in the status line's tip -------------------------------------------

enum class FirewallVerdict { kAllowed, kNotAllowed, kOff, kUnreadable };

struct FirewallView {
  FirewallVerdict verdict = FirewallVerdict::kUnreadable;
  std::string reason;  // kUnreadable: why
};
// Allowed when the firewall is off in every profile in force, or the
// panel's enabled rule lets the program in on each of them.
FirewallView ReadFirewallView(const std::string& trackerPath, FirewallAccess& firewall,
                              SamePathFunction same = SameImagePath);

enum class RecoveryState { kNoService, kSet, kOther, kNotSet, kUnreadable };
struct RecoveryView {
  RecoveryState state = RecoveryState::kNoService;
  std::string reason;  // kUnreadable: why
};
RecoveryView ReadRecoveryView(ServiceConfigAccess* config);

std::string FirewallLine(const FirewallView& view);  // "防火墙：允许Vexa入站连接"
std::string RecoveryLine(const RecoveryView& view);  // "故障恢复：已设置"
// The tip's last line after an installation whose settings did not all go
// through; "" when they did.
std::string SecuringFailureLine(const ServiceSecuring& securing);

}  // namespace vexa
