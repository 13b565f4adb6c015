#pragma once
// The values of the system limits page (dialog CBTsystem, template 145):
// nine digit fields and the guest and member access masks as two rows of
// seven check boxes.
#include <cstdint>

#include "pages/access_mask.h"
#include "pages/settings_page.h"
#include "resources/resource.h"

namespace vexa {

// Check box of a right: first control id + bit position.
constexpr int kGuestFirstBox = IDC_SYS_GUEST_VIEW;    // "浏览" ... "注册"
constexpr int kMemberFirstBox = IDC_SYS_MEMBER_VIEW;  // "浏览" ... "注册"

extern const char kGuestAccessKey[];
extern const char kMemberAccessKey[];
extern const char kSystemLimitsPageName[];  // the tab's caption

// "打开说明文档" could not open the guide: where it looked and why not.
std::string ReadmeOpenErrorText(const std::string& path, const std::string& reason);

class SystemLimitsPage : public SettingsPage {
 public:
  SystemLimitsPage();

  // Box flags by bit position (0 unticked, 1 ticked).
  std::int32_t memberBoxes[kAccessRightCount] = {};
  std::int32_t guestBoxes[kAccessRightCount] = {};

 protected:
  void DecodeLoaded() override;
  void EncodeDerived() override;
};

}  // namespace vexa
