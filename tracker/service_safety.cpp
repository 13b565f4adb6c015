#include "tracker/service_safety.h"

namespace vexa {

const char kNeedsAdministrator[] = "需要管理员权限";

namespace {

constexpr unsigned kRestartDelayMs = 60000;
constexpr unsigned kDaySeconds = 24 * 60 * 60;

std::string DelayText(unsigned ms) {
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " 秒" : std::to_string(ms) + " 毫秒";
}

std::string PeriodText(unsigned seconds) {
  return seconds != 0 && seconds % kDaySeconds == 0 ? std::to_string(seconds / kDaySeconds) + " 天"
                                                    : std::to_string(seconds) + " 秒";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

RecoverySettings TrackerRecovery() {
  RecoverySettings settings;
  settings.actions = {{true, kRestartDelayMs}, {true, kRestartDelayMs}, {false, 0}};
  settings.resetSeconds = kDaySeconds;
  settings.nonZeroExitFails = true;
  return settings;
}

std::string RecoveryText(const RecoverySettings& settings) {
  std::string text;
  for (std::size_t i = 0; i < settings.actions.size(); ++i) {
    const FailureAction& action = settings.actions[i];
    // The service manager repeats the last action for every later failure.
    const bool last = i + 1 == settings.actions.size() && i > 0;
    text += "第" + std::to_string(i + 1) + (last ? "次及以后的失败：" : "次失败：");
    text += action.restart ? DelayText(action.delayMs) + "后重启；" : std::string("不操作；");
  }
  if (settings.actions.empty()) text = "失败后不操作；";
  return text + PeriodText(settings.resetSeconds) + "后失败计数清零；非零退出代码" +
         (settings.nonZeroExitFails ? "算作失败" : "不算作失败");
}

std::string QuotedBinaryPath(const std::string& binaryPath, const std::string& trackerPath,
                             SamePathFunction same) {
  if (binaryPath.empty() || binaryPath.front() == '"') return "";
  // The service manager tries the text up to each blank in turn, then the
  // whole; the program is where that names the tracker.
  for (std::size_t end = 0; end <= binaryPath.size(); ++end) {
    if (end < binaryPath.size() && !IsBlank(binaryPath[end])) continue;
    const std::string program = binaryPath.substr(0, end);
    if (!same(program, trackerPath)) continue;
    bool blank = false;
    for (char c : program) blank = blank || IsBlank(c);
    if (!blank) return "";
    return "\"" + program + "\"" + binaryPath.substr(end);
  }
  return "";
}

FirewallRule TrackerFirewallRule(const std::string& trackerPath) {
  FirewallRule rule;
  rule.name = "Vexa服务器 (" + trackerPath + ")";
  rule.description = "由 VexaPanel 添加：允许这个目录的 Vexa服务器 接受入站 TCP 连接。";
  rule.grouping = "Vexa服务器";
  rule.applicationName = trackerPath;
  rule.protocol = kFirewallTcp;
  rule.direction = kFirewallInbound;
  rule.action = kFirewallAllow;
  rule.profiles = kFirewallAllProfiles;
  rule.enabled = true;
  return rule;
}

namespace {

void SetPath(const InstalledService& service, ServiceConfigAccess& config, SamePathFunction same,
             ServiceSecuring* out) {
  const std::string quoted = QuotedBinaryPath(service.binaryPath, service.trackerPath, same);
  if (quoted.empty()) return;
  out->quoting = config.SetBinaryPath(quoted);
  out->quoted = out->quoting.ok;
  out->log.push_back(out->quoted ? "服务路径含空格而没有引号，已加上引号：" + quoted
                                 : "服务路径含空格而没有引号，未能加上引号：" + out->quoting.message);
}

void SetRecovery(ServiceConfigAccess& config, ServiceSecuring* out) {
  const RecoverySettings wanted = TrackerRecovery();
  Status set = config.SetRecovery(wanted);
  if (set.ok) {
    RecoverySettings read;
    const Status readBack = config.ReadRecovery(&read);
    if (!readBack.ok) {
      set = Status::Error("已写入，但无法读回：" + readBack.message);
    } else if (!(read == wanted)) {
      set = Status::Error("读回的设置不同：" + RecoveryText(read));
    }
  }
  out->recovery = set;
  out->log.push_back(set.ok ? "已设置服务的故障恢复：" + RecoveryText(wanted)
                            : "未能设置服务的故障恢复：" + set.message);
}

void EnsureRule(const std::string& trackerPath, FirewallAccess& firewall, ServiceSecuring* out) {
  const FirewallRule wanted = TrackerFirewallRule(trackerPath);
  FirewallRule present;
  bool found = false;
  Status done = firewall.FindRule(wanted.name, &present, &found);
  std::string what;
  if (!done.ok) {
    done = Status::Error("无法读取防火墙规则：" + done.message);
  } else if (!found) {
    done = firewall.AddRule(wanted);
    what = "已添加";
  } else if (!(present == wanted)) {
    done = firewall.UpdateRule(wanted);
    what = "已更新";
  } else {
    what = "已有";
  }
  out->firewall = done;
  out->log.push_back(done.ok ? "防火墙入站规则" + what + "：" + wanted.name
                             : "未能设置防火墙入站规则 " + wanted.name + "：" + done.message);
}

}  // namespace

ServiceSecuring SecureService(const InstalledService& service, ServiceConfigAccess& config,
                              FirewallAccess& firewall, SamePathFunction same) {
  ServiceSecuring out;
  if (!service.administrator) {
    out.quoting = out.recovery = out.firewall = Status::Error(kNeedsAdministrator);
    out.log.push_back(std::string("没有设置服务的故障恢复和防火墙规则：") + kNeedsAdministrator);
    return out;
  }
  if (service.name.empty()) {
    out.recovery = Status::Error("服务管理器中找不到运行 " + service.trackerPath + " 的服务");
    out.log.push_back("未能设置服务的故障恢复：" + out.recovery.message);
  } else {
    SetPath(service, config, same, &out);
    SetRecovery(config, &out);
  }
  EnsureRule(service.trackerPath, firewall, &out);
  return out;
}

Status RemoveTrackerRule(const std::string& trackerPath, FirewallAccess& firewall, bool* removed,
                         SamePathFunction same) {
  *removed = false;
  const std::string name = TrackerFirewallRule(trackerPath).name;
  FirewallRule present;
  bool found = false;
  Status read = firewall.FindRule(name, &present, &found);
  if (!read.ok) return Status::Error("无法读取防火墙规则：" + read.message);
  if (!found || !same(present.applicationName, trackerPath)) return Status::Ok();
  Status gone = firewall.RemoveRule(name);
  *removed = gone.ok;
  return gone;
}

FirewallView ReadFirewallView(const std::string& trackerPath, FirewallAccess& firewall,
                              SamePathFunction same) {
  FirewallView view;
  long current = 0, enabled = 0;
  Status read = firewall.ReadProfiles(&current, &enabled);
  if (read.ok && (current & enabled) == 0) {
    view.verdict = FirewallVerdict::kOff;
    return view;
  }
  FirewallRule rule;
  bool found = false;
  if (read.ok) read = firewall.FindRule(TrackerFirewallRule(trackerPath).name, &rule, &found);
  if (!read.ok) {
    view.reason = read.message;
    return view;
  }
  const long guarded = current & enabled;
  const bool allows = found && rule.enabled && rule.action == kFirewallAllow &&
                      rule.direction == kFirewallInbound && rule.protocol == kFirewallTcp &&
                      (rule.profiles & guarded) == guarded && same(rule.applicationName, trackerPath);
  view.verdict = allows ? FirewallVerdict::kAllowed : FirewallVerdict::kNotAllowed;
  return view;
}

RecoveryView ReadRecoveryView(ServiceConfigAccess* config) {
  RecoveryView view;
  if (!config) return view;
  RecoverySettings read;
  const Status status = config->ReadRecovery(&read);
  if (!status.ok) {
    view.state = RecoveryState::kUnreadable;
    view.reason = status.message;
    return view;
  }
  bool restarts = false;
  for (const FailureAction& action : read.actions) restarts = restarts || action.restart;
  view.state = read == TrackerRecovery() ? RecoveryState::kSet
               : restarts                ? RecoveryState::kOther
                                         : RecoveryState::kNotSet;
  return view;
}

std::string FirewallLine(const FirewallView& view) {
  switch (view.verdict) {
    case FirewallVerdict::kAllowed: return "防火墙：允许Vexa入站连接";
    case FirewallVerdict::kNotAllowed: return "防火墙：不允许Vexa入站连接";
    case FirewallVerdict::kOff: return "防火墙：已关闭";
    case FirewallVerdict::kUnreadable: break;
  }
  return "防火墙：无法读取（" + view.reason + "）";
}

std::string RecoveryLine(const RecoveryView& view) {
  switch (view.state) {
    case RecoveryState::kNoService: return "故障恢复：服务未安装";
    case RecoveryState::kSet: return "故障恢复：已设置（崩溃后 60 秒重启）";
    case RecoveryState::kOther: return "故障恢复：已有其他设置";
    case RecoveryState::kNotSet: return "故障恢复：未设置";
    case RecoveryState::kUnreadable: break;
  }
  return "故障恢复：无法读取（" + view.reason + "）";
}

std::string SecuringFailureLine(const ServiceSecuring& securing) {
  if (securing.AllOk()) return "";
  if (securing.firewall.message == kNeedsAdministrator &&
      securing.recovery.message == kNeedsAdministrator) {
    return std::string("安装后未能设置故障恢复和防火墙规则：") + kNeedsAdministrator;
  }
  std::string text;
  const auto add = [&text](const Status& step, const char* what) {
    if (step.ok) return;
    text += (text.empty() ? "安装后未能设置：" : "；") + std::string(what) + "（" + step.message + "）";
  };
  add(securing.quoting, "服务路径的引号");
  add(securing.recovery, "故障恢复");
  add(securing.firewall, "防火墙规则");
  return text;
}

}  // namespace vexa
