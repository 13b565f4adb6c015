#include "pages/display_options_page.h"

namespace vexa {

const char kDisplayOptionsNote[] =
    "注解\n---------------------------\n  !!为建议不设置项目\n  “链表”指.torrent文件\n"
    "  设置非零值为允许\n---------------------------\n";

namespace {

std::vector<FieldSpec> Table() {
  const FieldKind kDigits = FieldKind::Digits;
  return {
      {1015, "显示最后更新?", "vexa_show_added", "0", kDigits},
      {1018, "显示散列表Hash?", "vexa_show_info_hash", "0", kDigits},
      {1019, "!!刷新文件内容列表?", "vexa_show_size", "0", kDigits},
      {1020, "显示全部链表?", "vexa_display_all", "0", kDigits},
      {1021, "显示索引详细?", "vexa_show_stats", "0", kDigits},
      {1022, "显示文件数?", "vexa_show_num_files", "0", kDigits},
      {1047, "显示留言评论?", "vexa_allow_comments", "0", kDigits},
      {1023, "显示链表注释?", "vexa_show_file_comment", "0", kDigits},
      {1024, "显示平均进程?", "vexa_show_average_left", "0", kDigits},
      {1025, "显示最小进程?", "vexa_show_min_left", "0", kDigits},
      {1026, "显示最大进程?", "vexa_show_max_left", "0", kDigits},
      {1027, "按百分比显示进程?", "vexa_show_left_as_progress", "0", kDigits},
      {1028, "显示完成用户?", "vexa_show_completed", "0", FieldKind::Text},
      {1029, "显示已传送总大小?", "vexa_show_transferred", "0", kDigits},
      {1043, "显示内容列表?", "vexa_show_file_contents", "0", kDigits},
      {1031, "上传完成解析链表?", "vexa_parse_on_upload", "0", kDigits},
      {1032, "显示上传用户名?", "vexa_show_uploader", "0", kDigits},
      {1033, "允许下载链表?", "vexa_allow_torrent_downloads", "0", kDigits},
      {1034, "允许用户搜索?", "vexa_allow_search", "0", kDigits},
      {1035, "允许排序列表?", "vexa_allow_sort", "0", kDigits},
      {1036, "自动删除无效链表?", "vexa_delete_invalid", "0", kDigits},
      {1037, "允许/scrape", "vexa_allow_scrape", "0", kDigits},
      {1038, "!!统计用户序号?", "vexa_count_unique_peers", "0", kDigits},
  };
}

}  // namespace

DisplayOptionsPage::DisplayOptionsPage() : SettingsPage(Table(), {}, {}, "保存设置成功") {}

}  // namespace vexa
