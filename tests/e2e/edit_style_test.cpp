// Typed input reaches the settings pages' fields through the panel's own
// message loop; the digits-only fields refuse everything but 0 to 9.
// Also the worked example of the driver: start, find a page, type, read.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/driver.h"

namespace vexa::e2e {
namespace {

struct PageFields {
  int tab;
  std::vector<int> fields;
  std::set<int> digitsOnly;
};

const PageFields kPages[] = {
    {1,  // directories
     {1015, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1016, 1031,
      1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1046},
     {1028, 1029}},
    {2,  // display options: all digits-only but 1028
     {1015, 1018, 1019, 1020, 1021, 1022, 1047, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1043,
      1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038},
     {1015, 1018, 1019, 1020, 1021, 1022, 1047, 1023, 1024, 1025, 1026, 1027, 1029, 1043, 1031,
      1032, 1033, 1034, 1035, 1036, 1037, 1038}},
    {3,  // system limits
     {1015, 1018, 1021, 1022, 1023, 1024, 1025, 1026, 1027},
     {1015, 1018, 1021, 1022, 1023, 1024, 1025, 1026, 1027}},
};

TEST(Fields, DigitsOnlyFieldsRefuseOtherCharactersAndTheRestTakeAnyText) {
  ProgramDir dir;
  ASSERT_TRUE(dir.Ready());
  Panel panel;
  ASSERT_TRUE(panel.Start(dir));

  const std::string typed = "1a-2.3 x";
  for (const PageFields& page : kPages) {
    HWND window = panel.Page(page.tab);
    ASSERT_TRUE(window) << "tab " << page.tab;
    for (int id : page.fields) {
      SCOPED_TRACE("tab " + std::to_string(page.tab) + ", field " + std::to_string(id));
      HWND edit = Item(window, id);
      ASSERT_TRUE(edit);
      EXPECT_EQ(ClassOf(edit), "Edit");
      ASSERT_TRUE(SetText(edit, ""));
      ASSERT_TRUE(TypeChars(edit, typed));
      EXPECT_EQ(Text(edit), page.digitsOnly.count(id) ? "123" : typed);
    }
  }
}

}  // namespace
}  // namespace vexa::e2e
