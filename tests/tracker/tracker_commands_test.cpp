#include "tracker/tracker_commands.h"
#include "tracker/web_address.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(TrackerCommands, SwitchesAreTheTextsAfterTheProgram) {
  EXPECT_EQ(CommandSwitch(kStartCommand), "-start");
  EXPECT_EQ(CommandSwitch(kRemoveCommand), "-U");
}

TEST(TrackerCommands, BaseUrlUsesThePortAsStored) {
  EXPECT_EQ(TrackerBaseUrl("6969"), "http://localhost:6969");
  EXPECT_EQ(TrackerBaseUrl("80x"), "http://localhost:80x");
  EXPECT_EQ(TrackerBaseUrl(""), "http://localhost:");
}

TEST(TrackerCommands, LastPathComponentSplitsOnRealSeparatorsOnly) {
  EXPECT_EQ(LastPathComponent("D:\\bt\\file"), "file");
  EXPECT_EQ(LastPathComponent("D:/bt/file"), "file");
  EXPECT_EQ(LastPathComponent("file"), "file");
  EXPECT_EQ(LastPathComponent("D:\\bt\\file\\"), "");
  EXPECT_EQ(LastPathComponent("D:\\bt/sub\\种子"), "种子");
  // The texts are UTF-8: no byte of 嘰 or 俓 is a backslash (in GBK they end in one).
  EXPECT_EQ(LastPathComponent("D:\\bt\\嘰dir"), "嘰dir");
  EXPECT_EQ(LastPathComponent("嘰俓"), "嘰俓");
}

TEST(TrackerCommands, WebFileDirectoryAddressEncodesEveryByteButTheUnreserved) {
  EXPECT_EQ(WebFileDirectoryUrl("http://localhost:6969", "D:\\bt\\file"),
            "http://localhost:6969/file");
  EXPECT_EQ(WebFileDirectoryUrl("http://localhost:6969", "D:\\bt\\file\\"),
            "http://localhost:6969/");
  // Every byte but the unreserved ones and "/" is encoded: nothing in a
  // folder's name can end the path or reach the browser's command line.
  const struct {
    const char* directory;
    const char* path;
  } cases[] = {
      {"C:\\种子 文件", "%E7%A7%8D%E5%AD%90%20%E6%96%87%E4%BB%B6"},
      {"D:\\a#b%c?d e", "a%23b%25c%3Fd%20e"},
      {"x\\a&b+c=d;e~f嘰", "a%26b%2Bc%3Dd%3Be~f%E5%98%B0"},
      {"x\\say\"hi\"@host:1", "say%22hi%22%40host%3A1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WebFileDirectoryUrl("http://localhost:81", c.directory),
              std::string("http://localhost:81/") + c.path)
        << c.directory;
  }
  EXPECT_EQ(EscapeUrlPathSegment("a/b-c.d_e~"), "a/b-c.d_e~");
  EXPECT_EQ(EscapeUrlPathSegment(""), "");
  EXPECT_EQ(EscapeUrlPathSegment("%%"), "%25%25");
}

}  // namespace
}  // namespace vexa
