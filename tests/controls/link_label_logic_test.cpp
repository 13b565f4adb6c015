#include "controls/link_label_logic.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace vexa {
namespace {

bool Same(const LabelRect& a, const LabelRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(LinkLabelFit, KeepsTheEdgeOrCentreTheAlignmentNames) {
  // A 100 x 20 window with a 2-pixel border all round (client 96 x 16).
  const LabelRect window{10, 50, 110, 70};
  // Text 40 x 12 becomes 44 x 16 with the border.
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 40, 12, LabelAlign::Left, false),
                   LabelRect{10, 50, 54, 66}));
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 40, 12, LabelAlign::Right, false),
                   LabelRect{66, 50, 110, 66}));
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 40, 12, LabelAlign::Center, false),
                   LabelRect{38, 50, 82, 66}));
  // Centre image: (20 - 16) / 2 off top and bottom.
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 40, 12, LabelAlign::Left, true),
                   LabelRect{10, 52, 54, 68}));
  // Odd differences truncate; text wider than the window grows it both ways.
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 41, 13, LabelAlign::Center, true),
                   LabelRect{37, 51, 83, 69}));
  EXPECT_TRUE(Same(FitLabelRect(window, 96, 16, 131, 12, LabelAlign::Center, false),
                   LabelRect{-7, 50, 127, 66}));
}

TEST(LinkLabelOpen, BrowserCommandIsCutAtItsPlaceholder) {
  EXPECT_EQ(BrowserFallbackCommand("C:\\b\\web.exe -url %1 -new", "http://x/"),
            "C:\\b\\web.exe -url  http://x/");
  EXPECT_EQ(BrowserFallbackCommand("C:\\b\\web.exe", "http://x/"), "C:\\b\\web.exe http://x/");
  // The quoted form wins over a bare %1 that comes first.
  EXPECT_EQ(CutBrowserCommand("a %1 \"%1\""), "a %1 ");
  // A Chinese folder name before the placeholder stays whole.
  EXPECT_EQ(CutBrowserCommand("C:\\浏览器\\web.exe %1"), "C:\\浏览器\\web.exe ");
}

TEST(LinkLabelOpen, ErrorTextGivesTheSystemsReason) {
  EXPECT_EQ(OpenErrorMessage("系统找不到指定的文件。"), "无法打开链接：\n\n系统找不到指定的文件。");
}

// Answers from a script and writes down what is asked.
struct ScriptedOpener : LinkOpener {
  Status shell, run;
  std::map<std::string, std::string> classes;
  std::vector<std::string> calls;
  ScriptedOpener(Status s, Status r, std::map<std::string, std::string> c)
      : shell(std::move(s)), run(std::move(r)), classes(std::move(c)) {}
  Status ShellOpen(const std::string& target) override {
    calls.push_back("shell " + target);
    return shell;
  }
  bool ReadClassDefault(const std::string& key, std::string* value) override {
    calls.push_back("read " + key);
    auto it = classes.find(key);
    if (it == classes.end()) return false;
    *value = it->second;
    return true;
  }
  Status Run(const std::string& line) override {
    calls.push_back("run " + line);
    return run;
  }
};

TEST(LinkLabelOpen, FallsBackToTheHtmBrowserAndNamesTheLastFailureInTheBox) {
  const std::map<std::string, std::string> browser = {
      {".htm", "htmlfile"}, {"htmlfile\\shell\\open\\command", "web.exe \"%1\""}};
  const std::vector<std::string> fallback = {"shell http://x/", "read .htm",
                                             "read htmlfile\\shell\\open\\command",
                                             "run web.exe  http://x/"};
  const Status opened = Status::Ok();
  const Status noShell = Status::Error("shell");
  struct Row {
    const char* what;
    Status shell, run;
    std::map<std::string, std::string> classes;
    std::string box;
    std::vector<std::string> calls;
  } const rows[] = {
      {"shell opens it", opened, opened, browser, "", {"shell http://x/"}},
      {"browser opens it", noShell, opened, browser, "", fallback},
      {"browser fails", noShell, Status::Error("browser"), browser, OpenErrorMessage("browser"),
       fallback},
      {"no .htm class", noShell, opened, {}, OpenErrorMessage("shell"),
       {"shell http://x/", "read .htm"}},
      {"no open command", noShell, opened, {{".htm", "htmlfile"}}, OpenErrorMessage("shell"),
       {"shell http://x/", "read .htm", "read htmlfile\\shell\\open\\command"}},
  };
  for (const Row& row : rows) {
    ScriptedOpener system(row.shell, row.run, row.classes);
    EXPECT_EQ(OpenLink("http://x/", system), row.box) << row.what;
    EXPECT_EQ(system.calls, row.calls) << row.what;
  }
}

}  // namespace
}  // namespace vexa
