#include "backup/file_error.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(FileError, TextNamesTheFile) {
  EXPECT_EQ(FileErrorText(FileErrorCause::AccessDenied, "C:\\x.vexa", "拒绝访问。"),
            "Access to C:\\x.vexa was denied.\n拒绝访问。");
  EXPECT_EQ(FileErrorText(FileErrorCause::Generic, "C:\\100%1.vexa", ""),
            "An unknown error occurred while accessing C:\\100%1.vexa.");
}

}  // namespace
}  // namespace vexa
