#include "pages/display_options_page.h"

#include "resources/resource.h"

namespace vexa {

namespace {

std::vector<FieldSpec> DisplayOptionsTable() {
  const FieldKind kDigits = FieldKind::Digits;
  return {
      {IDC_OPT_SHOW_ADDED, "显示最后更新?", "vexa_show_added", "0", kDigits},
      {IDC_OPT_SHOW_INFO_HASH, "显示散列表Hash?", "vexa_show_info_hash", "0", kDigits},
      {IDC_OPT_SHOW_SIZE, "!!刷新文件内容列表?", "vexa_show_size", "0", kDigits},
      {IDC_OPT_DISPLAY_ALL, "显示全部链表?", "vexa_display_all", "0", kDigits},
      {IDC_OPT_SHOW_STATS, "显示索引详细?", "vexa_show_stats", "0", kDigits},
      {IDC_OPT_SHOW_NUM_FILES, "显示文件数?", "vexa_show_num_files", "0", kDigits},
      {IDC_OPT_ALLOW_COMMENTS, "显示留言评论?", "vexa_allow_comments", "0", kDigits},
      {IDC_OPT_SHOW_FILE_COMMENT, "显示链表注释?", "vexa_show_file_comment", "0", kDigits},
      {IDC_OPT_SHOW_AVERAGE_LEFT, "显示平均进程?", "vexa_show_average_left", "0", kDigits},
      {IDC_OPT_SHOW_MIN_LEFT, "显示最小进程?", "vexa_show_min_left", "0", kDigits},
      {IDC_OPT_SHOW_MAX_LEFT, "显示最大进程?", "vexa_show_max_left", "0", kDigits},
      {IDC_OPT_SHOW_LEFT_AS_PROGRESS, "按百分比显示进程?", "vexa_show_left_as_progress", "0",
       kDigits},
      {IDC_OPT_SHOW_COMPLETED, "显示完成用户?", "vexa_show_completed", "0", FieldKind::Text},
      {IDC_OPT_SHOW_TRANSFERRED, "显示已传送总大小?", "vexa_show_transferred", "0", kDigits},
      {IDC_OPT_SHOW_FILE_CONTENTS, "显示内容列表?", "vexa_show_file_contents", "0", kDigits},
      {IDC_OPT_PARSE_ON_UPLOAD, "上传完成解析链表?", "vexa_parse_on_upload", "0", kDigits},
      {IDC_OPT_SHOW_UPLOADER, "显示上传用户名?", "vexa_show_uploader", "0", kDigits},
      {IDC_OPT_ALLOW_TORRENT_DOWNLOADS, "允许下载链表?", "vexa_allow_torrent_downloads", "0",
       kDigits},
      {IDC_OPT_ALLOW_SEARCH, "允许用户搜索?", "vexa_allow_search", "0", kDigits},
      {IDC_OPT_ALLOW_SORT, "允许排序列表?", "vexa_allow_sort", "0", kDigits},
      {IDC_OPT_DELETE_INVALID, "自动删除无效链表?", "vexa_delete_invalid", "0", kDigits},
      {IDC_OPT_ALLOW_SCRAPE, "允许/scrape", "vexa_allow_scrape", "0", kDigits},
      {IDC_OPT_COUNT_UNIQUE_PEERS, "!!统计用户序号?", "vexa_count_unique_peers", "0", kDigits},
  };
}

}  // namespace

const char kDisplayOptionsPageName[] = "选项设置";

DisplayOptionsPage::DisplayOptionsPage()
    : SettingsPage(kDisplayOptionsPageName, DisplayOptionsTable(), {}, {}, "保存设置成功") {}

}  // namespace vexa
