// The replace step against the results Windows gives and Wine never does.
#include "config/safe_replace.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace vexa {
namespace {

using Names = std::vector<std::string>;

// A folder of named files. ReplaceFileA's results are scripted, and each does
// to the files what its documentation says.
class ScriptedFiles : public ReplaceSystem {
 public:
  std::map<std::string, std::string> files;
  std::deque<unsigned long> replaceResults;  // then success
  std::deque<unsigned long> moveResults;     // then what the files allow
  std::deque<unsigned long> deleteResults;   // then what the files allow
  unsigned paused = 0;
  int replaceCalls = 0;

  bool Exists(const std::string& path) override { return files.count(path) != 0; }
  unsigned long CopyAttributes(const std::string&, const std::string&) override { return 0; }
  unsigned long ClearAttributes(const std::string&) override { return 0; }
  unsigned long Replace(const std::string& target, const std::string& replacement,
                        const std::string& backup) override {
    ++replaceCalls;
    unsigned long result = Next(replaceResults);
    switch (result) {
      case kErrorNone:
        files[backup] = files[target];
        files[target] = files[replacement];
        files.erase(replacement);
        break;
      case kErrorUnableToMoveReplacement2:  // the old file is under the backup name
        files[backup] = files[target];
        files.erase(target);
        break;
      default:  // 1175, 1176, 32, 5: both keep their names
        break;
    }
    return result;
  }
  unsigned long Move(const std::string& from, const std::string& to, bool replace) override {
    unsigned long scripted = Next(moveResults);
    if (scripted != kErrorNone) return scripted;
    if (!Exists(from)) return 2;
    if (Exists(to) && !replace) return 183;
    files[to] = files[from];
    files.erase(from);
    return kErrorNone;
  }
  unsigned long Delete(const std::string& path) override {
    unsigned long scripted = Next(deleteResults);
    if (scripted != kErrorNone) return scripted;
    return files.erase(path) != 0 ? 0ul : 2ul;
  }
  void Pause(unsigned ms) override { paused += ms; }

  Names Listing() const {
    Names names;
    for (const auto& file : files) names.push_back(file.first + "=" + file.second);
    return names;
  }

 private:
  static unsigned long Next(std::deque<unsigned long>& results) {
    if (results.empty()) return kErrorNone;
    unsigned long result = results.front();
    results.pop_front();
    return result;
  }
};

const char kCfg[] = "vexa.cfg";
const char kNew[] = "vexa.cfg.7-0.new";
const char kOld[] = "vexa.cfg.7-0.old";

ScriptedFiles Folder() {
  ScriptedFiles fs;
  fs.files = {{kCfg, "old"}, {kNew, "new"}};
  return fs;
}

TEST(SafeReplace, HeldFileIsRetriedLikeASharingViolationAndAccessDeniedIsNot) {
  struct Case {
    unsigned long error;
    int failures;  // times the error comes before success
    bool saved;
    int attempts;
  };
  const Case cases[] = {
      {kErrorUnableToRemoveReplaced, 3, true, 4},
      {kErrorSharingViolation, 2, true, 3},
      {kErrorLockViolation, 1, true, 2},
      // Held for good: about a second of attempts, then the old file as it was.
      {kErrorUnableToRemoveReplaced, 1000, false, 21},
      {kErrorAccessDenied, 1000, false, 1},
      {kErrorUnableToMoveReplacement, 1000, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    ScriptedFiles fs = Folder();
    fs.replaceResults.assign(c.failures, c.error);
    ReplaceOutcome outcome = PutInPlace(fs, kCfg, kNew, kOld);
    EXPECT_EQ(fs.replaceCalls, c.attempts);
    EXPECT_EQ(fs.paused, (c.attempts - 1) * kReplaceRetryPauseMs);
    EXPECT_TRUE(outcome.oldFileAt.empty());
    EXPECT_TRUE(outcome.leftBehind.empty());
    if (c.saved) {
      EXPECT_EQ(outcome.error, kErrorNone);
      EXPECT_EQ(fs.Listing(), Names{"vexa.cfg=new"});
    } else {
      EXPECT_EQ(outcome.error, c.error);
      EXPECT_EQ(fs.Listing(), Names{"vexa.cfg=old"});
    }
  }
}

TEST(SafeReplace, OldFileLeftUnderTheBackupNameIsMovedBackOrNamed) {
  ScriptedFiles fs = Folder();
  fs.replaceResults = {kErrorUnableToMoveReplacement2};
  ReplaceOutcome outcome = PutInPlace(fs, kCfg, kNew, kOld);
  EXPECT_EQ(outcome.error, kErrorUnableToMoveReplacement2);
  EXPECT_TRUE(outcome.oldFileAt.empty());
  EXPECT_EQ(fs.Listing(), Names{"vexa.cfg=old"});
  EXPECT_EQ(fs.replaceCalls, 1);
  EXPECT_NE(ReplaceFailureText(kCfg, "R", outcome).find("vexa.cfg 保持原样"), std::string::npos);

  // The move back fails too: the message says where the old file is, and
  // nothing is tried again.
  fs = Folder();
  fs.replaceResults = {kErrorUnableToMoveReplacement2};
  fs.moveResults = {kErrorAccessDenied};
  outcome = PutInPlace(fs, kCfg, kNew, kOld);
  EXPECT_EQ(outcome.oldFileAt, kOld);
  EXPECT_EQ(fs.Listing(), Names{"vexa.cfg.7-0.old=old"});
  EXPECT_EQ(fs.replaceCalls, 1);
  std::string text = ReplaceFailureText(kCfg, "R", outcome);
  EXPECT_EQ(text.find("保持原样"), std::string::npos) << text;
  EXPECT_NE(text.find("现在位于：\r\nvexa.cfg.7-0.old"), std::string::npos) << text;
}

TEST(SafeReplace, NoOwnFileStaysBehindAndWhatCannotGoIsNamed) {
  // The backup of a good save is removed, after a brief hold too.
  ScriptedFiles fs = Folder();
  fs.deleteResults = {kErrorSharingViolation, kErrorSharingViolation};
  ReplaceOutcome outcome = PutInPlace(fs, kCfg, kNew, kOld);
  EXPECT_EQ(outcome.error, kErrorNone);
  EXPECT_EQ(fs.Listing(), Names{"vexa.cfg=new"});
  EXPECT_TRUE(outcome.leftBehind.empty());

  // A new file that cannot be removed after a failure is named.
  fs = Folder();
  fs.replaceResults = {kErrorAccessDenied};
  fs.deleteResults.assign(100, kErrorSharingViolation);
  outcome = PutInPlace(fs, kCfg, kNew, kOld);
  EXPECT_EQ(outcome.leftBehind, Names{kNew});
  EXPECT_NE(ReplaceFailureText(kCfg, "R", outcome).find("未能删除临时文件：vexa.cfg.7-0.new"),
            std::string::npos);

  // Without a vexa.cfg the new file simply takes the name.
  fs.files = {{kNew, "new"}};
  fs.deleteResults.clear();
  outcome = PutInPlace(fs, kCfg, kNew, kOld);
  EXPECT_EQ(outcome.error, kErrorNone);
  EXPECT_EQ(fs.Listing(), Names{"vexa.cfg=new"});
  EXPECT_EQ(fs.replaceCalls, 1);  // only the earlier case's
}

}  // namespace
}  // namespace vexa
