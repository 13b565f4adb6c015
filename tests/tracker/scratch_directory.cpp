#include "tests/tracker/scratch_directory.h"

#include <windows.h>

#include <cstdio>

#include "base/folder_entries_win32.h"
#include "base/wide_text.h"
#include "tests/remove_tree_win32.h"

namespace vexa::test {

namespace {

std::string UpToLastBackslash(const std::string& path) {
  return path.substr(0, path.rfind('\\') + 1);
}

}  // namespace

ScratchDirectory::ScratchDirectory(const std::string& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  // Two directories made within the same tick get parents of their own.
  static unsigned made = 0;
  char unique[64];
  std::snprintf(unique, sizeof unique, "%lu-%llu-%u", GetCurrentProcessId(),
                static_cast<unsigned long long>(GetTickCount64()), ++made);
  std::string parent = Narrow(temp) + "vexa-tracker-" + unique + "\\";
  CreateDirectoryW(Wide(parent).c_str(), nullptr);
  path_ = parent + name + "\\";
  CreateDirectoryW(Wide(path_).c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory() {
  // Remove the unique parent made for this directory as well.
  std::string parent = path_.substr(0, path_.size() - 1);
  RemoveTree(UpToLastBackslash(parent));
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* f = _wfopen(Wide(path).c_str(), L"wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string ReadBytes(const std::string& path) {
  FILE* f = _wfopen(Wide(path).c_str(), L"rb");
  if (!f) return "<missing>";
  std::string bytes;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

std::string Binary(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) & 0xFF);
  return bytes;
}

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TestExeDirectory() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  return UpToLastBackslash(Narrow(std::wstring(self, n)));
}

}  // namespace vexa::test
