#include "tracker/image_path_win32.h"

#include <optional>
#include <tuple>

#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"
#include "tracker/tracker_processes.h"

namespace vexa {

namespace {

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The volume and the file's index on it: the same for every spelling of a
// file (a subst drive, a junction, a short name, a hard link); nothing when
// the file cannot be opened.
std::optional<std::tuple<DWORD, DWORD, DWORD>> FileIdentity(const std::wstring& path) {
  // No access asked: only the identity is read, whoever holds the file.
  const ScopedHandle file(CreateFileW(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file || !GetFileInformationByHandle(file.Get(), &info)) return std::nullopt;
  return std::make_tuple(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
}

}  // namespace

std::string ImagePathOf(HANDLE process) {
  wchar_t path[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  if (!process || !QueryFullProcessImageNameW(process, 0, path, &size)) return "";
  return Narrow(std::wstring(path, size));
}

bool SameImageFile(const std::string& a, const std::string& b) {
  const std::wstring wideA = Wide(WithoutLongPathPrefix(a));
  const std::wstring wideB = Wide(WithoutLongPathPrefix(b));
  if (SameIgnoringCase(wideA, wideB)) return true;
  const auto identityA = FileIdentity(wideA);
  return identityA && identityA == FileIdentity(wideB);
}

bool ProcessRunsImage(HANDLE process, const std::string& path) {
  const std::string image = ImagePathOf(process);
  return !image.empty() && SameImageFile(image, path);
}

}  // namespace vexa
