// A full disk during a save, a backup, the one-click clearing and a restore,
// drive of its own: with-small-drive.sh mounts it and names it in
// VEXA_SMALL_DRIVE (e.g. "T:\"). The panel, vexa.cfg and the data files all
// live on that drive, as they would on a user's full disk.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/faults/fault_support.h"

namespace vexa::faults {
namespace {

using e2e::ReadFileBytes;
using e2e::SetItemText;

const char kCfg[] = "port = 6969\r\nvexa_max_conns = 80\r\nvexa_custom_title = 维克萨 嘰俓乗\r\n";
constexpr size_t kUsersSize = 1 << 20;
// users.vexa of the backup the restore test takes back: over the spare room.
constexpr size_t kRestoredSize = 12 << 20;

std::string SmallDrive() {
  const char* drive = std::getenv("VEXA_SMALL_DRIVE");
  return drive ? drive : "";
}

// The program directory on the small drive: ProgramDir makes its folder in
// the temp folder, which TMP names.
class OnSmallDrive : public testing::Test {
 protected:
  void SetUp() override {
    drive_ = SmallDrive();
    if (drive_.empty()) GTEST_SKIP() << "no small drive: run through with-small-drive.sh";
    SetEnvironmentVariableA("TMP", drive_.c_str());
    SetEnvironmentVariableA("TEMP", drive_.c_str());
    dir_.emplace();
    ASSERT_TRUE(dir_->Ready());
    ASSERT_EQ(dir_->Path().compare(0, drive_.size(), drive_), 0) << dir_->Path();
    std::string users(kUsersSize, '\0');
    for (size_t i = 0; i < users.size(); ++i) users[i] = static_cast<char>(i * 2654435761u >> 24);
    ASSERT_TRUE(dir_->Write("vexa.cfg", kCfg));
    ASSERT_TRUE(dir_->Write("users.vexa", users));
    ASSERT_TRUE(dir_->Write("tags.vexa", "tags"));
    before_ = TakeSnapshot(dir_->Path());
    filler_.emplace(drive_ + "filler.bin");
  }
  void TearDown() override {
    panel_.reset();
    filler_.reset();
    dir_.reset();
  }

  Panel& StartPanel() {
    panel_.emplace();
    EXPECT_TRUE(panel_->Start(*dir_));
    return *panel_;
  }
  std::string Changes() const { return Differences(before_, TakeSnapshot(dir_->Path())); }
  // No half-written file anywhere below the backup folder.
  void ExpectOnlyCompleteBackups() const {
    for (const std::string& file : FilesBelow(dir_->File("备份\\"))) {
      std::string name = file.substr(file.find('\\') + 1);
      auto original = before_.find(name);
      ASSERT_NE(original, before_.end()) << file;
      // Compared as a flag: the bytes of a megabyte would flood the log.
      EXPECT_TRUE(ReadFileBytes(dir_->File("备份\\") + file) == original->second)
          << file << " is not a complete copy";
    }
  }

  std::string drive_;
  std::optional<ProgramDir> dir_;
  std::optional<Panel> panel_;
  std::optional<DiskFiller> filler_;
  Snapshot before_;
};

TEST_F(OnSmallDrive, FullDiskDuringASaveKeepsVexaCfgAndTheNextSaveWorks) {
  Panel& panel = StartPanel();
  HWND options = ShowTab(panel, kOptionsTab);
  ASSERT_TRUE(SetItemText(options, IDC_OPT_SHOW_ADDED, "5"));
  ASSERT_TRUE(filler_->FillLeaving(0));

  auto box = ClickAndRead(panel, options, IDC_SAVE, "fault-full-disk-save");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kPageCaption);
  EXPECT_NE(box->text.find(kSaveFailed), std::string::npos) << box->text;
  EXPECT_NE(box->text.find(SystemText(ERROR_DISK_FULL)), std::string::npos) << box->text;
  EXPECT_EQ(box->text.find(kSaved), std::string::npos) << box->text;

  // The directories page writes a home page and the file: both refused.
  HWND directories = ShowTab(panel, kDirectoriesTab);
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_ALLOWED_DIR, "pub"));
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_UPLOAD_DIR, "upload"));
  box = ClickAndRead(panel, directories, IDC_SAVE);
  ASSERT_TRUE(box);
  EXPECT_NE(box->text.find(kSaveFailed), std::string::npos) << box->text;
  EXPECT_EQ(box->text.find(kSaved), std::string::npos) << box->text;
  EXPECT_EQ(Changes(), "");  // no temporary file left either

  // Space again: the values still on the page are saved.
  filler_->Release();
  ShowTab(panel, kOptionsTab);
  box = ClickAndRead(panel, options, IDC_SAVE);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, kSaved);
  EXPECT_NE(dir_->Read("vexa.cfg").find("vexa_show_added = 5\r\n"), std::string::npos);
  EXPECT_EQ(dir_->Read("vexa.cfg").rfind(kCfg, 0), 0u);
}

// Less room than users.vexa: the button, the one-click clearing and the
// command line all refuse before copying anything, naming both figures.
TEST_F(OnSmallDrive, ABackupThatCannotFitIsRefusedBeforeAnythingIsCopied) {
  Panel& panel = StartPanel();
  ASSERT_TRUE(filler_->FillLeaving(256ull * 1024));
  auto box = ClickAndRead(panel, panel.Page(kServiceTab), IDC_SVC_BACKUP, "fault-full-disk-backup");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kAppCaption);
  EXPECT_EQ(box->text.rfind("磁盘空间不足：备份需要 1.0 MB，磁盘只剩 ", 0), 0u) << box->text;
  EXPECT_EQ(Changes(), "");
  EXPECT_FALSE(dir_->Exists("备份"));

  box = RunOneClick(panel);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text.rfind("磁盘空间不足：", 0), 0u) << box->text;
  EXPECT_TRUE(NoBoxOnceOneClickStopped(panel));
  // Stopped before the clearing; no restart after it.
  EXPECT_EQ(dir_->StandInCalls(),
            std::vector<std::string>{"\"" + dir_->File("vexa.exe") + "\" -stop"});
  panel_.reset();
  EXPECT_TRUE(TakeSnapshot(dir_->Path())["users.vexa"] == before_["users.vexa"]);
  EXPECT_FALSE(dir_->Exists("备份"));

  const e2e::CommandRun run = e2e::RunPanelCommand(*dir_, "/backup /keep 1");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.output.rfind("磁盘空间不足：", 0), 0u) << run.output;
  EXPECT_FALSE(dir_->Exists("备份"));
}

TEST_F(OnSmallDrive, FullDiskAtTheOneClickSaveStopsBeforeTheClearing) {
  Panel& panel = StartPanel();
  ASSERT_TRUE(filler_->FillLeaving(0));
  auto box = RunOneClick(panel);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kAppCaption);
  EXPECT_NE(box->text.find("vexa.cfg"), std::string::npos) << box->text;
  EXPECT_NE(box->text.find(SystemText(ERROR_DISK_FULL)), std::string::npos) << box->text;
  EXPECT_TRUE(NoBoxOnceOneClickStopped(panel));
  EXPECT_EQ(Changes(), "");
  EXPECT_FALSE(dir_->Exists("备份"));
  EXPECT_TRUE(dir_->StandInCalls().empty());
}

TEST_F(OnSmallDrive, FullDiskDuringARestoreLeavesEveryLiveFileAsItWas) {
  Panel& panel = StartPanel();
  HWND service = panel.Page(kServiceTab);
  // Larger than the room a backup must leave, so that the backup before the
  // restore fits where the restore's copy does not.
  ASSERT_TRUE(dir_->Write("users.vexa", std::string(kRestoredSize, 'u')));
  auto box = ClickAndRead(panel, service, IDC_SVC_BACKUP);
  ASSERT_TRUE(box);
  ASSERT_EQ(box->text.rfind("配置与数据文件已备份到目录：\n", 0), 0u) << box->text;
  // Small now, so that the backup before the restore still fits.
  ASSERT_TRUE(dir_->Write("users.vexa", "changed users"));
  ASSERT_TRUE(dir_->Write("vexa.cfg", "port = 8000\r\n"));
  const Snapshot before = TakeSnapshot(dir_->Path());
  e2e::WaitForNextSecond();  // a stamp of its own for the backup before the restore
  ASSERT_TRUE(filler_->FillLeaving(kRestoredSize - (1ULL << 20)));

  e2e::ClickItem(service, IDC_SVC_RESTORE);
  auto dialog = e2e::WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(dialog);
  ASSERT_EQ(dialog->caption, "恢复备份");
  SendMessageA(e2e::Item(dialog->window, IDC_RESTORE_LIST), LB_SETCURSEL, 0, 0);
  ASSERT_TRUE(e2e::PressButton(*dialog, IDOK));
  auto confirm = e2e::WaitForMessageBox(panel.Pid(), panel.Main());
  ASSERT_TRUE(confirm);
  ASSERT_TRUE(e2e::PressButton(*confirm, IDOK));
  auto failed = e2e::WaitForMessageBox(panel.Pid(), panel.Main(), 20000);
  ASSERT_TRUE(failed);
  e2e::SaveScreenshot(failed->window, "fault-full-disk-restore");
  EXPECT_EQ(failed->caption, kAppCaption);
  EXPECT_EQ(failed->text.rfind("恢复备份失败：\nThe disk is full while accessing ", 0), 0u)
      << failed->text;
  EXPECT_NE(failed->text.find("users.vexa.restore.tmp"), std::string::npos) << failed->text;
  EXPECT_NE(failed->text.find("当前的配置与数据文件都保持原样。"), std::string::npos) << failed->text;
  EXPECT_NE(failed->text.find("恢复之前的配置与数据文件保存在目录：\n" + dir_->File("备份\\")),
            std::string::npos)
      << failed->text;
  ASSERT_TRUE(e2e::PressButton(*failed, IDOK));
  // Every live file as it was, no temporary copy left beside them.
  EXPECT_EQ(Differences(before, TakeSnapshot(dir_->Path())), "");
}

}  // namespace
}  // namespace vexa::faults
