#include "pages/directories_page.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/text_codec.h"
#include "config/config_store.h"
#include "resources/resource.h"

namespace vexa {

const char kHomePageText[] =
    "<BR><BR><FONT SIZE=2><BR>这是自动创建的默认首页：index.html<BR>"
    "你可在虚拟目录路径下发现此文件并修改<BR><BR>"
    "虚拟目录与子目录里的文件都可以通过HTTP访问<BR>"
    "网址形如：HTTP://主机名:服务端口号/虚拟目录/文件名<BR>"
    "注意：Vexa发布主目录的文件只能通过系统解释性的间接访问<BR><BR>"
    "WEB页所需要的图片或CSS样式表文件请放到虚拟目录<BR>"
    "加入网页用网址或相对路径如：虚拟目录名/文件名.JPG<BR><BR>"
    "虚拟目录设为相对路径时应在应用程序目录下,也可设为绝对路径<BR>"
    "可设置多层子目录，目录不存在时系统自动创建(支持多层目录)<BR><BR>"
    "虚拟目录名是您设置的虚拟目录路径的最后一级目录名字<br>"
    "例如您设置虚拟路径fx或者virt\\fx或者C:\\fx虚拟目录名都是fx</FONT>";
const char kHomePageName[] = "\\index.html";
const char kDirectoriesPageName[] = "目录设置";

std::string HomePageBytes() { return TextToGbk(kHomePageText); }

namespace {

// A program directory the ANSI code page cannot name gives no prefix, and
// the relative directories are left alone (the tracker could not use that
// program directory either).
std::string AnsiOrEmpty(const std::string& text) {
  std::string ansi;
  return TextToAnsi(text, &ansi) ? ansi : std::string();
}

const char kDirectoriesChecked[] = "自动校验设置目录完毕!";
const char kDirectoriesNotCreated[] = "下列目录无法创建:";
const char kHomePageNotWritten[] = "默认首页无法写入:";
const char kProgramDirectoryUnnamed[] =
    "程序目录含有系统代码页无法表示的字符，相对目录没有校验和创建:";

const char kWebDirectoryKey[] = "vexa_file_dir";
// Rows 1 to 4, cleaned and created in this order.
const char* const kDirectoryKeys[] = {"allowed_dir", "vexa_upload_dir", kWebDirectoryKey,
                                      "vexa_access_log_dir"};

std::vector<FieldSpec> DirectoriesTable() {
  const FieldKind kText = FieldKind::Text;
  return {
      {IDC_DIR_ALLOWED_DIR, "BT发布主目录", "allowed_dir", "c:\\VEVorive\\Upload", kText},
      {IDC_DIR_UPLOAD_DIR, "上传种子文件目录", "vexa_upload_dir", "c:\\VEVorive\\Upload", kText},
      {IDC_DIR_FILE_DIR, "WEB文件虚拟目录", kWebDirectoryKey, "file", kText},
      {IDC_DIR_ACCESS_LOG_DIR, "日志文件目录", "vexa_access_log_dir", "log", kText},
      {IDC_DIR_ANNOUNCE_URL, "Announce URL", "vexa_force_announce_url",
       "http://localhost:6969/announce", kText},
      {IDC_DIR_EXTERNAL_TORRENT_DIR, "!!使用其他下载网址", "vexa_external_torrent_dir", "", kText},
      {IDC_DIR_USERS_FILE, "用户数据文件", "vexa_users_file", "users.vexa", kText},
      {IDC_DIR_DFILE, "Track状态记录文件", "dfile", "dstate.vexa", kText},
      {IDC_DIR_COMMENTS_FILE, "注释存诸文件", "vexa_comments_file", "comments.vexa", kText},
      {IDC_DIR_TAG_FILE, "分类存诸文件", "vexa_tag_file", "tags.vexa", kText},
      {IDC_DIR_DUMP_XML_FILE, "!!输出XML数据文件", "vexa_dump_xml_file", "", kText},
      {IDC_DIR_DUMP_XML_INTERVAL, "XML更新间隔:秒", "vexa_dump_xml_interval", "",
       FieldKind::Digits},
      {IDC_DIR_PORT, "BT服务端口", "port", kDefaultPort, FieldKind::Digits},
      {IDC_DIR_STYLE_SHEET, "CSS样式表", "vexa_style_sheet", "/files/style.css", kText},
      {IDC_DIR_STATIC_HEADER, "上包含页", "vexa_static_header", "header.html", kText},
      {IDC_DIR_STATIC_FOOTER, "下包含页", "vexa_static_footer", "footer.html", kText},
      {IDC_DIR_CHARSET, "HTML语言编码", "vexa_charset", "gb2312", kText},
      {IDC_DIR_TAG1, "分类一", "vexa_tag1", "", kText},
      {IDC_DIR_TAG2, "分类二", "vexa_tag2", "", kText},
      {IDC_DIR_TAG3, "分类三", "vexa_tag3", "", kText},
      {IDC_DIR_TAG4, "分类四", "vexa_tag4", "", kText},
      {IDC_DIR_TAG5, "分类五", "vexa_tag5", "", kText},
      {IDC_DIR_TAG6, "分类六", "vexa_tag6", "", kText},
      {IDC_DIR_TAG7, "分类七", "vexa_tag7", "", kText},
      {IDC_DIR_TAG8, "分类八", "vexa_tag8", "", kText},
      {IDC_DIR_TAG9, "分类九", "vexa_tag9", "", kText},
      {IDC_DIR_IMAGE_BAR_TRANS, "条形图", "image_bar_trans", "/files/image_bar_trans.jpg", kText},
      {IDC_DIR_IMAGE_BAR_FILL, "条形图背景", "image_bar_fill", "/files/image_bar_fill.jpg", kText},
      {IDC_DIR_ERROR_LOG, "!!错误日志文件", "vexa_error_log", "", kText},
  };
}

}  // namespace

DirectoriesPage::DirectoriesPage(std::string programDirectory, DirectorySystem& directories,
                                 HomePageFile& homePage)
    : SettingsPage(kDirectoriesPageName, DirectoriesTable(), {}, {}, "保存设置成功"),
      programDirectory_(std::move(programDirectory)),
      ansiProgramDirectory_(AnsiOrEmpty(programDirectory_)),
      directories_(directories),
      homePage_(homePage) {
  LimitRange("port", 1, 65535);
}

std::string DirectoriesPage::HomePagePath() const {
  const std::string& web = ValueOf(kWebDirectoryKey);
  std::string directory = IsAbsolutePath(web) ? web : programDirectory_ + web;
  return directory + kHomePageName;
}

SettingsPage::StepReport DirectoriesPage::RunSaveSteps() {
  std::vector<std::string> notCreated;
  std::vector<std::string> notCreatedLines;  // each with its reason
  // Cleaned against no prefix, a relative directory would be made below
  // whatever the working directory is.
  const bool programDirectoryNamed = programDirectory_.empty() || !ansiProgramDirectory_.empty();
  bool relativeLeft = false;
  for (const char* key : kDirectoryKeys) {
    std::string& value = ValueOf(key);
    // The cleaning works on the bytes vexa.cfg will hold; the save has
    // already refused what the ANSI code page cannot hold.
    std::string ansi;
    if (value.empty() || !TextToAnsi(value, &ansi)) continue;
    if (!programDirectoryNamed && !IsAbsolutePath(value)) {
      relativeLeft = true;
      continue;
    }
    CheckDirectoryResult checked = CheckDirectory(ansi, ansiProgramDirectory_, directories_);
    value = TextFromAnsi(checked.path);
    // Two rows often name the same folder; name it once, with the
    // system's reason where there is one.
    for (std::size_t i = 0; i < checked.notCreated.size(); ++i) {
      std::string path = TextFromAnsi(checked.notCreated[i]);
      if (std::find(notCreated.begin(), notCreated.end(), path) != notCreated.end()) continue;
      notCreated.push_back(path);
      std::string line = path;
      if (i < checked.reasons.size() && !checked.reasons[i].empty()) {
        line += "：";
        line += checked.reasons[i];
      }
      notCreatedLines.push_back(std::move(line));
    }
  }

  // The home page is never overwritten, also not a directory of its name.
  std::string homePage = HomePagePath();
  Status written = Status::Ok();
  if (!homePage_.Exists(homePage)) written = homePage_.Create(homePage, HomePageBytes());

  StepReport report;
  if (notCreated.empty() && written.ok && !relativeLeft) {
    report.text = kDirectoriesChecked;
    return report;
  }
  report.failed = true;
  if (relativeLeft) report.text = std::string(kProgramDirectoryUnnamed) + "\n  " + programDirectory_;
  if (!notCreated.empty()) {
    if (!report.text.empty()) report.text += "\n";
    report.text += kDirectoriesNotCreated;
    for (const std::string& line : notCreatedLines) report.text += "\n  " + line;
  }
  if (!written.ok) {
    if (!report.text.empty()) report.text += "\n";
    report.text += std::string(kHomePageNotWritten) + "\n  " + homePage + "\n  " + written.message;
  }
  return report;
}

}  // namespace vexa
