// Restoring a backup with the real VexaPanel.exe: the button 1091 "恢复备份数据",
// the dialog "恢复备份", the confirmation, the files, the pages and the log.
#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "backup/backup_names.h"
#include "backup/backup_shelf_win32.h"
#include "backup/restore_plan.h"
#include "base/byte_size.h"
#include "base/text_codec.h"
#include "resources/resource.h"
#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {

constexpr char kBackupLead[] = "配置与数据文件已备份到目录：\n";
constexpr char kCfg[] = "port = 7000\r\nvexa_max_conns = 80\r\nvexa_custom_title = 维克萨 嘰\r\n";

std::string Data(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed) >> 1);
  return bytes;
}

// Folder names below the backup root.
std::vector<std::string> BackupFolders(const ProgramDir& dir) {
  return DirectoryEntries(dir.File("备份\\"), true);
}

// The service page with the backup and restore buttons.
struct RestorePanel : ServicePage {
  using ServicePage::ServicePage;
  // A backup with the button; the folder its message names.
  std::string Backup() {
    auto box = Click(IDC_SVC_BACKUP);
    if (!box) return "";
    PressButton(*box, IDOK);
    if (box->text.rfind(kBackupLead, 0) != 0) return "";
    return box->text.substr(sizeof kBackupLead - 1);
  }
  // The dialog "恢复备份", open.
  std::optional<MessageBoxInfo> OpenDialog() {
    auto dialog = Click(IDC_SVC_RESTORE);
    if (dialog) {
      EXPECT_EQ(dialog->caption, "恢复备份");
    }
    return dialog;
  }
};

TEST(Restore, BringsBackTheBackupKeepsTheChangedFilesAndShowsTheRestoredPort) {
  RestorePanel s("恢复 a&b");
  const std::string users = Data(300000, 3);
  ASSERT_TRUE(s.dir.Write("vexa.cfg", kCfg));
  ASSERT_TRUE(s.dir.Write("users.vexa", users));
  ASSERT_TRUE(s.dir.Write("tags.vexa", "tags"));
  ASSERT_TRUE(s.Start());
  SaveScreenshot(s.panel.Main(), "service-page-restore-button");
  EXPECT_EQ(ItemText(s.page, IDC_SVC_RESTORE), "恢复备份数据");
  // The partner of the backup button, below it, clear of the status line.
  RECT backup = RectIn(Item(s.page, IDC_SVC_BACKUP), s.page);
  RECT restore = RectIn(Item(s.page, IDC_SVC_RESTORE), s.page);
  RECT status = RectIn(Item(s.page, IDC_SVC_STATUS), s.page);
  EXPECT_EQ(restore.left, backup.left);
  EXPECT_EQ(restore.right, backup.right);
  EXPECT_GE(restore.top, backup.bottom);
  EXPECT_LE(restore.bottom, status.top);

  const std::string kept = s.Backup();
  ASSERT_NE(kept, "");
  WaitForNextSecond();  // the next backup gets a later stamp

  // The user changes the port on the page and the tracker its data.
  HWND directories = ShowTab(s.panel, 1);
  ASSERT_TRUE(SetItemText(directories, IDC_DIR_PORT, "8000"));
  auto saved = s.Click(directories, IDC_SAVE);
  ASSERT_TRUE(saved);
  ASSERT_TRUE(PressButton(*saved, IDOK));
  const std::string changedCfg = s.dir.Read("vexa.cfg");
  ASSERT_NE(changedCfg.find("port = 8000\r\n"), std::string::npos) << changedCfg;
  ASSERT_TRUE(s.dir.Write("users.vexa", "changed users"));
  ASSERT_TRUE(s.dir.Write("new.vexa", "made after the backup"));
  ShowTab(s.panel, 0);

  auto dialog = s.OpenDialog();
  ASSERT_TRUE(dialog);
  HWND list = Item(dialog->window, IDC_RESTORE_LIST);
  std::vector<std::string> items = ListBoxItems(list);
  ASSERT_EQ(items.size(), 1u);
  const std::string root = s.dir.File("备份\\");
  const std::string keptName = kept.substr(root.size(), kept.size() - root.size() - 1);
  const std::uint64_t keptBytes = users.size() + 4 + sizeof kCfg - 1;
  EXPECT_EQ(items[0], keptName + "\t3 个文件\t" + ByteSizeText(keptBytes)) << items[0];
  EXPECT_EQ(ListBoxSelection(list), 0);  // the newest
  // Centred on the main window.
  RECT owner = RectIn(s.panel.Main(), nullptr), box = RectIn(dialog->window, nullptr);
  EXPECT_LE(std::abs((owner.left + owner.right) - (box.left + box.right)), 4);
  EXPECT_LE(std::abs((owner.top + owner.bottom) - (box.top + box.bottom)), 4);
  SaveScreenshot(dialog->window, "restore-dialog");
  ASSERT_TRUE(PressButton(*dialog, IDOK));

  auto confirm = WaitForMessageBox(s.panel.Pid(), s.panel.Main());
  ASSERT_TRUE(confirm);
  EXPECT_EQ(confirm->caption, kAppCaption);
  EXPECT_NE(confirm->text.find(kept), std::string::npos) << confirm->text;
  EXPECT_NE(confirm->text.find("先备份"), std::string::npos) << confirm->text;
  EXPECT_TRUE(confirm->HasButton(IDOK) && confirm->HasButton(IDCANCEL));
  ASSERT_TRUE(PressButton(*confirm, IDOK));

  auto done = WaitForMessageBox(s.panel.Pid(), s.panel.Main(), 20000);
  ASSERT_TRUE(done);
  SaveScreenshot(done->window, "restore-done-box");
  EXPECT_EQ(done->caption, kAppCaption);
  EXPECT_EQ(done->text.rfind("已从备份恢复", 0), 0u) << done->text;
  EXPECT_NE(done->text.find(kept), std::string::npos) << done->text;
  std::vector<std::string> folders = BackupFolders(s.dir);
  ASSERT_EQ(folders.size(), 2u);
  const std::string pre = root + (folders[0] == keptName ? folders[1] : folders[0]) + "\\";
  EXPECT_NE(done->text.find(pre), std::string::npos) << done->text;
  // Nothing is copied any more: the box, which may stay open all night,
  // holds no lock that would refuse the nightly backup.
  EXPECT_TRUE(DataJobLock(s.dir.Path()).Held());
  ASSERT_TRUE(PressButton(*done, IDOK));

  // Byte for byte as backed up; what came later stays; the changed files
  // are in the new folder.
  EXPECT_EQ(s.dir.Read("vexa.cfg"), kCfg);
  EXPECT_TRUE(s.dir.Read("users.vexa") == users);
  EXPECT_EQ(s.dir.Read("tags.vexa"), "tags");
  EXPECT_EQ(s.dir.Read("new.vexa"), "made after the backup");
  EXPECT_EQ(ReadFileBytes(pre + "vexa.cfg"), changedCfg);
  EXPECT_EQ(ReadFileBytes(pre + "users.vexa"), "changed users");
  EXPECT_EQ(ReadFileBytes(pre + "new.vexa"), "made after the backup");
  for (const std::string& name : DirectoryEntries(s.dir.Path())) {
    EXPECT_EQ(name.find(".restore.tmp"), std::string::npos) << name;
  }
  EXPECT_TRUE(s.dir.StandInCalls().empty());

  // The backup made first is the newest, marked as the restore's own.
  dialog = s.OpenDialog();
  ASSERT_TRUE(dialog);
  items = ListBoxItems(Item(dialog->window, IDC_RESTORE_LIST));
  ASSERT_EQ(items.size(), 2u);
  const std::string preName = pre.substr(root.size(), pre.size() - root.size() - 1);
  EXPECT_EQ(items[0].rfind(preName + "（恢复前自动备份）\t", 0), 0u) << items[0];
  EXPECT_EQ(items[1].rfind(keptName + "\t", 0), 0u) << items[1];
  SaveScreenshot(dialog->window, "restore-dialog-after-restore");
  ASSERT_TRUE(PressButton(*dialog, IDCANCEL));

  // The pages show the restored vexa.cfg (the log lines are the flow's, tested natively).
  directories = ShowTab(s.panel, 1);
  EXPECT_EQ(ItemText(directories, IDC_DIR_PORT), "7000");
}

// Leaving the dialog and a running tracker change nothing, also one started
// while the question is open; Cancel at the confirmation is the flow's,
// tested natively.
TEST(Restore, ARunningTrackerConsoleRefusesTheRestoreAndTheDialogLeftChangesNothing) {
  RestorePanel s;
  s.WriteFreePort();
  ASSERT_TRUE(s.dir.Write("users.vexa", "users"));
  ASSERT_TRUE(s.Start());

  // No backups yet: the list says so and OK does nothing.
  auto dialog = s.OpenDialog();
  ASSERT_TRUE(dialog);
  HWND list = Item(dialog->window, IDC_RESTORE_LIST);
  EXPECT_EQ(ListBoxItems(list), std::vector<std::string>{"（“备份”目录中还没有备份）"});
  EXPECT_FALSE(IsEnabled(Item(dialog->window, IDOK)));
  SaveScreenshot(dialog->window, "restore-dialog-empty");
  ASSERT_TRUE(PressButton(*dialog, IDCANCEL));

  const std::string kept = s.Backup();
  ASSERT_NE(kept, "");
  ASSERT_TRUE(s.dir.Write("users.vexa", "changed"));
  // The stand-in writes its own records as it starts: only the tracker's files count.
  auto dataFiles = [&] {
    std::map<std::string, std::string> files;
    for (const std::string& name : DirectoryEntries(s.dir.Path())) {
      if (IsRestorableFileName(name)) files[name] = s.dir.Read(name);
    }
    return files;
  };
  const auto before = dataFiles();
  ASSERT_EQ(before.size(), 2u);
  auto unchanged = [&](const char* step) {
    EXPECT_EQ(dataFiles(), before) << step;
    EXPECT_EQ(BackupFolders(s.dir).size(), 1u) << step;
    EXPECT_EQ(TextFromGbk(s.dir.Read("VexaPanel.log")).find("恢复备份开始"), std::string::npos)
        << step;
  };

  // OK without a line chosen (the newest is, until the user takes it away)
  // does nothing; Escape leaves.
  dialog = s.OpenDialog();
  ASSERT_TRUE(dialog);
  EXPECT_EQ(ListBoxSelection(Item(dialog->window, IDC_RESTORE_LIST)), 0);
  SendMessageA(Item(dialog->window, IDC_RESTORE_LIST), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  ClickItem(dialog->window, IDOK);
  ASSERT_TRUE(s.panel.WaitForIdle());
  EXPECT_TRUE(IsVisible(dialog->window));
  PostMessageA(Item(dialog->window, IDC_RESTORE_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog->window) || !IsVisible(dialog->window); }, 5000));
  unchanged("OK without a choice, then Escape");

  // A console started while the question is open: looked at again after
  // it, the restore is refused as before the question.
  dialog = s.OpenDialog();
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(PressButton(*dialog, IDOK));
  auto question = WaitForMessageBox(s.panel.Pid(), s.panel.Main());
  ASSERT_TRUE(question);
  ASSERT_TRUE(s.dir.StartStandIn("", CREATE_NEW_CONSOLE));
  ASSERT_TRUE(WaitUntil([&] { return ProcessesInside(s.dir.Path()).size() == 2; }, 10000));
  ASSERT_TRUE(PressButton(*question, IDOK));
  auto refusedLate = WaitForMessageBox(s.panel.Pid(), s.panel.Main());
  ASSERT_TRUE(refusedLate);
  EXPECT_EQ(refusedLate->text.rfind("Vexa服务器正在运行，没有恢复备份。", 0), 0u) << refusedLate->text;
  SaveScreenshot(refusedLate->window, "restore-refused-box");
  EXPECT_EQ(refusedLate->caption, kAppCaption);
  EXPECT_NE(refusedLate->text.find("控制台：运行中 (PID "), std::string::npos) << refusedLate->text;
  ASSERT_TRUE(PressButton(*refusedLate, IDOK));
  // A refusal before the question, with nothing asked, is the flow's, tested natively.
  EXPECT_EQ(dataFiles(), before);
  EXPECT_EQ(BackupFolders(s.dir).size(), 1u);
}

}  // namespace
}  // namespace vexa::e2e
