#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "base/system_error_win32.h"
#include "base/wide_text.h"
#include "config/config_file_win32.h"
#include "config/config_store.h"
#include "tests/config/temp_directory_win32.h"
#include "tests/tracker/scratch_directory.h"

namespace vexa {
namespace {

using Names = std::vector<std::string>;
using test::ReadBytes;
using test::WriteBytes;

// Another program holding vexa.cfg open without sharing it.
class ExclusiveHold {
 public:
  explicit ExclusiveHold(const std::string& path)
      : handle_(CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr)) {}
  ~ExclusiveHold() { Release(); }
  ExclusiveHold(const ExclusiveHold&) = delete;
  ExclusiveHold& operator=(const ExclusiveHold&) = delete;
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Held()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

const char kOriginal[] = "port = 80\r\nvexa_file_dir = 数据嘰\r\nunknown_key = kept\r\n";

// A vexa.cfg holding kOriginal in a scratch folder, and a store of it (not loaded).
struct OriginalCfg {
  OriginalCfg() { WriteBytes(cfg, kOriginal); }
  TempDirectory temp;
  std::string cfg = temp / "vexa.cfg";
  CWinConfigFile file{cfg};
  ConfigStore store{file};
};

TEST(ConfigFileOnDisk, LoadAndSaveUseTheirPathWhateverTheWorkingDirectory) {
  TempDirectory temp;
  TempDirectory elsewhere;
  WorkingDirectory cwd(elsewhere.Path());
  WriteBytes(elsewhere / "vexa.cfg", "port = 1\r\n");
  CWinConfigFile file(temp / kConfigFileName);
  ConfigStore store(file);
  store.Load();
  EXPECT_TRUE(store.Entries().empty());
  EXPECT_TRUE(temp.Names().empty());

  store.Set("port", "6969");
  store.Set("allowed_dir", "嘰\\俓");
  ASSERT_TRUE(store.Save().ok);
  EXPECT_EQ(ReadBytes(temp / "vexa.cfg"), "port = 6969\r\nallowed_dir = 嘰\\俓\r\n");
  EXPECT_EQ(temp.Names(), Names{"vexa.cfg"});
  EXPECT_EQ(ReadBytes(elsewhere / "vexa.cfg"), "port = 1\r\n");

  WriteBytes(temp / "vexa.cfg", "a1 =  x \nb1=y\r\n\r\nz=lost\n");
  ConfigStore again(file);
  again.Load();
  ASSERT_TRUE(again.Save().ok);
  EXPECT_EQ(ReadBytes(temp / "vexa.cfg"), "a1 = x\r\nb1 = y\r\n");
}

TEST(ConfigFileOnDisk, SaveReplacesTheFileKeepingItsAttributes) {
  OriginalCfg c;
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesW(Wide(c.cfg).c_str(), kept));
  c.store.Load();
  c.store.Set("port", "6969");
  ASSERT_TRUE(c.store.Save().ok);
  EXPECT_EQ(ReadBytes(c.cfg), "port = 6969\r\nvexa_file_dir = 数据嘰\r\nunknown_key = kept\r\n");
  EXPECT_EQ(GetFileAttributesW(Wide(c.cfg).c_str()), kept);
  EXPECT_EQ(c.temp.Names(), Names{"vexa.cfg"});
}

TEST(ConfigFileOnDisk, SaveAgainstAFileHeldOpenLeavesItUntouched) {
  OriginalCfg c;
  const std::string& cfg = c.cfg;
  ConfigStore& store = c.store;
  store.Load();
  store.Set("port", "6969");

  ExclusiveHold other(cfg);
  ASSERT_TRUE(other.Held());
  Status status = store.Save();
  other.Release();

  EXPECT_FALSE(status.ok);
  EXPECT_NE(status.message.find(cfg), std::string::npos) << status.message;
  EXPECT_NE(status.message.find(SystemMessage(ERROR_SHARING_VIOLATION)), std::string::npos)
      << status.message;
  EXPECT_NE(status.message.find("没有被改动"), std::string::npos);
  EXPECT_EQ(ReadBytes(cfg), kOriginal);
  EXPECT_EQ(c.temp.Names(), Names{"vexa.cfg"});
  EXPECT_EQ(store.Get("port", ""), "6969");

  // Once the other program lets go, the same store saves.
  ASSERT_TRUE(store.Save().ok);
  EXPECT_EQ(ReadBytes(cfg), "port = 6969\r\nvexa_file_dir = 数据嘰\r\nunknown_key = kept\r\n");
}

TEST(ConfigFileOnDisk, SaveWaitsOutABriefLock) {
  OriginalCfg c;
  c.store.Load();
  c.store.Set("port", "6969");

  ExclusiveHold scanner(c.cfg);
  ASSERT_TRUE(scanner.Held());
  std::thread release([&] {
    Sleep(300);
    scanner.Release();
  });
  Status status = c.store.Save();
  release.join();
  EXPECT_TRUE(status.ok) << status.message;
  EXPECT_EQ(ReadBytes(c.cfg).substr(0, 13), "port = 6969\r\n");
  EXPECT_EQ(c.temp.Names(), Names{"vexa.cfg"});
}

TEST(ConfigFileOnDisk, FileLockedAtLoadIsNeverOverwritten) {
  OriginalCfg c;
  const std::string& cfg = c.cfg;
  ConfigStore& store = c.store;
  {
    ExclusiveHold other(cfg);
    ASSERT_TRUE(other.Held());
    store.Load();
  }
  EXPECT_TRUE(store.Entries().empty());
  EXPECT_EQ(store.Get("port", "80"), "80");
  store.Set("port", "6969");
  Status status = store.Save();
  EXPECT_FALSE(status.ok);
  EXPECT_NE(status.message.find("程序启动时无法读取 vexa.cfg"), std::string::npos);
  EXPECT_NE(status.message.find(SystemMessage(ERROR_SHARING_VIOLATION)), std::string::npos)
      << status.message;
  EXPECT_EQ(ReadBytes(cfg), kOriginal);
  EXPECT_EQ(c.temp.Names(), Names{"vexa.cfg"});
}

TEST(ConfigFileOnDisk, ChangesByAnotherProgramAreSeenUntilTheFileIsReadAgain) {
  OriginalCfg c;
  const std::string& cfg = c.cfg;
  CWinConfigFile& file = c.file;
  ConfigStore& store = c.store;
  EXPECT_NE(file.LastWriteTime(), 0u);
  store.Load();
  EXPECT_FALSE(store.OutsideChangeNow().has_value());
  store.Set("port", "6969");
  ASSERT_TRUE(store.Save().ok);
  EXPECT_FALSE(store.OutsideChangeNow().has_value());  // its own save is no outside change

  // Same size, one byte different, written within the same second.
  std::string edited = ReadBytes(cfg);
  edited[7] = '7';
  WriteBytes(cfg, edited);
  EXPECT_TRUE(store.OutsideChangeNow().has_value());
  ASSERT_TRUE(store.Reload().ok);
  EXPECT_FALSE(store.OutsideChangeNow().has_value());
  EXPECT_EQ(store.Get("port", ""), "7969");

  ASSERT_TRUE(DeleteFileW(Wide(cfg).c_str()));
  EXPECT_TRUE(store.OutsideChangeNow().has_value());
  EXPECT_EQ(file.LastWriteTime(), 0u);
}

TEST(ConfigFileOnDisk, FailedSavesLeaveNoFilesBehind) {
  TempDirectory temp;
  std::string cfg = temp / "vexa.cfg";
  WriteBytes(cfg, kOriginal);
  ASSERT_TRUE(SetFileAttributesW(Wide(cfg).c_str(), FILE_ATTRIBUTE_READONLY));
  const DWORD attributes = GetFileAttributesW(Wide(cfg).c_str());
  CWinConfigFile readOnly(cfg);
  Status status = readOnly.Write("port = 1\r\n");
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(ReadBytes(cfg), kOriginal);
  EXPECT_EQ(GetFileAttributesW(Wide(cfg).c_str()), attributes);
  EXPECT_EQ(temp.Names(), Names{"vexa.cfg"});

  CWinConfigFile nowhere(temp / "missing\\vexa.cfg");
  std::string bytes = "stale";
  std::string reason;
  EXPECT_EQ(nowhere.Read(&bytes, &reason), ConfigFile::ReadOutcome::Missing);
  status = nowhere.Write("port = 1\r\n");
  EXPECT_FALSE(status.ok);
  EXPECT_NE(status.message.find(SystemMessage(ERROR_PATH_NOT_FOUND)), std::string::npos)
      << status.message;
  EXPECT_EQ(temp.Names(), Names{"vexa.cfg"});
}

}  // namespace
}  // namespace vexa
