#pragma once
// A vexa.cfg as the tracker's users grow it, the same for the native and
// the Wine benchmark: known keys, numbered extra keys, numbers, paths with
// double-byte characters, uneven spacing.
#include <string>

namespace vexa::bench {

inline std::string MakeConfig(int lines) {
  static const char* const kKeys[] = {
      "vexa_max_conns", "vexa_max_torrents", "socket_timeout", "vexa_file_expires",
      "vexa_refresh_static_interval", "vexa_per_page", "vexa_compression_level",
      "vexa_flush_interval", "vexa_max_hops", "vexa_guest_access", "vexa_member_access", "port",
      "vexa_file_dir", "allowed_dir", "vexa_web_dir", "dfile", "vexa_show_added",
      "image_bar_fill", "image_bar_trans", "vexa_custom_title"};
  static const char* const kValues[] = {
      "64", "1000", "15", "6969", "D:\\Vexa\\数据嘰\\web", "images/bar_fill.gif", "0",
      "维克萨服务器 俓乗", "C:\\Program Files\\Vexa\\torrents", "4294967295"};
  std::string text;
  for (int i = 0; i < lines; ++i) {
    std::string key = kKeys[i % 20];
    if (i % 3 == 0) key += "_" + std::to_string(i);
    text += key;
    text += (i % 7 == 0) ? "=" : " = ";
    text += kValues[(i * 7) % 10];
    text += "\r\n";
  }
  return text;
}

}  // namespace vexa::bench
