#include "tests/tracker/scratch_directory.h"

#include <windows.h>

#include <cstdio>

#include "base/mbcs.h"

namespace vexa::test {

namespace {

std::string UpToLastBackslash(const std::string& path) {
  return path.substr(0, FindLastCharMb(path, '\\') + 1);
}

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(dir + name + "\\");
      } else {
        SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((dir + name).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

ScratchDirectory::ScratchDirectory(const std::string& name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  char unique[64];
  std::snprintf(unique, sizeof unique, "%lu-%llu", GetCurrentProcessId(),
                static_cast<unsigned long long>(GetTickCount64()));
  std::string parent = std::string(temp) + "vexa-tracker-" + unique + "\\";
  CreateDirectoryA(parent.c_str(), nullptr);
  path_ = parent + name + "\\";
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory() {
  // Remove the unique parent made for this directory as well.
  std::string parent = path_.substr(0, path_.size() - 1);
  RemoveTree(UpToLastBackslash(parent));
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string ReadBytes(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "<missing>";
  std::string bytes;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TestExeDirectory() {
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  return UpToLastBackslash(std::string(self, n));
}

}  // namespace vexa::test
