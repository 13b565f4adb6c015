#include "shell/shell_open_win32.h"

#include <gtest/gtest.h>

#include "base/system_error_win32.h"

namespace vexa {
namespace {

TEST(ShellOpen, AFailedOpenCarriesTheSystemsReason) {
  const Status opened = ShellOpen("C:\\no such folder\\nothing here.vexa-none");
  EXPECT_TRUE(!opened.ok && (opened.message == SystemMessage(ERROR_FILE_NOT_FOUND) ||
                             opened.message == SystemMessage(ERROR_PATH_NOT_FOUND)))
      << opened.message;
}

}  // namespace
}  // namespace vexa
