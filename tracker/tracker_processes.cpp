#include "tracker/tracker_processes.h"

#include <algorithm>

#include "base/ascii.h"
#include "tracker/tracker_commands.h"

namespace vexa {

std::string WithoutLongPathPrefix(const std::string& path) {
  if (path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\??\\", 0) == 0) return path.substr(4);
  return path;
}

namespace {

std::string TrimLeft(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first);
}

}  // namespace

bool TrackerProcesses::Owns(unsigned long pid) const {
  if (pid == 0) return false;
  return pid == servicePid || std::find(consolePids.begin(), consolePids.end(), pid) != consolePids.end();
}

std::string FileName(const std::string& path) {
  std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool BinaryPathMayRun(const std::string& binaryPath, const std::string& fileName) {
  return !fileName.empty() &&
         AsciiUpper(binaryPath).find(AsciiUpper(fileName)) != std::string::npos;
}

bool SameImagePath(const std::string& a, const std::string& b) {
  return EqualsIgnoringAsciiCase(WithoutLongPathPrefix(a), WithoutLongPathPrefix(b));
}

bool ServiceRunsImage(const std::string& binaryPath, const std::string& imagePath,
                      SamePathFunction same) {
  // The system's comparison opens both files: only a path holding the
  // image's file name can name it, however its folders are spelt.
  if (!BinaryPathMayRun(binaryPath, FileName(imagePath))) return false;
  std::string text = TrimLeft(binaryPath);
  if (!text.empty() && text[0] == '"') {
    std::size_t close = text.find('"', 1);
    return same(text.substr(1, close == std::string::npos ? std::string::npos : close - 1),
                imagePath);
  }
  if (same(text, imagePath)) return true;
  for (std::size_t blank = text.find_first_of(" \t"); blank != std::string::npos;
       blank = text.find_first_of(" \t", blank + 1)) {
    if (same(text.substr(0, blank), imagePath)) return true;
  }
  return false;
}

std::string PidText(unsigned long pid) { return "PID " + std::to_string(pid); }

TrackerProcesses FindTrackerProcesses(const std::string& trackerPath, const SystemTables& tables,
                                      SamePathFunction same) {
  TrackerProcesses found;
  found.processesRead = !tables.processes.empty();
  const ServiceEntry* chosen = nullptr;
  for (const ServiceEntry& service : tables.services) {
    if (!ServiceRunsImage(service.binaryPath, trackerPath, same)) continue;
    // Two services on one program: the one with a process tells more; else
    // the name decides, so that the line does not change with the order.
    const bool better = !chosen || (service.pid != 0) > (chosen->pid != 0) ||
                        ((service.pid != 0) == (chosen->pid != 0) &&
                         AsciiUpper(service.name) < AsciiUpper(chosen->name));
    if (better) chosen = &service;
  }
  if (chosen) {
    found.serviceState = chosen->state;
    found.servicePid = chosen->pid;
    found.serviceName = chosen->name;
    found.serviceBinaryPath = chosen->binaryPath;
  }
  for (const ProcessEntry& process : tables.processes) {
    if (process.pid == 0 || process.pid == found.servicePid) continue;
    // As for services: only an image of the tracker's file name is opened.
    if (BinaryPathMayRun(process.imagePath, kTrackerExe) && same(process.imagePath, trackerPath)) {
      found.consolePids.push_back(process.pid);
    } else if (process.imagePath.empty() && EqualsIgnoringAsciiCase(process.exeName, kTrackerExe)) {
      found.pathsUnread.push_back(process);
    }
  }
  return found;
}

}  // namespace vexa
