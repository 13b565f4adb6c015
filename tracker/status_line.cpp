#include "tracker/status_line.h"

#include "base/ascii.h"

namespace vexa {

namespace {

const char kPartSeparator[] = " | ";
const char kUnknownProgram[] = "未知程序";

}  // namespace

std::string PortHolderText(const PortHolder& holder) {
  if (holder.use == PortUse::kOther) return holder.name + " (" + PidText(holder.pid) + ")";
  return kUnknownProgram;
}

bool ParsePort(const std::string& text, unsigned* port) { return ParseDecimal(text, 1, 65535, port); }

PortHolder FindPortHolder(const std::string& portText, const SystemTables& tables,
                          const TrackerProcesses& tracker) {
  PortHolder holder;
  unsigned port = 0;
  if (!ParsePort(portText, &port)) {
    holder.use = PortUse::kInvalid;
    return holder;
  }
  bool trackerListens = false;
  for (const TcpListener& listener : tables.listeners) {
    if (listener.port != port) continue;
    // The port is the tracker's only when every listener on it (either
    // address family, every address) is: a request sent to it may reach
    // any of them.
    if (tracker.Owns(listener.pid)) {
      trackerListens = true;
      continue;
    }
    if (holder.use == PortUse::kOther) continue;
    holder.use = PortUse::kUnknownOwner;
    if (listener.pid == 0) continue;
    for (const ProcessEntry& process : tables.processes) {
      if (process.pid == listener.pid && !process.exeName.empty()) {
        holder = {PortUse::kOther, process.pid, process.exeName};
        break;
      }
    }
  }
  if (trackerListens && holder.use == PortUse::kFree) holder.use = PortUse::kTracker;
  return holder;
}

bool PortHolderUnlisted(const std::string& portText, const SystemTables& tables) {
  unsigned port = 0;
  if (!ParsePort(portText, &port)) return false;
  for (const TcpListener& listener : tables.listeners) {
    if (listener.port != port || listener.pid == 0) continue;
    bool listed = false;
    for (const ProcessEntry& process : tables.processes) listed = listed || process.pid == listener.pid;
    if (!listed) return true;
  }
  return false;
}

std::string ServiceSegment(const TrackerProcesses& tracker) {
  switch (tracker.serviceState) {
    case ServiceState::kNotInstalled: return "服务：未安装";
    case ServiceState::kStopped: return "服务：已停止";
    case ServiceState::kStartPending: return "服务：正在启动";
    case ServiceState::kStopPending: return "服务：正在停止";
    case ServiceState::kRunning: break;
  }
  if (tracker.servicePid == 0) return "服务：运行中";
  return "服务：运行中 (" + PidText(tracker.servicePid) + ")";
}

std::string ConsoleSegment(const TrackerProcesses& tracker) {
  if (tracker.consolePids.empty()) return "控制台：未运行";
  std::string text = "控制台：运行中 (PID ";
  for (std::size_t i = 0; i < tracker.consolePids.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(tracker.consolePids[i]);
  }
  return text + ")";
}

std::string PortSegment(const std::string& portText, const PortHolder& holder) {
  const std::string head = "端口 " + portText + "：";
  switch (holder.use) {
    case PortUse::kFree: return head + "空闲";
    case PortUse::kTracker: return head + "Vexa 监听中";
    case PortUse::kInvalid: return head + "无效";
    case PortUse::kOther:
    case PortUse::kUnknownOwner: break;
  }
  return head + "被 " + PortHolderText(holder) + " 占用";
}

std::string StatusLineText(const TrackerProcesses& tracker, const std::string& portText,
                           const PortHolder& holder) {
  return ServiceSegment(tracker) + kPartSeparator + ConsoleSegment(tracker) + kPartSeparator +
         PortSegment(portText, holder);
}

std::string PortQuestionText(const std::string& portText, const PortHolder& holder,
                             const TrackerProcesses& tracker) {
  if (holder.use != PortUse::kOther && holder.use != PortUse::kUnknownOwner) return "";
  if (tracker.AnyRunning()) return "";
  return "端口 " + portText + " 已被其他程序占用：" + PortHolderText(holder) +
         "。\nVexa服务器可能无法在这个端口上监听。\n\n仍要启动吗?";
}

TrackerRunCheck JudgeTrackerRun(const TrackerProcesses& tracker) {
  TrackerRunCheck check;
  if (!tracker.processesRead) {
    check.known = false;
    check.detail = "无法读取正在运行的进程列表。";
    return check;
  }
  // A service on its way up or down is about to hold the files, or still does.
  const bool serviceBusy = tracker.serviceState == ServiceState::kStartPending ||
                           tracker.serviceState == ServiceState::kStopPending ||
                           tracker.serviceState == ServiceState::kRunning;
  if (tracker.AnyRunning() || serviceBusy) {
    check.running = true;
    check.detail = ServiceSegment(tracker) + "\n" + ConsoleSegment(tracker);
    return check;
  }
  if (!tracker.pathsUnread.empty()) {
    check.known = false;
    check.detail = UnreadPathText(tracker.pathsUnread.front());
  }
  return check;
}

std::string UnreadPathText(const ProcessEntry& process) {
  return "无法读取进程 " + process.exeName + " (" + PidText(process.pid) +
         ") 的程序路径，它可能是本目录的Vexa服务器。";
}

}  // namespace vexa
