// The harness itself: the stand-in tracker and the HTTP recorder behave as the
// panel's end-to-end tests rely on, under the same Wine prefix.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {

// Runs the stand-in like the panel does: quoted path, no shell, waiting.
DWORD RunStandIn(const ProgramDir& dir, const std::string& arguments) {
  std::string commandLine = "\"" + dir.File("vexa.exe") + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::wstring wideLine = Wide(commandLine);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      Wide(dir.Path()).c_str(), &startup, &info))
    return 0xDEAD;
  WaitForSingleObject(info.hProcess, 10000);
  DWORD code = 0xDEAD;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return code;
}

// A path with blanks and with 嘰, whose GBK trail byte is the backslash.
const std::string kAwkwardSuffix = " 程序 嘰目录";

TEST(Harness, StandInLogsEveryCommandLineAndExitsWithTheConfiguredCode) {
  ProgramDir dir(kAwkwardSuffix, ProgramDir::Contents::kStandInOnly);
  ASSERT_TRUE(dir.Ready());
  std::string quoted = "\"" + dir.File("vexa.exe") + "\"";

  EXPECT_EQ(RunStandIn(dir, "-i"), 0u);
  EXPECT_EQ(RunStandIn(dir, "-start"), 0u);
  ASSERT_TRUE(dir.SetStandInExitCode(3));
  EXPECT_EQ(RunStandIn(dir, "-stop"), 3u);
  ASSERT_TRUE(dir.ClearStandInExitCode());
  EXPECT_EQ(RunStandIn(dir, "-U"), 0u);

  EXPECT_EQ(dir.StandInCalls(),
            (std::vector<std::string>{quoted + " -i", quoted + " -start", quoted + " -stop",
                                      quoted + " -U"}));
  EXPECT_EQ(dir.Read("vexa-calls.log").substr(0, quoted.size() + 5), quoted + " -i\r\n");
}

TEST(Harness, ShellOpenOfAnHttpAddressReachesTheRecorder) {
  HttpRecorder recorder;
  ASSERT_TRUE(recorder.Start(0));
  std::string url = "http://localhost:" + std::to_string(recorder.Port()) + "/x?y=1&z=中文";
  auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  EXPECT_GT(result, 32);
  ASSERT_TRUE(recorder.WaitForRequests(1, 20000)) << "nothing arrived for " << url;
  std::string request = recorder.Requests().front();
  EXPECT_EQ(request.substr(0, request.find("\r\n")).substr(0, 4), "GET ");
  EXPECT_EQ(HttpRecorder::Target(request).substr(0, 7), "/x?y=1&");
  EXPECT_NE(request.find("Host: localhost:" + std::to_string(recorder.Port()) + "\r\n"),
            std::string::npos)
      << request;
}

// Caption buttons are glyphs of Marlett: without the font in the prefix they
// came out as the letters "0 1 r". The same prefix runs the demo.
TEST(Harness, PrefixHasTheMarlettFontForCaptionButtons) {
  HDC screen = GetDC(nullptr);
  LOGFONTA wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpyA(wanted.lfFaceName, "Marlett");
  int found = 0;
  EnumFontFamiliesExA(
      screen, &wanted,
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM counter) -> int {
        if (lstrcmpiA(font->lfFaceName, "Marlett") == 0) ++*reinterpret_cast<int*>(counter);
        return 1;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  // And a font asked for by that name is that font, not a substitute.
  HFONT font = CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, "Marlett");
  HGDIOBJ old = SelectObject(screen, font);
  char face[LF_FACESIZE] = "";
  GetTextFaceA(screen, sizeof face, face);
  SelectObject(screen, old);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  EXPECT_GT(found, 0);
  EXPECT_STREQ(face, "Marlett");
}

}  // namespace
}  // namespace vexa::e2e
