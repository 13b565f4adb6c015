// "恢复备份" over real folders: a double-click chooses, "删除备份" deletes
// after a question whose default is Cancel, and the list and the line
// under it are read afresh.
#include "service_page/restore_dialog_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "backup/backup_names.h"
#include "backup/backup_shelf.h"
#include "base/scoped_handles_win32.h"
#include "base/wide_text.h"
#include "tests/tracker/scratch_directory.h"
#include "tests/ui/box_answers_win32.h"

namespace vexa {
namespace {

using test::AnswerBox;
using test::DirectoryExists;
using test::FileExists;
using test::ScratchDirectory;
using test::WaitForBox;
using test::WriteBytes;

// Three backups, oldest first; the newest holds a folder of its own.
std::string MakeBackups(const ScratchDirectory& dir) {
  std::string root = dir.Path() + "备份\\";
  CreateDirectoryW(Wide(root).c_str(), nullptr);
  for (const char* name : {"1月1日0时0分0秒", "2月1日0时0分0秒", "3月1日0时0分0秒"}) {
    CreateDirectoryW(Wide(root + name).c_str(), nullptr);
    WriteBytes(root + name + "\\vexa.cfg", "port = 6969\r\n");
  }
  // A copy made read-only by hand is deleted with its backup.
  SetFileAttributesW(Wide(root + "2月1日0时0分0秒\\vexa.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryW(Wide(root + "3月1日0时0分0秒\\mine").c_str(), nullptr);
  return root;
}

std::string ItemText(HWND window, int id) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(window, id, text, 1024);
  return Narrow(text);
}

void ClickDelete(HWND dialog, int line) {
  SendDlgItemMessageW(dialog, IDC_RESTORE_LIST, LB_SETCURSEL, line, 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_RESTORE_DELETE, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_RESTORE_DELETE)));
}

TEST(RestoreDialog, DeletesTheSelectedBackupAfterAQuestionThatDefaultsToCancel) {
  ScratchDirectory dir("restore dialog 删除");
  const std::string root = MakeBackups(dir);
  CRestoreDlg dialog(dir.Path());
  const DWORD thread = GetCurrentThreadId();
  std::string question, summaryBefore, summaryAfter, refusal, busy, halfDeleted, summaryLast;
  LRESULT linesAfter = 0, linesLast = 0;
  bool keptOnCancel = false;
  std::thread user([&] {
    for (int i = 0; i < 500 && !(dialog.Handle() && IsWindowVisible(dialog.Handle())); ++i) Sleep(10);
    HWND window = dialog.Handle();
    summaryBefore = ItemText(window, IDC_RESTORE_SUMMARY);
    ClickDelete(window, 1);  // 2月: newest first
    question = AnswerBox(WaitForBox(thread, window), 0);  // Enter: the default button
    keptOnCancel = FileExists(root + "2月1日0时0分0秒\\vexa.cfg");
    ClickDelete(window, 1);
    AnswerBox(WaitForBox(thread, window), IDOK);
    for (int i = 0; i < 500 && SendDlgItemMessageW(window, IDC_RESTORE_LIST, LB_GETCOUNT, 0, 0) != 2; ++i) {
      Sleep(10);
    }
    summaryAfter = ItemText(window, IDC_RESTORE_SUMMARY);
    ClickDelete(window, 0);  // 3月, holding a folder
    AnswerBox(WaitForBox(thread, window), IDOK);
    refusal = AnswerBox(WaitForBox(thread, window), IDOK);
    linesAfter = SendDlgItemMessageW(window, IDC_RESTORE_LIST, LB_GETCOUNT, 0, 0);
    {
      // Another panel's job (or the nightly backup) holds the lock file.
      ScopedHandle job(CreateFileW(Wide(dir.Path() + "VexaPanel.lock").c_str(),
                                   GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
      ClickDelete(window, 1);  // 1月
      AnswerBox(WaitForBox(thread, window), IDOK);
      busy = AnswerBox(WaitForBox(thread, window), IDOK);
    }
    {
      // A file of it that cannot be deleted: what is left is named, and no
      // longer lists as a backup. (Windows refuses the rename itself then,
      // and the backup stays whole.)
      ScopedHandle held(CreateFileW(Wide(root + "1月1日0时0分0秒\\vexa.cfg").c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
      ClickDelete(window, 1);
      AnswerBox(WaitForBox(thread, window), IDOK);
      halfDeleted = AnswerBox(WaitForBox(thread, window), IDOK);
    }
    linesLast = SendDlgItemMessageW(window, IDC_RESTORE_LIST, LB_GETCOUNT, 0, 0);
    summaryLast = ItemText(window, IDC_RESTORE_SUMMARY);
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
  user.join();

  EXPECT_EQ(summaryBefore.rfind("共 3 个备份，占用 0.0 MB；磁盘剩余 ", 0), 0u) << summaryBefore;
  EXPECT_EQ(question.rfind("确定要删除备份“2月1日0时0分0秒”吗？", 0), 0u) << question;
  EXPECT_TRUE(keptOnCancel);
  EXPECT_FALSE(DirectoryExists(root + "2月1日0时0分0秒"));
  EXPECT_EQ(summaryAfter.rfind("共 2 个备份", 0), 0u) << summaryAfter;
  EXPECT_NE(refusal.find("子目录“mine”"), std::string::npos) << refusal;
  EXPECT_TRUE(FileExists(root + "3月1日0时0分0秒\\vexa.cfg"));
  EXPECT_EQ(linesAfter, 2);
  EXPECT_EQ(busy, kDataJobBusyText);
  const std::string aside = root + kDeletingFolderPrefix + "1月1日0时0分0秒\\";
  EXPECT_NE(halfDeleted.find("备份已不完整，剩下的文件在目录 " + aside + " 中"), std::string::npos)
      << halfDeleted;
  EXPECT_TRUE(FileExists(aside + "vexa.cfg"));
  EXPECT_EQ(linesLast, 1);
  // The folder beside the backups is no backup.
  EXPECT_EQ(summaryLast.rfind("共 1 个备份", 0), 0u) << summaryLast;
  EXPECT_FALSE(dialog.Chosen());
}

// A double-click on a line is OK with that line: the mouse as the system
// delivers it, down, up, double-click, up, on the second line.
class DoubleClickedRestore : public CRestoreDlg {
 public:
  using CRestoreDlg::CRestoreDlg;

 protected:
  bool OnInit() override {
    bool focus = CRestoreDlg::OnInit();
    HWND list = Item(IDC_RESTORE_LIST);
    RECT line;
    SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line));
    const LPARAM at = MAKELPARAM(line.left + 5, (line.top + line.bottom) / 2);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
      PostMessageW(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    }
    PostMessageW(Handle(), WM_COMMAND, IDCANCEL, 0);  // ends the test if the click did not
    return focus;
  }
};

TEST(RestoreDialog, DoubleClickOnALineIsOkWithThatLine) {
  ScratchDirectory dir("restore dialog double-click");
  MakeBackups(dir);
  DoubleClickedRestore dialog(dir.Path());
  EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
  ASSERT_TRUE(dialog.Chosen());
  EXPECT_EQ(dialog.Chosen()->name, "2月1日0时0分0秒");
}

}  // namespace
}  // namespace vexa
