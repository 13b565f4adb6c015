#include "config/safe_replace.h"

namespace vexa {

namespace {

// Removes a file of ours, clearing a read-only attribute it may have taken
// over from vexa.cfg and waiting out a brief hold.
bool RemoveOwnFile(ReplaceSystem& fs, const std::string& path) {
  unsigned waited = 0;
  for (;;) {
    unsigned long error = fs.Delete(path);
    if (error == kErrorNone || !fs.Exists(path)) return true;
    if (error == kErrorAccessDenied) {
      if (fs.ClearAttributes(path) == kErrorNone && fs.Delete(path) == kErrorNone) return true;
    }
    if (waited >= kReplaceRetryTotalMs) return false;
    fs.Pause(kReplaceRetryPauseMs);
    waited += kReplaceRetryPauseMs;
  }
}

// After a failed replace: the old file goes back under its name if it was
// left under the backup name. False when it could not, with the outcome
// saying where it is.
bool PutOldFileBack(ReplaceSystem& fs, const std::string& target, const std::string& backup,
                    ReplaceOutcome* outcome) {
  if (!fs.Exists(backup)) return true;
  if (fs.Exists(target)) {
    // Both names are there: vexa.cfg was never moved; the backup is a copy.
    if (!RemoveOwnFile(fs, backup)) outcome->leftBehind.push_back(backup);
    return true;
  }
  if (fs.Move(backup, target, false) == kErrorNone) return true;
  outcome->oldFileAt = backup;
  return false;
}

// One attempt. ReplaceFileW's documented failures with a backup name:
// 1175 moved nothing; 1176 left both files under their names; 1177 left the
// old file under the backup name. Wine may also have moved the old file
// away before failing, so the backup name is looked at after every failure.
unsigned long TryOnce(ReplaceSystem& fs, const std::string& target, const std::string& replacement,
                      const std::string& backup, ReplaceOutcome* outcome) {
  if (!fs.Exists(target)) return fs.Move(replacement, target, true);
  unsigned long error = fs.CopyAttributes(target, replacement);
  if (error != kErrorNone) return error;
  error = fs.Replace(target, replacement, backup);
  if (error == kErrorNone) {
    if (!RemoveOwnFile(fs, backup)) outcome->leftBehind.push_back(backup);
    return kErrorNone;
  }
  if (!fs.Exists(target) && !fs.Exists(backup)) {
    // The old file is gone whatever happened to it: the new one is all that
    // is left of the settings, so it takes the name rather than being removed.
    return fs.Move(replacement, target, false) == kErrorNone ? kErrorNone : error;
  }
  PutOldFileBack(fs, target, backup, outcome);
  return error;
}

}  // namespace

bool IsTransientReplaceError(unsigned long error) {
  return error == kErrorSharingViolation || error == kErrorLockViolation ||
         error == kErrorUnableToRemoveReplaced;
}

ReplaceOutcome PutInPlace(ReplaceSystem& fs, const std::string& target,
                          const std::string& replacement, const std::string& backup) {
  ReplaceOutcome outcome;
  unsigned waited = 0;
  for (;;) {
    outcome.error = TryOnce(fs, target, replacement, backup, &outcome);
    // Once the old file is out of place, trying again could only make it worse.
    if (outcome.error == kErrorNone || !outcome.oldFileAt.empty() ||
        !IsTransientReplaceError(outcome.error) || waited >= kReplaceRetryTotalMs) {
      break;
    }
    fs.Pause(kReplaceRetryPauseMs);
    waited += kReplaceRetryPauseMs;
  }
  if (outcome.error != kErrorNone && !RemoveOwnFile(fs, replacement)) {
    outcome.leftBehind.push_back(replacement);
  }
  return outcome;
}

std::string ReplaceFailureText(const std::string& fileName, const std::string& reason,
                               const ReplaceOutcome& outcome) {
  std::string text = "无法保存 " + fileName + "：" + reason;
  if (outcome.oldFileAt.empty()) {
    text += "\r\n" + fileName + " 保持原样，没有被改动。";
  } else {
    text += "\r\n原来的 " + fileName + " 未能放回原处，现在位于：\r\n" + outcome.oldFileAt +
            "\r\n请把它改名为 " + fileName + "。";
  }
  for (const std::string& name : outcome.leftBehind) text += "\r\n未能删除临时文件：" + name;
  return text;
}

}  // namespace vexa
