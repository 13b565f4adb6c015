// A box holding a path of 300 characters and more stays inside the work area,
// with every character of its text.
#include "ui/message_box_win32.h"

#include <windows.h>

#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "base/wide_text.h"

namespace vexa {
namespace {

TEST(MessageBox, ALongPathIsBrokenSoThatTheBoxFitsTheWorkArea) {
  std::string path = "C:\\";
  while (path.size() < 400) path += "备份目录\\2026-12-08 01-02-03\\data-files\\";
  const std::string text = "无法创建以下目录：\n" + path;
  const char caption[] = "box-fits-test";
  RECT box = {};
  std::string shown;
  std::thread reader([&] {
    for (int i = 0; i < 1000; ++i) {
      HWND window = FindWindowW(L"#32770", Wide(caption).c_str());
      if (window && IsWindowVisible(window)) {
        GetWindowRect(window, &box);
        wchar_t buffer[2048] = {};
        GetDlgItemTextW(window, 0xFFFF, buffer, 2048);
        shown = Narrow(buffer);
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(10);
    }
  });
  PageMessageBox(nullptr, text, caption, MB_OK | MB_ICONERROR);
  reader.join();
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(box.left, work.left);
  EXPECT_LE(box.right, work.right);
  EXPECT_GT(box.right - box.left, 0);
  std::string joined;
  for (char c : shown) {
    if (c != '\n' && c != '\r') joined += c;
  }
  EXPECT_EQ(joined, "无法创建以下目录：" + path);
}

}  // namespace
}  // namespace vexa
