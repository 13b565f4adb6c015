#include "pages/display_options_page.h"

#include <gtest/gtest.h>

#include "base/text_codec.h"
#include "tests/pages/memory_config_file.h"

namespace vexa {
namespace {

const char* const kKeys[] = {
    "vexa_show_added",        "vexa_show_info_hash",    "vexa_show_size",
    "vexa_display_all",       "vexa_show_stats",        "vexa_show_num_files",
    "vexa_allow_comments",    "vexa_show_file_comment", "vexa_show_average_left",
    "vexa_show_min_left",     "vexa_show_max_left",     "vexa_show_left_as_progress",
    "vexa_show_completed",    "vexa_show_transferred",  "vexa_show_file_contents",
    "vexa_parse_on_upload",   "vexa_show_uploader",     "vexa_allow_torrent_downloads",
    "vexa_allow_search",      "vexa_allow_sort",        "vexa_delete_invalid",
    "vexa_allow_scrape",      "vexa_count_unique_peers"};

TEST(DisplayOptionsPage, FileWithoutItsKeysShowsZerosAndSaveAppendsAll23InTableOrder) {
  const std::string before = "port = 6969\r\n";
  MemoryConfigFile file(before);
  ConfigStore store(file);
  store.Load();
  DisplayOptionsPage page;
  page.Initialize(store);

  std::string expected = before;
  ASSERT_EQ(page.Fields().size(), 23u);
  for (std::size_t row = 0; row < 23; ++row) {
    EXPECT_EQ(page.Fields()[row].key, std::string(kKeys[row]));
    EXPECT_EQ(page.Value(row), "0") << kKeys[row];
    expected += std::string(kKeys[row]) + " = 0\r\n";
  }
  PageMessage message = page.SaveChanges(store);
  EXPECT_EQ(message.icon, PageMessage::Icon::Information);
  EXPECT_EQ(message.text, "保存设置成功");
  EXPECT_EQ(file.bytes, expected);

  // A second save without edits writes the same bytes.
  page.SaveChanges(store);
  EXPECT_EQ(file.bytes, expected);
  EXPECT_EQ(file.writes, 2);
}

TEST(DisplayOptionsPage, ValuesAreKeptAsTypedAndEmptyOnesDropTheirLine) {
  MemoryConfigFile file(
      "vexa_show_added =\r\n"
      "vexa_allow_scrape = 1\r\n"
      "vexa_allow_sort = 2\r\n");
  ConfigStore store(file);
  store.Load();
  DisplayOptionsPage page;
  page.Initialize(store);
  EXPECT_EQ(page.ValueOf("vexa_show_added"), "");
  EXPECT_EQ(page.ValueOf("vexa_allow_scrape"), "1");

  page.ValueOf("vexa_allow_scrape") = "";
  page.ValueOf("vexa_allow_sort") = "007";
  page.ValueOf("vexa_show_completed") = "全部 users";
  for (const char* key : kKeys) {
    if (std::string(key) != "vexa_allow_sort" && std::string(key) != "vexa_show_completed") {
      page.ValueOf(key) = "";
    }
  }
  page.SaveChanges(store);
  // The page's UTF-8 goes into vexa.cfg in the ANSI code page: 全部 in GBK.
  EXPECT_EQ(file.bytes,
            "vexa_allow_sort = 007\r\nvexa_show_completed = \xC8\xAB\xB2\xBF users\r\n");

  // Next start: the cleared key shows its default again.
  ConfigStore restarted(file);
  restarted.Load();
  DisplayOptionsPage again;
  again.Initialize(restarted);
  EXPECT_EQ(again.ValueOf("vexa_allow_scrape"), "0");
  EXPECT_EQ(again.ValueOf("vexa_allow_sort"), "007");
}

#ifndef _WIN32  // the native build's code page can be chosen; Wine's is the process's
// vexa.cfg is read in the ANSI code page and shown as UTF-8; a value that
// page cannot hold is refused at save and nothing is written. Here the
// native stand-in for the system's code page is 1252, as on a Western system.
TEST(DisplayOptionsPage, ValuesCrossTheAnsiCodePageAndWhatItCannotHoldIsRefused) {
  struct Codepage1252 {
    Codepage1252() { SetNativeAnsiCharset("CP1252"); }
    ~Codepage1252() { SetNativeAnsiCharset("GBK"); }
  } cp1252;
  const std::string before =
      "vexa_show_completed = Donn\xE9"
      "es\r\nport = 6969\r\n";
  MemoryConfigFile file(before);
  ConfigStore store(file);
  store.Load();
  DisplayOptionsPage page;
  page.Initialize(store);
  EXPECT_EQ(page.ValueOf("vexa_show_completed"), "Données");

  page.ValueOf("vexa_show_completed") = "数据";
  PageMessage refused = page.SaveChanges(store);
  EXPECT_EQ(refused.icon, PageMessage::Icon::Error);
  const std::size_t row = page.RowOf("vexa_show_completed");
  EXPECT_EQ(refused.text, NotInCodePageText(page.Fields()[row].caption));
  EXPECT_EQ(refused.focusControl, page.Fields()[row].control);
  EXPECT_EQ(file.writes, 0);
  EXPECT_EQ(file.bytes, before);

  // What 1252 holds goes back byte for byte.
  page.ValueOf("vexa_show_completed") = "Données";
  page.SaveChanges(store);
  EXPECT_EQ(file.writes, 1);
  EXPECT_EQ(file.bytes.rfind("vexa_show_completed = Donn\xE9"
                             "es\r\nport = 6969\r\n",
                             0),
            0u)
      << file.bytes;
}

#endif

TEST(TextCodec, ConvertsBetweenUtf8TheAnsiCodePageAndGbk) {
  std::string ansi;
  ASSERT_TRUE(TextToAnsi("备份", &ansi));
  EXPECT_EQ(ansi, "\xB1\xB8\xB7\xDD");  // GBK stands for the ANSI code page natively
  EXPECT_EQ(TextFromAnsi(ansi), "备份");
  EXPECT_EQ(TextToGbk("Vexa管理服务器"), "Vexa\xB9\xDC\xC0\xED\xB7\xFE\xCE\xF1\xC6\xF7");
  EXPECT_EQ(TextFromGbk("\xB1\xB8\xB7\xDD"), "备份");
  // GBK has no Hangul: refused for vexa.cfg, a '?' in the log.
  ansi = "kept";
  EXPECT_FALSE(TextToAnsi("한", &ansi));
  EXPECT_EQ(ansi, "kept");
  EXPECT_EQ(TextToGbk("a한b"), "a?b");
}

}  // namespace
}  // namespace vexa
