#include "pages/directories_page.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "base/text_codec.h"
#include "tests/pages/memory_config_file.h"

namespace vexa {
namespace {

const char kProgram[] = "D:\\tools\\";

// Directories as a set of names; creation can be made to fail per path.
class FakeDirectories : public DirectorySystem {
 public:
  bool Exists(const std::string& path) override { return existing.count(path) != 0; }
  bool IsDirectory(const std::string& path) override { return Exists(path); }
  bool CreateDirectory(const std::string& path) override {
    created.push_back(path);
    if (failing.count(path) != 0) return false;
    existing.insert(path);
    return true;
  }
  std::set<std::string> existing{"c:", "C:", "D:", "D:\\tools"};
  std::string Reason() override { return reason; }
  std::set<std::string> failing;
  std::string reason;
  std::vector<std::string> created;
};

class FakeHomePage : public HomePageFile {
 public:
  bool Exists(const std::string& path) override {
    return files.count(path) != 0 || directories.count(path) != 0;
  }
  Status Create(const std::string& path, const std::string& bytes) override {
    if (!error.empty()) return Status::Error(error);
    files[path] = bytes;
    return Status::Ok();
  }
  std::map<std::string, std::string> files;
  std::set<std::string> directories;
  std::string error;
};

struct LoadedDirectories {
  explicit LoadedDirectories(std::string bytes, const char* program = kProgram)
      : file(std::move(bytes)), store(file), page(program, directories, homePage) {
    store.Load();
    page.Initialize(store);
  }
  MemoryConfigFile file;
  ConfigStore store;
  FakeDirectories directories;
  FakeHomePage homePage;
  DirectoriesPage page;
};

TEST(DirectoriesPage, HomePageIs618GbkBytesWithoutLineEnd) {
  std::string text = HomePageBytes();
  EXPECT_EQ(text, TextToGbk(kHomePageText));
  EXPECT_EQ(text.size(), 618u);
  EXPECT_EQ(text.substr(0, 25), "<BR><BR><FONT SIZE=2><BR>");
  EXPECT_EQ(text.substr(text.size() - 7), "</FONT>");
  // 这 in GBK, and the single backslashes of virt\fx and C:\fx
  EXPECT_EQ(text.substr(25, 2), "\xD5\xE2");
  EXPECT_NE(text.find("virt\\fx\xBB\xF2\xD5\xDF" "C:\\fx"), std::string::npos);
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(DirectoriesPage, DefaultsCreateTheDirectoriesAndTheHomePageAndAppendInTableOrder) {
  const std::string before = "vexa_max_conns = 64\r\n";
  LoadedDirectories loaded(before);
  EXPECT_EQ(loaded.page.ValueOf("allowed_dir"), "c:\\VEVorive\\Upload");
  EXPECT_EQ(loaded.page.ValueOf("vexa_file_dir"), "file");
  EXPECT_EQ(loaded.page.ValueOf("vexa_tag1"), "");

  PageMessage message = loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(message.icon, PageMessage::Icon::Information);
  EXPECT_EQ(message.text, "自动校验设置目录完毕!\n保存设置成功");
  EXPECT_EQ(loaded.directories.created,
            (std::vector<std::string>{"c:\\VEVorive", "c:\\VEVorive\\Upload", "D:\\tools\\file",
                                      "D:\\tools\\log"}));
  ASSERT_EQ(loaded.homePage.files.size(), 1u);
  EXPECT_EQ(loaded.homePage.files["D:\\tools\\file\\index.html"], HomePageBytes());
  EXPECT_EQ(loaded.file.bytes, before +
                                   "allowed_dir = c:\\VEVorive\\Upload\r\n"
                                   "vexa_upload_dir = c:\\VEVorive\\Upload\r\n"
                                   "vexa_file_dir = file\r\n"
                                   "vexa_access_log_dir = log\r\n"
                                   "vexa_force_announce_url = http://localhost:6969/announce\r\n"
                                   "vexa_users_file = users.vexa\r\n"
                                   "dfile = dstate.vexa\r\n"
                                   "vexa_comments_file = comments.vexa\r\n"
                                   "vexa_tag_file = tags.vexa\r\n"
                                   "port = 6969\r\n"
                                   "vexa_style_sheet = /files/style.css\r\n"
                                   "vexa_static_header = header.html\r\n"
                                   "vexa_static_footer = footer.html\r\n"
                                   "vexa_charset = gb2312\r\n"
                                   "image_bar_trans = /files/image_bar_trans.jpg\r\n"
                                   "image_bar_fill = /files/image_bar_fill.jpg\r\n");
}

// A paste gets letters past the port field's own filter, and digits can
// name no port: the save names the field, creates nothing and writes
// nothing, and the typed text stays.
TEST(DirectoriesPage, PortThatIsNoNumberFrom1To65535RefusesTheWholeSave) {
  const std::string before = "port = 7000\r\n";
  LoadedDirectories loaded(before);
  loaded.page.ValueOf("port") = "7001http://x";
  loaded.page.ValueOf("vexa_file_dir") = "web";

  PageMessage message = loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(message.icon, PageMessage::Icon::Error);
  EXPECT_EQ(message.text, "“BT服务端口”只能填写数字。");
  EXPECT_EQ(message.focusControl, 1029);
  for (const char* port : {"0", "65536", "000099999999999999999999"}) {
    loaded.page.ValueOf("port") = port;
    EXPECT_EQ(loaded.page.SaveChanges(loaded.store).text,
              "“BT服务端口”必须是 1 到 65535 之间的数字。");
  }
  EXPECT_EQ(loaded.file.writes, 0);
  EXPECT_EQ(loaded.file.bytes, before);
  EXPECT_TRUE(loaded.directories.created.empty());
  EXPECT_TRUE(loaded.homePage.files.empty());
  EXPECT_EQ(loaded.page.ValueOf("port"), "000099999999999999999999");
  for (const char* port : {"1", "065535"}) {
    loaded.page.ValueOf("port") = port;
    EXPECT_EQ(loaded.page.SaveChanges(loaded.store).icon, PageMessage::Icon::Information) << port;
  }
}

TEST(DirectoriesPage, DirectoryFieldsComeBackCleanedAndTheHomePageFollowsTheWebDirectory) {
  LoadedDirectories loaded(
      "allowed_dir = D:\\tools\\up\r\n"
      "vexa_upload_dir = \r\n"
      "vexa_file_dir = web\\\r\n"
      "vexa_access_log_dir = \\lo|g\r\n"
      "vexa_external_torrent_dir = x/y\r\n");
  EXPECT_EQ(loaded.page.ValueOf("vexa_upload_dir"), "");
  loaded.page.SaveChanges(loaded.store);

  EXPECT_EQ(loaded.page.ValueOf("allowed_dir"), "up");
  EXPECT_EQ(loaded.page.ValueOf("vexa_upload_dir"), "");
  EXPECT_EQ(loaded.page.ValueOf("vexa_file_dir"), "web");
  EXPECT_EQ(loaded.page.ValueOf("vexa_access_log_dir"), "log");
  // not a directory row: kept as typed
  EXPECT_EQ(loaded.page.ValueOf("vexa_external_torrent_dir"), "x/y");
  // the empty row creates nothing
  EXPECT_EQ(loaded.directories.created,
            (std::vector<std::string>{"D:\\tools\\up", "D:\\tools\\web", "D:\\tools\\log"}));
  EXPECT_EQ(loaded.homePage.files.count("D:\\tools\\web\\index.html"), 1u);
  const std::string head =
      "allowed_dir = up\r\n"
      "vexa_file_dir = web\r\n"
      "vexa_access_log_dir = log\r\n"
      "vexa_external_torrent_dir = x/y\r\n"
      "vexa_force_announce_url = ";
  EXPECT_EQ(loaded.file.bytes.substr(0, head.size()), head);

  // An absolute web directory takes the home page with it.
  loaded.page.ValueOf("vexa_file_dir") = "C:\\fx";
  loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(loaded.homePage.files.count("C:\\fx\\index.html"), 1u);
  EXPECT_EQ(loaded.page.ValueOf("vexa_file_dir"), "C:\\fx");

  // An empty web directory puts it beside the program.
  loaded.page.ValueOf("vexa_file_dir") = "";
  loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(loaded.homePage.files.count("D:\\tools\\\\index.html"), 1u);
}

TEST(DirectoriesPage, AnExistingHomePageOrDirectoryOfThatNameIsLeftAlone) {
  LoadedDirectories loaded("");
  loaded.homePage.files["D:\\tools\\file\\index.html"] = "edited";
  loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(loaded.homePage.files["D:\\tools\\file\\index.html"], "edited");

  LoadedDirectories withDirectory("vexa_file_dir = web\r\n");
  withDirectory.homePage.directories.insert("D:\\tools\\web\\index.html");
  PageMessage message = withDirectory.page.SaveChanges(withDirectory.store);
  EXPECT_TRUE(withDirectory.homePage.files.empty());
  EXPECT_EQ(message.icon, PageMessage::Icon::Information);
}

TEST(DirectoriesPage, FailuresAreNamedAndTheConfigurationIsStillSaved) {
  LoadedDirectories loaded("");
  loaded.directories.failing = {"c:\\VEVorive", "c:\\VEVorive\\Upload", "D:\\tools\\file"};
  loaded.directories.reason = "拒绝访问。";
  loaded.homePage.error = "系统找不到指定的路径。";

  PageMessage message = loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(message.icon, PageMessage::Icon::Error);
  // each folder once, although rows 1 and 2 both name it, with the reason
  EXPECT_EQ(message.text,
            "下列目录无法创建:\n"
            "  c:\\VEVorive：拒绝访问。\n"
            "  c:\\VEVorive\\Upload：拒绝访问。\n"
            "  D:\\tools\\file：拒绝访问。\n"
            "默认首页无法写入:\n"
            "  D:\\tools\\file\\index.html\n"
            "  系统找不到指定的路径。\n"
            "保存设置成功");
  EXPECT_NE(loaded.file.bytes.find("allowed_dir = c:\\VEVorive\\Upload\r\n"), std::string::npos);
  EXPECT_NE(loaded.file.bytes.find("vexa_file_dir = file\r\n"), std::string::npos);
}

TEST(DirectoriesPage, HomePageFailureAloneIsReportedAndSaveFailureFollowsIt) {
  LoadedDirectories loaded("port = 80\r\n");
  loaded.homePage.error = "拒绝访问。";
  loaded.file.writeError = "磁盘已满。";
  PageMessage message = loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(message.icon, PageMessage::Icon::Error);
  EXPECT_EQ(message.text.rfind("默认首页无法写入:\n  D:\\tools\\file\\index.html\n  拒绝访问。\n保存设置失败", 0),
            0u)
      << message.text;
  EXPECT_NE(message.text.find("磁盘已满。"), std::string::npos);
  EXPECT_EQ(loaded.file.bytes, "port = 80\r\n");
}

// Neither GBK nor 1252 can name it: cleaned without it, the relative
// directories would be made below the working directory.
TEST(DirectoriesPage, AProgramDirectoryTheCodePageCannotNameLeavesRelativeDirectoriesAlone) {
  LoadedDirectories loaded("", "D:\\한국\\");
  PageMessage message = loaded.page.SaveChanges(loaded.store);
  EXPECT_EQ(message.icon, PageMessage::Icon::Error);
  EXPECT_EQ(message.text.rfind("程序目录含有系统代码页无法表示的字符，相对目录没有校验和创建:\n"
                               "  D:\\한국\\\n",
                               0),
            0u)
      << message.text;
  // Only the absolute rows' folders; the rest is saved as it stands.
  EXPECT_EQ(loaded.directories.created,
            (std::vector<std::string>{"c:\\VEVorive", "c:\\VEVorive\\Upload"}));
  EXPECT_NE(loaded.file.bytes.find("vexa_file_dir = file\r\nvexa_access_log_dir = log\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace vexa
