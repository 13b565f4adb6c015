#include "pages/system_limits_page.h"

namespace vexa {

const char kGuestAccessKey[] = "vexa_guest_access";
const char kMemberAccessKey[] = "vexa_member_access";

std::string ReadmeOpenErrorText(const std::string& path, const std::string& reason) {
  return "无法打开说明文档：\n" + path + "\n" + reason;
}

namespace {

std::vector<FieldSpec> SystemLimitsTable() {
  return {
      {IDC_SYS_MAX_CONNS, "最大并发连接", "vexa_max_conns", "64", FieldKind::Digits},
      {IDC_SYS_MAX_TORRENTS, "最大链表文件数", "vexa_max_torrents", "1000", FieldKind::Digits},
      {0, "普通游客权限", kGuestAccessKey, "", FieldKind::Derived},
      {0, "注册用户权限", kMemberAccessKey, "", FieldKind::Derived},
      {IDC_SYS_SOCKET_TIMEOUT, "连接超时:分钟", "socket_timeout", "15", FieldKind::Digits},
      {IDC_SYS_FILE_EXPIRES, "下载超时:分钟", "vexa_file_expires", "", FieldKind::Digits},
      {IDC_SYS_REFRESH_STATIC_INTERVAL, "刷新上下包含页间隔", "vexa_refresh_static_interval", "1",
       FieldKind::Digits},
      {IDC_SYS_PER_PAGE, "每页显示的下载数目", "vexa_per_page", "", FieldKind::Digits},
      {IDC_SYS_COMPRESSION_LEVEL, "压缩等级 0至9", "vexa_compression_level", "", FieldKind::Digits},
      {IDC_SYS_FLUSH_INTERVAL, "保存日志间隔", "vexa_flush_interval", "", FieldKind::Digits},
      {IDC_SYS_MAX_HOPS, "允许Track共享连接数", "vexa_max_hops", "", FieldKind::Digits},
  };
}

// Loading and saving run in different orders; the save order decides where
// missing keys are appended to vexa.cfg.
std::vector<std::string> LoadOrder() {
  return {"vexa_max_conns",        "vexa_max_torrents",   "vexa_file_expires",
          "vexa_refresh_static_interval", "vexa_per_page", "vexa_compression_level",
          "socket_timeout",        "vexa_flush_interval", "vexa_max_hops",
          kMemberAccessKey,        kGuestAccessKey};
}

std::vector<std::string> SaveOrder() {
  return {"vexa_max_conns",    "vexa_max_torrents",
          kGuestAccessKey,     kMemberAccessKey,
          "socket_timeout",    "vexa_file_expires",
          "vexa_refresh_static_interval", "vexa_per_page",
          "vexa_compression_level", "vexa_flush_interval",
          "vexa_max_hops"};
}

}  // namespace

const char kSystemLimitsPageName[] = "系统设置";

SystemLimitsPage::SystemLimitsPage()
    : SettingsPage(kSystemLimitsPageName, SystemLimitsTable(), LoadOrder(), SaveOrder(), "保存设置成功") {
  LimitRange("vexa_compression_level", 0, 9);
}

void SystemLimitsPage::DecodeLoaded() {
  DecodeAccessMask(ValueOf(kMemberAccessKey), memberBoxes);
  DecodeAccessMask(ValueOf(kGuestAccessKey), guestBoxes);
}

void SystemLimitsPage::EncodeDerived() {
  ValueOf(kMemberAccessKey) = EncodeAccessMask(memberBoxes);
  ValueOf(kGuestAccessKey) = EncodeAccessMask(guestBoxes);
}

}  // namespace vexa
