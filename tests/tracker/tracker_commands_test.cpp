#include "tracker/tracker_commands.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(TrackerCommands, ServiceButtonsRunTheirSwitchAndShowTheirMessage) {
  struct Row {
    int id;
    const char* command;
    const char* message;
    unsigned icon;
  } const rows[] = {
      {1008, "vexa.exe -i",
       "Vexa后台服务已安装，在下次系统启动时自动启动，请在 管理工具-->服务 查看", 0x40},
      {1005, "vexa.exe -start", "Vexa后台服务已启动", 0x40},
      {1006, "vexa.exe -stop", "Vexa后台服务已停止", 0x10},
      {1007, "vexa.exe -U", "Vexa后台服务已删除", 0x30},
  };
  for (const Row& row : rows) {
    const ServiceButton* button = FindServiceButton(row.id);
    ASSERT_NE(button, nullptr) << row.id;
    EXPECT_STREQ(button->command, row.command);
    EXPECT_STREQ(button->message, row.message);
    EXPECT_EQ(button->icon, row.icon);
  }
  EXPECT_EQ(FindServiceButton(1009), nullptr);
  // The caption in UTF-8 bytes.
  EXPECT_EQ(std::string(kServiceCaption), "Vexa\xE5\x90\x8E\xE5\x8F\xB0\xE6\x9C\x8D\xE5\x8A\xA1");
  EXPECT_EQ(CommandSwitch(kStartCommand), "-start");
  EXPECT_EQ(CommandSwitch(kRemoveCommand), "-U");

  // Only these may leave a new service behind, whose binary path the
  // status line must then read afresh.
  for (int id : {1008, 1007, 1074, 1076}) EXPECT_TRUE(ButtonMayChangeServices(id)) << id;
  for (int id : {1005, 1006, 1009, 1010, 1075, 1091, 1056, 0}) {
    EXPECT_FALSE(ButtonMayChangeServices(id)) << id;
  }
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

TEST(TrackerCommands, WebFileDirectoryAddressEscapesOnlyWhatChangesItsMeaning) {
  EXPECT_EQ(WebFileDirectoryUrl("http://localhost:6969", "D:\\bt\\file"),
            "http://localhost:6969/file");
  EXPECT_EQ(WebFileDirectoryUrl("http://localhost:6969", "D:\\bt\\file\\"),
            "http://localhost:6969/");
  EXPECT_EQ(WebFileDirectoryUrl("http://localhost:81", "C:\\种子 文件"),
            "http://localhost:81/种子%20文件");
  EXPECT_EQ(WebFileDirectoryUrl("http://localhost:81", "D:\\a#b%c?d e"),
            "http://localhost:81/a%23b%25c%3Fd%20e");
  // Everything else stays byte for byte: & + = ; ~ and 嘰 included.
  EXPECT_EQ(WebFileDirectoryUrl("http://localhost:81", "x\\a&b+c=d;e~f嘰"),
            "http://localhost:81/a&b+c=d;e~f嘰");
  EXPECT_EQ(EscapeUrlPathSegment(""), "");
  EXPECT_EQ(EscapeUrlPathSegment("%%"), "%25%25");
}

}  // namespace
}  // namespace vexa
