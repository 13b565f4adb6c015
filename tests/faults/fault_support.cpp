#include "tests/faults/fault_support.h"

#include <vector>

#include "base/folder_entries_win32.h"
#include "base/wide_text.h"
#include "jobs/tracker_jobs.h"

namespace vexa::faults {

const char kSaveFailed[] = "保存设置失败：";
const char kSaved[] = "保存设置成功";

namespace {

template <typename Visit>
void ForEachEntry(const std::string& dir, Visit visit) {
  for (const FolderEntry& entry : ListFolder(dir).entries) visit(entry.name, entry.IsFolder());
}

void CollectBelow(const std::string& root, const std::string& relative,
                  std::vector<std::string>* files) {
  ForEachEntry(root + relative, [&](const std::string& name, bool isDirectory) {
    if (isDirectory) {
      CollectBelow(root, relative + name + "\\", files);
    } else {
      files->push_back(relative + name);
    }
  });
}

}  // namespace

Snapshot TakeSnapshot(const std::string& dir) {
  Snapshot files;
  ForEachEntry(dir, [&](const std::string& name, bool isDirectory) {
    // The action log records every attempt, failed ones too; the job lock
    // file is made by the first job that takes it.
    if (name.rfind("VexaPanel.log", 0) == 0 || name == "VexaPanel.lock") return;
    if (!isDirectory) files[name] = e2e::ReadFileBytes(dir + name);
  });
  return files;
}

std::string Differences(const Snapshot& before, const Snapshot& after) {
  std::string report;
  for (const auto& [name, bytes] : before) {
    auto now = after.find(name);
    if (now == after.end()) {
      report += name + " is gone; ";
    } else if (now->second != bytes) {
      report += name + " changed (" + std::to_string(bytes.size()) + " -> " +
                std::to_string(now->second.size()) + " bytes); ";
    }
  }
  for (const auto& [name, bytes] : after) {
    if (!before.count(name)) report += name + " is new; ";
  }
  return report;
}

std::vector<std::string> FilesBelow(const std::string& dir) {
  std::vector<std::string> files;
  CollectBelow(dir, "", &files);
  return files;
}

namespace {

constexpr DWORD kBoxTimeoutMs = 15000;  // a save retries a locked file for a second

std::optional<MessageBoxInfo> ReadAndClose(const Panel& panel, const std::string& screenshot) {
  auto box = e2e::WaitForMessageBox(panel.Pid(), panel.Main(), kBoxTimeoutMs);
  if (!box) return box;
  if (!screenshot.empty()) e2e::SaveScreenshot(box->window, screenshot);
  e2e::PressButton(*box, IDOK);
  return box;
}

}  // namespace

std::optional<MessageBoxInfo> ClickAndRead(const Panel& panel, HWND page, int id,
                                           const std::string& screenshot) {
  e2e::ClickItem(page, id);
  return ReadAndClose(panel, screenshot);
}

std::optional<MessageBoxInfo> ConfirmOneClick(const Panel& panel) {
  e2e::ClickItem(panel.Page(kServiceTab), IDC_SVC_ONE_CLICK);
  auto confirm = e2e::WaitForMessageBox(panel.Pid(), panel.Main(), kBoxTimeoutMs);
  if (!confirm || !confirm->HasButton(IDCANCEL) || !e2e::PressButton(*confirm, IDOK)) {
    return std::nullopt;
  }
  return e2e::WaitForMessageBox(panel.Pid(), panel.Main(), kBoxTimeoutMs);
}

std::optional<MessageBoxInfo> RunOneClick(const Panel& panel, const std::string& screenshot) {
  if (!ConfirmOneClick(panel)) return std::nullopt;
  return ReadAndClose(panel, screenshot);
}

bool NoBoxOnceOneClickStopped(const Panel& panel) {
  HWND service = panel.Page(kServiceTab);
  return e2e::WaitUntil([&] { return e2e::ItemText(service, IDC_SVC_ONE_CLICK) == kInstallIdleCaption; },
                        kBoxTimeoutMs) &&
         panel.NoBoxOnceIdle();
}

std::string SystemText(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = Narrow(std::wstring(buffer ? buffer : L"", n));
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

ULONGLONG FreeBytes(const std::string& dir) {
  ULARGE_INTEGER free = {};
  if (!GetDiskFreeSpaceExW(Wide(dir).c_str(), &free, nullptr, nullptr)) return ~0ull;
  return free.QuadPart;
}

testing::AssertionResult DiskFiller::FillLeaving(ULONGLONG leaveBytes) {
  Release();
  handle_ = CreateFileW(Wide(path_).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE)
    return testing::AssertionFailure() << "cannot create " << path_ << ": " << GetLastError();
  // Writes what is free less what is to be left; with nothing to leave, on
  // until the drive refuses even a page.
  std::string drive = path_.substr(0, 3);
  ULONGLONG free = FreeBytes(drive);
  ULONGLONG todo = free > leaveBytes ? free - leaveBytes : 0;
  std::vector<char> bytes(1 << 20, 'f');
  while (todo > 0) {
    DWORD chunk = static_cast<DWORD>(todo < bytes.size() ? todo : bytes.size());
    DWORD written = 0;
    if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr) || written == 0) break;
    todo -= written;
  }
  if (leaveBytes == 0) {
    DWORD written = 0;
    while (WriteFile(handle_, bytes.data(), 4096, &written, nullptr) && written == 4096) {
    }
  }
  FlushFileBuffers(handle_);
  ULONGLONG left = FreeBytes(drive);
  if (left > leaveBytes + 65536 || left + 65536 < leaveBytes)
    return testing::AssertionFailure() << left << " bytes free, wanted " << leaveBytes;
  return testing::AssertionSuccess() << left << " bytes free";
}

void DiskFiller::Release() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  DeleteFileW(Wide(path_).c_str());
}

}  // namespace vexa::faults
