#include "pages/system_limits_page.h"

#include <gtest/gtest.h>

#include "tests/log/recording_sink.h"
#include "tests/pages/memory_config_file.h"

namespace vexa {
namespace {

using Boxes = std::vector<std::int32_t>;

Boxes ToVector(const std::int32_t (&boxes)[kAccessRightCount]) {
  return Boxes(boxes, boxes + kAccessRightCount);
}

void Tick(std::int32_t (&boxes)[kAccessRightCount], Boxes values) {
  for (int bit = 0; bit < kAccessRightCount; ++bit) boxes[bit] = values[bit];
}

struct LoadedLimits {
  explicit LoadedLimits(std::string bytes) : file(std::move(bytes)), store(file) {
    store.Load();
    page.Initialize(store);
  }
  MemoryConfigFile file;
  ConfigStore store;
  SystemLimitsPage page;
};

TEST(SystemLimitsPage, FileWithoutItsKeysShowsDefaultsAndSaveAppendsSixLines) {
  const std::string before = "port = 80\r\nunknown = x\r\n";
  LoadedLimits loaded(before);
  SystemLimitsPage& page = loaded.page;

  EXPECT_EQ(page.ValueOf("vexa_max_conns"), "64");
  EXPECT_EQ(page.ValueOf("vexa_max_torrents"), "1000");
  EXPECT_EQ(page.ValueOf("socket_timeout"), "15");
  EXPECT_EQ(page.ValueOf("vexa_refresh_static_interval"), "1");
  for (const char* key : {"vexa_file_expires", "vexa_per_page", "vexa_compression_level",
                          "vexa_flush_interval", "vexa_max_hops"}) {
    EXPECT_EQ(page.ValueOf(key), "") << key;
  }
  EXPECT_EQ(ToVector(page.memberBoxes), Boxes(7, 0));
  EXPECT_EQ(ToVector(page.guestBoxes), Boxes(7, 0));
  // Showing defaults writes nothing.
  EXPECT_EQ(loaded.store.Serialize(), before);

  PageMessage message = page.SaveChanges(loaded.store);
  EXPECT_EQ(message.icon, PageMessage::Icon::Information);
  EXPECT_EQ(message.text, "保存设置成功");
  EXPECT_EQ(loaded.file.bytes, before +
                                   "vexa_max_conns = 64\r\n"
                                   "vexa_max_torrents = 1000\r\n"
                                   "vexa_guest_access = 0\r\n"
                                   "vexa_member_access = 0\r\n"
                                   "socket_timeout = 15\r\n"
                                   "vexa_refresh_static_interval = 1\r\n");
}

TEST(SystemLimitsPage, MasksTickTheirOwnRowAndAreWrittenBackAsSevenBits) {
  LoadedLimits loaded("vexa_guest_access = 5\r\nvexa_member_access = 255\r\n");
  SystemLimitsPage& page = loaded.page;
  // bit positions: 浏览 1, 下载 2, 留言 4, 上传 8, 编辑 16, 管理 32, 注册 64
  EXPECT_EQ(ToVector(page.guestBoxes), (Boxes{1, 0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(ToVector(page.memberBoxes), Boxes(7, 1));

  page.SaveChanges(loaded.store);
  EXPECT_EQ(loaded.file.bytes,
            "vexa_guest_access = 5\r\n"
            "vexa_member_access = 127\r\n"
            "vexa_max_conns = 64\r\n"
            "vexa_max_torrents = 1000\r\n"
            "socket_timeout = 15\r\n"
            "vexa_refresh_static_interval = 1\r\n");

  // The boxes, not the loaded text, decide what is written.
  Tick(page.guestBoxes, {0, 1, 0, 0, 0, 0, 1});
  Tick(page.memberBoxes, {0, 0, 0, 0, 0, 0, 0});
  page.SaveChanges(loaded.store);
  EXPECT_EQ(loaded.store.Get("vexa_guest_access", "?"), "66");
  EXPECT_EQ(loaded.store.Get("vexa_member_access", "?"), "0");
}

TEST(SystemLimitsPage, MaskTextIsReadLikeStrtolWithA32BitLong) {
  struct Case {
    const char* text;
    Boxes boxes;
  } const cases[] = {
      {"-1", Boxes(7, 1)},
      {"abc", Boxes(7, 0)},
      {"", Boxes(7, 0)},
      {" \t+12xyz", {0, 0, 1, 1, 0, 0, 0}},
      {"0x7f", Boxes(7, 0)},           // decimal only: stops at the x
      {"-128", Boxes(7, 0)},           // FFFFFF80
      {"-2", {0, 1, 1, 1, 1, 1, 1}},   // FFFFFFFE
      {"99999999999", Boxes(7, 1)},    // clamps to 7FFFFFFF
      {"-99999999999", Boxes(7, 0)},   // clamps to 80000000
      {"- 5", Boxes(7, 0)},            // no digits right after the sign
      {"007", {1, 1, 1, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    LoadedLimits loaded(std::string("vexa_member_access = 3\r\nvexa_guest_access = ") + c.text + "\r\n");
    EXPECT_EQ(ToVector(loaded.page.guestBoxes), c.boxes) << c.text;
    EXPECT_EQ(ToVector(loaded.page.memberBoxes), (Boxes{1, 1, 0, 0, 0, 0, 0})) << c.text;
  }
  EXPECT_EQ(ParseAccessMask("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseAccessMask("2147483648"), 0x7FFFFFFFu);
  EXPECT_EQ(ParseAccessMask("-2147483648"), 0x80000000u);

  LoadedLimits notNumber("vexa_guest_access = abc\r\n");
  notNumber.page.SaveChanges(notNumber.store);
  EXPECT_EQ(notNumber.store.Get("vexa_guest_access", "?"), "0");
}

TEST(SystemLimitsPage, EmptyAndClearedFieldsAreNotWritten) {
  LoadedLimits loaded(
      "vexa_max_conns =\r\n"
      "vexa_per_page = 30\r\n"
      "socket_timeout = 5\r\n"
      "vexa_compression_level = 3\r\n");
  SystemLimitsPage& page = loaded.page;
  // Present but empty: the default does not replace it.
  EXPECT_EQ(page.ValueOf("vexa_max_conns"), "");
  EXPECT_EQ(page.ValueOf("vexa_per_page"), "30");

  page.ValueOf("vexa_per_page") = "";
  page.ValueOf("vexa_compression_level") = "09";
  page.ValueOf("vexa_max_hops") = "007";
  page.SaveChanges(loaded.store);
  EXPECT_EQ(loaded.file.bytes,
            "socket_timeout = 5\r\n"
            "vexa_compression_level = 09\r\n"
            "vexa_max_torrents = 1000\r\n"
            "vexa_guest_access = 0\r\n"
            "vexa_member_access = 0\r\n"
            "vexa_refresh_static_interval = 1\r\n"
            "vexa_max_hops = 007\r\n");
}

TEST(SettingsPage, DigitsOnlyMeansTheDigitsZeroToNineOrNothing) {
  struct Case {
    const char* value;
    bool digits;
  };
  const Case cases[] = {{"", true},     {"0", true},   {"0123456789", true}, {" 1", false},
                        {"1 ", false},  {"-1", false}, {"+1", false},       {"1.5", false},
                        {"１", false},  {"7001http://x", false}, {"\xB1\xB8", false}};
  for (const Case& c : cases) EXPECT_EQ(IsDigitsOnly(c.value), c.digits) << "\"" << c.value << "\"";
  EXPECT_EQ(DigitsOnlyText("压缩等级 0至9"), "“压缩等级 0至9”只能填写数字。");
}

// Another program raises vexa_max_conns while the user edits socket_timeout.
// No writes nothing; Yes writes the user's changes over the file as it now
// is, the page shows the file's values for the rest, and the other pages are
// told. The log has the answers and what the save changed.
TEST(SystemLimitsPage, SaveOverAnOutsideEditWritesOnlyWhatTheUserChanged) {
  test::RecordingSink log;
  LoadedLimits loaded("vexa_max_conns = 64\r\nsocket_timeout = 15\r\nport = 80\r\n");
  SystemLimitsPage& page = loaded.page;
  int told = 0;
  loaded.store.SetOutsideChangeListener([&] { ++told; });
  EXPECT_FALSE(page.HasUnsavedChanges());
  page.ValueOf("socket_timeout") = "20";
  page.guestBoxes[1] = 1;
  EXPECT_TRUE(page.HasUnsavedChanges());
  const std::string outside = "vexa_max_conns = 500\r\nsocket_timeout = 15\r\nport = 81\r\n";
  loaded.file.bytes = outside;

  auto answer = [](bool yes) {
    return [yes](OutsideChangeKind kind) { return kind == OutsideChangeKind::Modified && yes; };
  };
  EXPECT_TRUE(page.SaveChanges(loaded.store, answer(false)).text.empty());
  EXPECT_EQ(loaded.file.bytes, outside);
  EXPECT_EQ(page.SaveChanges(loaded.store, answer(true)).text, "保存设置成功");
  EXPECT_EQ(loaded.file.bytes, "vexa_max_conns = 500\r\nsocket_timeout = 20\r\nport = 81\r\n"
                               "vexa_guest_access = 2\r\n");
  EXPECT_EQ(page.ValueOf("vexa_max_conns"), "500");
  EXPECT_FALSE(page.HasUnsavedChanges());
  EXPECT_EQ(told, 1);
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "vexa.cfg 已被其他程序修改，保存前询问，回答：否",
                           "vexa.cfg 已被其他程序修改，保存前询问，回答：是",
                           "保存页面“系统设置”：vexa_guest_access: （空） → 2, socket_timeout: 15 → 20",
                           "保存 vexa.cfg：成功"}));

  // Shown again from the store, an unsaved edit stays and stays unsaved.
  page.ValueOf("vexa_per_page") = "x";
  loaded.store.Set("vexa_max_torrents", "5");
  page.Refresh(loaded.store);
  EXPECT_EQ(page.ValueOf("vexa_max_torrents"), "5");
  EXPECT_TRUE(page.HasUnsavedChanges());
  page.SaveChanges(loaded.store);
  EXPECT_EQ(log.lines.back(), "保存页面“系统设置”被拒绝：“每页显示的下载数目”只能填写数字。");
}

// Another program deleted vexa.cfg: No writes nothing; Yes writes every
// setting the panel holds, not just this page's.
TEST(SystemLimitsPage, SaveAfterVexaCfgWasDeletedWritesTheWholeStoreOnYes) {
  LoadedLimits loaded("port = 80\r\nallowed_dir = up\r\n");
  loaded.page.ValueOf("socket_timeout") = "20";
  loaded.file.missing = true;
  auto answer = [](bool yes) {
    return [yes](OutsideChangeKind kind) { return kind == OutsideChangeKind::Deleted && yes; };
  };
  EXPECT_TRUE(loaded.page.SaveChanges(loaded.store, answer(false)).text.empty());
  EXPECT_EQ(loaded.file.writes, 0);
  EXPECT_EQ(loaded.page.SaveChanges(loaded.store, answer(true)).text, "保存设置成功");
  EXPECT_EQ(loaded.file.bytes.rfind("port = 80\r\nallowed_dir = up\r\nvexa_max_conns = 64\r\n", 0), 0u);
  EXPECT_EQ(std::string(OutsideChangeQuestion(OutsideChangeKind::Deleted)).rfind("vexa.cfg 已被其他程序删除", 0), 0u);
}

TEST(SystemLimitsPage, ReadmeErrorNamesThePathAndTheSystemReason) {
  EXPECT_EQ(ReadmeOpenErrorText("C:\\程序 嘰\\Readme.txt", "系统找不到指定的文件。"),
            "无法打开说明文档：\nC:\\程序 嘰\\Readme.txt\n系统找不到指定的文件。");
}

// The first offending field in table order is named; the masks are not encoded.
TEST(SystemLimitsPage, SaveNamesTheFirstFieldThatHoldsOtherTextOrANumberOutOfRange) {
  const std::string before = "vexa_guest_access = 3\r\n";
  LoadedLimits loaded(before);
  loaded.page.ValueOf("vexa_max_hops") = "2a";
  loaded.page.ValueOf("vexa_compression_level") = "9 ";
  loaded.page.guestBoxes[6] = 1;
  PageMessage message = loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(message.text, "“压缩等级 0至9”只能填写数字。");
  EXPECT_EQ(message.focusControl, 1025);
  EXPECT_EQ(loaded.page.ValueOf("vexa_guest_access"), "3");

  loaded.page.ValueOf("vexa_compression_level") = "10";
  message = loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(message.text, "“压缩等级 0至9”必须是 0 到 9 之间的数字。");

  // Both ends pass on to the next field.
  for (const char* level : {"0", "09"}) {
    loaded.page.ValueOf("vexa_compression_level") = level;
    message = loaded.page.SaveChanges(loaded.store);
    EXPECT_EQ(message.text, "“允许Track共享连接数”只能填写数字。") << level;
  }
  EXPECT_EQ(message.focusControl, 1027);
  EXPECT_EQ(loaded.file.bytes, before);
}

TEST(SystemLimitsPage, FailedSaveShowsTheReasonAndKeepsTheValues) {
  const std::string before = "vexa_max_conns = 10\r\n";
  LoadedLimits loaded(before);
  loaded.file.writeError = "拒绝访问。";
  loaded.page.ValueOf("vexa_max_conns") = "99";
  loaded.page.guestBoxes[0] = 1;

  PageMessage message = loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(message.icon, PageMessage::Icon::Error);
  // The file layer's message names vexa.cfg and the reason; the page passes it on.
  EXPECT_NE(message.text.find("拒绝访问。"), std::string::npos) << message.text;
  EXPECT_NE(message.text.find("可以再次保存"), std::string::npos) << message.text;
  EXPECT_EQ(message.text.find("保存设置成功"), std::string::npos) << message.text;
  EXPECT_EQ(loaded.file.bytes, before);
  EXPECT_EQ(loaded.page.ValueOf("vexa_max_conns"), "99");
  EXPECT_EQ(loaded.page.guestBoxes[0], 1);

  // Saving again once the file can be written succeeds with the same values.
  loaded.file.writeError.clear();
  message = loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(message.icon, PageMessage::Icon::Information);
  EXPECT_EQ(loaded.file.bytes,
            "vexa_max_conns = 99\r\n"
            "vexa_max_torrents = 1000\r\n"
            "vexa_guest_access = 1\r\n"
            "vexa_member_access = 0\r\n"
            "socket_timeout = 15\r\n"
            "vexa_refresh_static_interval = 1\r\n");
}

}  // namespace
}  // namespace vexa
