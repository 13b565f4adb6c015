#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "backup/backup_shelf_win32.h"
#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"
#include "tests/tracker/scratch_directory.h"

namespace vexa {
namespace {

using test::ScratchDirectory;

// The lock file as another process holds it: this process's holds know
// nothing of the handle.
ScopedHandle HoldAsAnotherProcess(const std::string& directory) {
  return ScopedHandle(CreateFileW(Wide(directory + "VexaPanel.lock").c_str(),
                                  GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST(DataJobLock, IsTheHiddenLockFileInTheDirectoryHoweverItIsSpelled) {
  ScratchDirectory dir("job lock 嘰");
  ASSERT_TRUE(DataJobLock(dir.Path()).Held());
  const DWORD attributes = GetFileAttributesW(Wide(dir.Path() + "VexaPanel.lock").c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN))
      << "made hidden, and kept after the release";

  std::string slashes = dir.Path();
  std::replace(slashes.begin(), slashes.end(), '\\', '/');
  std::wstring upper = Wide(dir.Path());
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  std::vector<std::string> spellings = {dir.Path(), Narrow(upper), slashes,
                                        dir.Path() + "..\\job lock 嘰\\"};
  wchar_t shortName[MAX_PATH] = L"";
  GetShortPathNameW(Wide(dir.Path()).c_str(), shortName, MAX_PATH);
  if (*shortName && _wcsicmp(shortName, upper.c_str()) != 0) {
    spellings.push_back(Narrow(shortName));
  } else {
    std::printf("Row skipped: the system gives no 8.3 name for %s\n", dir.Path().c_str());
  }
  for (const std::string& spelling : spellings) {
    SCOPED_TRACE(spelling);
    {
      const ScopedHandle other = HoldAsAnotherProcess(dir.Path());
      ASSERT_TRUE(other);
      EXPECT_FALSE(DataJobLock(spelling).Held());
    }
    const DataJobLock job(spelling);
    EXPECT_TRUE(job.Held());
    EXPECT_FALSE(HoldAsAnotherProcess(dir.Path()));
  }
  EXPECT_TRUE(HoldAsAnotherProcess(dir.Path())) << "every job let go";
}

// The window's thread holds the job's lock while the copy's worker thread
// logs, and a full log is moved aside under the same lock. A read-only file
// planted under the lock's name can be held by nobody: jobs go ahead rather
// than stop for ever, and what was planted stays.
TEST(DataJobLock, IsReentrantWithinTheProcessAndNoPlantedFileStopsAJob) {
  ScratchDirectory dir("job lock reentrant");
  {
    const DataJobLock job(dir.Path());
    ASSERT_TRUE(job.Held());
    bool workerHeld = false;
    std::thread([&] { workerHeld = DataJobLock(dir.Path()).Held(); }).join();
    EXPECT_TRUE(workerHeld);
    EXPECT_FALSE(HoldAsAnotherProcess(dir.Path())) << "the worker's release freed the job's lock";
  }
  EXPECT_TRUE(HoldAsAnotherProcess(dir.Path()));

  const std::string name = dir.Path() + "VexaPanel.lock";
  ASSERT_TRUE(SetFileAttributesW(Wide(name).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(DataJobLock(dir.Path()).Held());
  EXPECT_TRUE(GetFileAttributesW(Wide(name).c_str()) & FILE_ATTRIBUTE_READONLY);
}

}  // namespace
}  // namespace vexa
