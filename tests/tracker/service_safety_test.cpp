#include "tracker/service_safety.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vexa {
namespace {

using ::testing::ElementsAre;

const char kSafetyTracker[] = "C:\\p q\\vexa.exe";
const char kSafetyRuleName[] = "Vexa服务器 (C:\\p q\\vexa.exe)";

// Writes down each call to the service manager and the firewall and answers
// from a script.
struct SafetyRecordingSeams : ServiceConfigAccess, FirewallAccess {
  std::vector<std::string> calls;
  Status setPath, setRecovery, readRecovery, readProfiles, findRule, addRule, updateRule, removeRule;
  RecoverySettings stored = TrackerRecovery();
  long current = 2, enabled = 7;
  bool ruleFound = false;
  FirewallRule rule;
  std::vector<FirewallRule> written;

  Status SetBinaryPath(const std::string& path) override { return Call("set path " + path, setPath); }
  Status SetRecovery(const RecoverySettings& r) override { return Call("set recovery " + RecoveryText(r), setRecovery); }
  Status ReadRecovery(RecoverySettings* r) override { *r = stored; return Call("read recovery", readRecovery); }
  Status ReadProfiles(long* c, long* e) override { *c = current; *e = enabled; return Call("profiles", readProfiles); }
  Status FindRule(const std::string& name, FirewallRule* r, bool* any) override {
    *r = rule;
    *any = ruleFound;
    return Call("find " + name, findRule);
  }
  Status AddRule(const FirewallRule& r) override { written.push_back(r); return Call("add " + r.name, addRule); }
  Status UpdateRule(const FirewallRule& r) override { written.push_back(r); return Call("update " + r.name, updateRule); }
  Status RemoveRule(const std::string& name) override { return Call("remove " + name, removeRule); }
  Status Call(const std::string& call, const Status& answer) { calls.push_back(call); return answer; }
};

ServiceSecuring SecureWithSeams(SafetyRecordingSeams& seams, const std::string& binaryPath = "C:\\p q\\vexa.exe -service",
                                bool administrator = true, const std::string& name = "Vexa") {
  return SecureService({kSafetyTracker, name, binaryPath, administrator}, seams, seams);
}

TEST(ServiceRecovery, RestartsTwiceAfterAMinuteThenNothingAndCountsAgainAfterADay) {
  const RecoverySettings r = TrackerRecovery();
  EXPECT_THAT(r.actions, ElementsAre(FailureAction{true, 60000}, FailureAction{true, 60000},
                                     FailureAction{false, 0}));
  EXPECT_EQ(r.resetSeconds, 86400u);
  EXPECT_TRUE(r.nonZeroExitFails);
  EXPECT_EQ(RecoveryText(r),
            "第1次失败：60 秒后重启；第2次失败：60 秒后重启；第3次及以后的失败：不操作；"
            "1 天后失败计数清零；非零退出代码算作失败");
  EXPECT_EQ(RecoveryText({{{true, 1500}}, 86399, false}),
            "第1次失败：1500 毫秒后重启；86399 秒后失败计数清零；非零退出代码不算作失败");
}

// The program part is quoted where the service manager would find it; the
// arguments stay as they were.
TEST(ServicePathQuoting, QuotesTheTrackersPathOnlyWhenABlankLeavesItOpen) {
  const struct {
    const char* binaryPath;
    const char* quoted;
  } cases[] = {
      {"C:\\p q\\vexa.exe", "\"C:\\p q\\vexa.exe\""},
      {"C:\\p q\\VEXA.EXE -service  -x", "\"C:\\p q\\VEXA.EXE\" -service  -x"},
      {"C:\\p q\\vexa.exe\t-service", "\"C:\\p q\\vexa.exe\"\t-service"},
      {"\"C:\\p q\\vexa.exe\" -service", ""},
      {"C:\\p q\\vexa.exe2 -service", ""},  // another program
      {"C:\\p q\\other.exe", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuotedBinaryPath(c.binaryPath, kSafetyTracker), c.quoted) << c.binaryPath;
  EXPECT_EQ(QuotedBinaryPath("C:\\p\\vexa.exe -service", "C:\\p\\vexa.exe"), "");
}

TEST(SecureService, QuotesSetsAndReadsBackTheRecoveryAndAddsTheRuleForThisProgram) {
  SafetyRecordingSeams seams;
  const ServiceSecuring done = SecureWithSeams(seams);
  EXPECT_TRUE(done.AllOk());
  EXPECT_TRUE(done.quoted);
  EXPECT_THAT(seams.calls, ElementsAre("set path \"C:\\p q\\vexa.exe\" -service",
                                       "set recovery " + RecoveryText(TrackerRecovery()),
                                       "read recovery", std::string("find ") + kSafetyRuleName,
                                       std::string("add ") + kSafetyRuleName));
  ASSERT_EQ(seams.written.size(), 1u);
  const FirewallRule& rule = seams.written[0];
  EXPECT_EQ(rule.applicationName, kSafetyTracker);
  EXPECT_EQ(rule.grouping, "Vexa服务器");
  EXPECT_EQ(std::vector<long>({rule.protocol, rule.direction, rule.action, rule.profiles}),
            std::vector<long>({6, 1, 1, 0x7FFFFFFF}));
  EXPECT_TRUE(rule.enabled);
  EXPECT_EQ(SecuringFailureLine(done), "");

  // One rule per path: the same rule is left alone, a changed one written over.
  SafetyRecordingSeams again;
  again.ruleFound = true;
  again.rule = rule;
  EXPECT_TRUE(SecureWithSeams(again, "\"C:\\p q\\vexa.exe\"").AllOk());
  EXPECT_EQ(again.calls.back(), std::string("find ") + kSafetyRuleName);
  again.rule.enabled = false;
  EXPECT_TRUE(SecureWithSeams(again).AllOk());
  EXPECT_EQ(again.calls.back(), std::string("update ") + kSafetyRuleName);
  EXPECT_EQ(again.written.back(), rule);
}

// A step that fails is named with the system's reason and the next one runs;
// without administrator rights nothing is asked of the system at all.
TEST(SecureService, EachFailureIsReportedAndTheOtherStepsStillRun) {
  SafetyRecordingSeams wine;
  wine.readRecovery = Status::Error("参数错误 (124)");
  wine.findRule = Status::Error("未实现 (0x80004001)");
  ServiceSecuring done = SecureWithSeams(wine);
  EXPECT_TRUE(done.quoting.ok);
  EXPECT_EQ(done.recovery.message, "已写入，但无法读回：参数错误 (124)");
  EXPECT_EQ(done.firewall.message, "无法读取防火墙规则：未实现 (0x80004001)");
  EXPECT_EQ(wine.calls.back(), std::string("find ") + kSafetyRuleName);  // nothing added blindly
  EXPECT_EQ(SecuringFailureLine(done),
            "安装后未能设置：故障恢复（已写入，但无法读回：参数错误 (124)）；"
            "防火墙规则（无法读取防火墙规则：未实现 (0x80004001)）");
  EXPECT_THAT(done.log, ElementsAre("服务路径含空格而没有引号，已加上引号：\"C:\\p q\\vexa.exe\" -service",
                                    "未能设置服务的故障恢复：已写入，但无法读回：参数错误 (124)",
                                    std::string("未能设置防火墙入站规则 ") + kSafetyRuleName +
                                        "：无法读取防火墙规则：未实现 (0x80004001)"));

  SafetyRecordingSeams refused;
  refused.setPath = refused.setRecovery = refused.addRule = Status::Error("拒绝访问。 (5)");
  done = SecureWithSeams(refused);
  EXPECT_FALSE(done.quoted);
  EXPECT_EQ(refused.calls.size(), 4u);  // no read-back of what was not written
  EXPECT_EQ(SecuringFailureLine(done), "安装后未能设置：服务路径的引号（拒绝访问。 (5)）；故障恢复（拒绝访问。 (5)）；"
                                       "防火墙规则（拒绝访问。 (5)）");

  SafetyRecordingSeams otherValues;
  otherValues.stored.actions.pop_back();
  EXPECT_EQ(SecureWithSeams(otherValues).recovery.message.rfind("读回的设置不同：", 0), 0u);

  SafetyRecordingSeams noService;
  done = SecureWithSeams(noService, "", true, "");
  EXPECT_THAT(noService.calls, ElementsAre(std::string("find ") + kSafetyRuleName, std::string("add ") + kSafetyRuleName));
  EXPECT_EQ(done.recovery.message, "服务管理器中找不到运行 C:\\p q\\vexa.exe 的服务");

  SafetyRecordingSeams user;
  done = SecureWithSeams(user, "C:\\p q\\vexa.exe", false);
  EXPECT_TRUE(user.calls.empty());
  EXPECT_EQ(SecuringFailureLine(done), "安装后未能设置故障恢复和防火墙规则：需要管理员权限");
}

TEST(RemoveTrackerRule, RemovesOnlyTheRuleForThisPath) {
  const struct {
    bool found;
    const char* application;
    Status find;
    bool removed;
  } cases[] = {
      {true, "c:\\P Q\\VEXA.exe", Status::Ok(), true},
      {true, "C:\\other\\vexa.exe", Status::Ok(), false},
      {false, "", Status::Ok(), false},
      {true, kSafetyTracker, Status::Error("未实现"), false},
  };
  for (const auto& c : cases) {
    SafetyRecordingSeams seams;
    seams.ruleFound = c.found;
    seams.rule.applicationName = c.application;
    seams.findRule = c.find;
    bool removed = true;
    const Status status = RemoveTrackerRule(kSafetyTracker, seams, &removed);
    EXPECT_EQ(removed, c.removed) << c.application;
    EXPECT_EQ(status.ok, c.find.ok) << c.application;
    EXPECT_EQ(seams.calls.back() == std::string("remove ") + kSafetyRuleName, c.removed) << c.application;
  }
}

TEST(SafetyView, SaysWhetherTheFirewallLetsTheTrackerInAndWhetherRecoveryIsSet) {
  const FirewallRule ours = TrackerFirewallRule(kSafetyTracker);
  FirewallRule privateOnly = ours, disabled = ours, udp = ours;
  privateOnly.profiles = 2;
  disabled.enabled = false;
  udp.protocol = 17;
  const struct {
    long current, enabled;
    bool found;
    FirewallRule rule;
    Status read;
    const char* line;
  } cases[] = {
      {2, 7, true, ours, Status::Ok(), "防火墙：允许Vexa入站连接"},
      {6, 7, true, privateOnly, Status::Ok(), "防火墙：不允许Vexa入站连接"},
      {6, 2, true, privateOnly, Status::Ok(), "防火墙：允许Vexa入站连接"},  // public is off
      {2, 7, true, disabled, Status::Ok(), "防火墙：不允许Vexa入站连接"},
      {2, 7, true, udp, Status::Ok(), "防火墙：不允许Vexa入站连接"},
      {2, 7, false, ours, Status::Ok(), "防火墙：不允许Vexa入站连接"},
      {2, 5, false, ours, Status::Ok(), "防火墙：已关闭"},
      {2, 7, false, ours, Status::Error("未实现"), "防火墙：无法读取（未实现）"},
  };
  for (const auto& c : cases) {
    SafetyRecordingSeams seams;
    seams.current = c.current;
    seams.enabled = c.enabled;
    seams.ruleFound = c.found;
    seams.rule = c.rule;
    seams.readProfiles = c.read;
    EXPECT_EQ(FirewallLine(ReadFirewallView(kSafetyTracker, seams)), c.line) << c.current << " " << c.enabled;
  }

  SafetyRecordingSeams seams;
  EXPECT_EQ(RecoveryLine(ReadRecoveryView(nullptr)), "故障恢复：服务未安装");
  EXPECT_EQ(RecoveryLine(ReadRecoveryView(&seams)), "故障恢复：已设置（崩溃后 60 秒重启）");
  seams.stored.actions.pop_back();
  EXPECT_EQ(RecoveryLine(ReadRecoveryView(&seams)), "故障恢复：已有其他设置");
  seams.stored.actions.clear();
  EXPECT_EQ(RecoveryLine(ReadRecoveryView(&seams)), "故障恢复：未设置");
  seams.readRecovery = Status::Error("参数错误 (124)");
  EXPECT_EQ(RecoveryLine(ReadRecoveryView(&seams)), "故障恢复：无法读取（参数错误 (124)）");
}

}  // namespace
}  // namespace vexa
