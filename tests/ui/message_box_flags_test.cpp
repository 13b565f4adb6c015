#include "ui/message_box_flags.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(AppMessageBoxFlags, AddsAnIconOnlyWhenNoneIsGiven) {
  EXPECT_EQ(AppMessageBoxFlags(0x00), 0x30u);          // MB_OK -> warning
  EXPECT_EQ(AppMessageBoxFlags(0x01), 0x31u);          // MB_OKCANCEL -> warning
  EXPECT_EQ(AppMessageBoxFlags(0x04), 0x24u);          // MB_YESNO -> question
  EXPECT_EQ(AppMessageBoxFlags(0x03), 0x23u);          // MB_YESNOCANCEL -> question
  EXPECT_EQ(AppMessageBoxFlags(0x02), 0x02u);          // MB_ABORTRETRYIGNORE: none
  EXPECT_EQ(AppMessageBoxFlags(0x05), 0x05u);          // MB_RETRYCANCEL: none
  EXPECT_EQ(AppMessageBoxFlags(0x40), 0x40u);          // information stays
  EXPECT_EQ(AppMessageBoxFlags(0x10), 0x10u);          // stop sign stays
  EXPECT_EQ(AppMessageBoxFlags(0x1000), 0x1030u);      // other bits are kept
  EXPECT_STREQ(kAppTitle, "VexaPanel");
}

}  // namespace
}  // namespace vexa
