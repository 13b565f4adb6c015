#include "tracker/image_path_win32.h"

#include "base/wide_text.h"
#include "tracker/tracker_processes.h"

namespace vexa {

namespace {

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring LongPath(const std::wstring& path) {
  DWORD size = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return path;
  std::wstring longPath(size, L'\0');
  size = GetLongPathNameW(path.c_str(), longPath.data(), size);
  if (size == 0 || size >= longPath.size()) return path;
  longPath.resize(size);
  return longPath;
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
  // Only a short name holds a tilde: the file system is asked only then.
  if (wideA.find(L'~') == std::wstring::npos && wideB.find(L'~') == std::wstring::npos) return false;
  return SameIgnoringCase(LongPath(wideA), LongPath(wideB));
}

bool ProcessRunsImage(HANDLE process, const std::string& path) {
  const std::string image = ImagePathOf(process);
  return !image.empty() && SameImageFile(image, path);
}

}  // namespace vexa
