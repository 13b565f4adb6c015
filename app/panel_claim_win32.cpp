#include "app/panel_claim_win32.h"

#include <cwchar>

#include "base/wide_text.h"

namespace vexa {

namespace {

constexpr wchar_t kClaimPrefix[] = L"Local\\VexaPanel ";
constexpr DWORD kPollMs = 50;

// The claim this run holds: where its main window goes once it exists.
volatile LONG64* publishedWindow = nullptr;

// The file system's own name for the directory, whatever path led to it.
bool ReadDirectoryIdentity(const std::string& directory, std::wstring* identity) {
  std::wstring path = Wide(directory);
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  ScopedHandle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle || !GetFileInformationByHandle(handle.Get(), &info)) return false;
  wchar_t text[40];
  std::swprintf(text, 40, L"%08lX-%08lX%08lX", info.dwVolumeSerialNumber, info.nFileIndexHigh,
                info.nFileIndexLow);
  *identity = text;
  return true;
}

void BringToFront(HWND window) {
  // Not waited for: a panel busy with a job would hold this start up.
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  // A box the panel shows is what the user has to answer first.
  SetForegroundWindow(GetLastActivePopup(window));
}

}  // namespace

std::wstring PanelClaimName(const std::string& directory) {
  std::wstring identity;
  if (ReadDirectoryIdentity(directory, &identity)) return kClaimPrefix + identity;
  // As the file system compares names; a backslash would name a namespace.
  std::wstring path = Wide(directory);
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  for (wchar_t& c : path) {
    if (c == L'\\') c = L'/';
  }
  return kClaimPrefix + path;
}

CPanelClaim::~CPanelClaim() {
  if (view_ && publishedWindow == view_.Get()) publishedWindow = nullptr;
}

PanelClaim CPanelClaim::TakeOrShowHolder(const std::string& directory, unsigned long waitMs) {
  const std::wstring name = PanelClaimName(directory);
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    mapping_.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(LONG64), name.c_str()));
    const DWORD error = GetLastError();
    // Created by a run with other rights (elevated or not): readable still.
    if (!mapping_ && error == ERROR_ACCESS_DENIED) {
      mapping_.Reset(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
    }
    // No claim to be had: the panel opens as it always did.
    if (!mapping_) return PanelClaim::kTaken;
    const bool taken = error == ERROR_SUCCESS;
    view_.Reset(MapViewOfFile(mapping_.Get(), taken ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0,
                              sizeof(LONG64)));
    if (taken) {
      publishedWindow = static_cast<volatile LONG64*>(view_.Get());
      return PanelClaim::kTaken;
    }
    HWND holder = nullptr;
    if (view_) {
      // An aligned 64-bit read is whole; an interlocked one would write.
      const LONG64 published = *static_cast<volatile LONG64*>(view_.Get());
      holder = reinterpret_cast<HWND>(static_cast<INT_PTR>(published));
    }
    view_.Reset();
    mapping_.Reset();
    // Null while the holder starts; no longer a window once it has closed
    // it, until it lets the claim go.
    if (holder && IsWindow(holder)) {
      BringToFront(holder);
      return PanelClaim::kHolderShown;
    }
    if (GetTickCount64() >= deadline) return PanelClaim::kHolderNotShown;
    Sleep(kPollMs);
  }
}

void PublishPanelWindow(HWND window) {
  if (!publishedWindow) return;
  InterlockedExchange64(publishedWindow, static_cast<LONG64>(reinterpret_cast<INT_PTR>(window)));
}

}  // namespace vexa
