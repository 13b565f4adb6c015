#pragma once
// The last step of a safe save: the fully written new file takes the place of
// vexa.cfg, or vexa.cfg stays (or is put back) as it was. Written against the
// few file operations it needs, so that the results Windows gives and Wine
// never does can be tried out.
#include <string>
#include <vector>

namespace vexa {

// The system error codes this step tells apart (the values of winerror.h).
enum : unsigned long {
  kErrorNone = 0,
  kErrorAccessDenied = 5,
  kErrorSharingViolation = 32,
  kErrorLockViolation = 33,
  kErrorUnableToRemoveReplaced = 1175,
  kErrorUnableToMoveReplacement = 1176,
  kErrorUnableToMoveReplacement2 = 1177,
};

// Each operation returns kErrorNone or the system's error code.
class ReplaceSystem {
 public:
  virtual ~ReplaceSystem() = default;
  virtual bool Exists(const std::string& path) = 0;
  // Gives to the attributes of the file to be replaced (not read-only) to
  // its replacement.
  virtual unsigned long CopyAttributes(const std::string& from, const std::string& to) = 0;
  virtual unsigned long ClearAttributes(const std::string& path) = 0;
  // ReplaceFileW with a backup name.
  virtual unsigned long Replace(const std::string& target, const std::string& replacement,
                                const std::string& backup) = 0;
  // MoveFileExW, written through; over an existing file only when asked.
  virtual unsigned long Move(const std::string& from, const std::string& to,
                             bool replaceExisting) = 0;
  virtual unsigned long Delete(const std::string& path) = 0;
  virtual void Pause(unsigned milliseconds) = 0;
};

// Virus scanners and indexers hold a freshly written file for a moment.
constexpr unsigned kReplaceRetryTotalMs = 1000;
constexpr unsigned kReplaceRetryPauseMs = 50;

// Errors that usually clear within a second. Windows reports a vexa.cfg held
// by another program from ReplaceFileW as "unable to remove replaced".
bool IsTransientReplaceError(unsigned long error);

struct ReplaceOutcome {
  unsigned long error = kErrorNone;  // kErrorNone: the new file is vexa.cfg now
  // After a failure: where the old vexa.cfg lies when it could not be put
  // back under its name; empty when it is where it was.
  std::string oldFileAt;
  // Files of ours that could not be removed (the new file after a failure,
  // the backup name after a success).
  std::vector<std::string> leftBehind;
};

// Puts replacement in the place of target, retrying what is transient for
// about a second. backup is a free name beside target for the old file while
// it is being replaced. On failure the replacement is removed.
ReplaceOutcome PutInPlace(ReplaceSystem& fs, const std::string& target,
                          const std::string& replacement, const std::string& backup);

// The message of a failed save: the system's reason, and truthfully where
// the old file is and what was left behind.
std::string ReplaceFailureText(const std::string& fileName, const std::string& reason,
                               const ReplaceOutcome& outcome);

}  // namespace vexa
