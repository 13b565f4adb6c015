#pragma once
// Shared pieces of the fault tests: the panel started beside data files,
// snapshots of those files, boxes read and closed, a disk filled up.
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/driver.h"

namespace vexa::faults {

using e2e::MessageBoxInfo;
using e2e::Panel;
using e2e::ProgramDir;
using e2e::ShowTab;
using e2e::kAppCaption;
using e2e::kDirectoriesTab;
using e2e::kLimitsTab;
using e2e::kOptionsTab;
using e2e::kPageCaption;
using e2e::kServiceTab;

extern const char kSaveFailed[];      // the page's lead line of a failed save
extern const char kSaved[];           // "保存设置成功"

// Every plain file of a folder (not below it) with its bytes.
using Snapshot = std::map<std::string, std::string>;
Snapshot TakeSnapshot(const std::string& dir);
// Lists what differs, "" when nothing does.
std::string Differences(const Snapshot& before, const Snapshot& after);

// Plain files of a folder and all folders below it, as paths relative to it.
std::vector<std::string> FilesBelow(const std::string& dir);

// Clicks a control and returns the box that comes up, already closed with
// OK; with a name, a screenshot of the box is kept under it first.
std::optional<MessageBoxInfo> ClickAndRead(const Panel& panel, HWND page, int id,
                                           const std::string& screenshot = "");
// Clicks the one-click button and presses OK on its confirmation; returns
// the box that follows, still open.
std::optional<MessageBoxInfo> ConfirmOneClick(const Panel& panel);
// ConfirmOneClick, then the box that follows closed with OK (and kept as a
// screenshot when named).
std::optional<MessageBoxInfo> RunOneClick(const Panel& panel, const std::string& screenshot = "");
// Once the one-click button has its idle caption back (a stopped run puts
// it back as it ends) and the panel is idle: true when no box is open.
bool NoBoxOnceOneClickStopped(const Panel& panel);

// The system's text for an error code, as the panel quotes it.
std::string SystemText(DWORD error);

// Takes the free space of a drive away with one big file.
class DiskFiller {
 public:
  explicit DiskFiller(std::string path) : path_(std::move(path)) {}
  ~DiskFiller() { Release(); }
  DiskFiller(const DiskFiller&) = delete;
  DiskFiller& operator=(const DiskFiller&) = delete;

  // Fills the drive, then gives back about leaveBytes; the message says
  // how much is free afterwards.
  testing::AssertionResult FillLeaving(ULONGLONG leaveBytes);
  void Release();

 private:
  std::string path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

ULONGLONG FreeBytes(const std::string& dir);

}  // namespace vexa::faults
