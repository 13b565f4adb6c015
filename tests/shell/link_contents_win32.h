// What a shortcut file holds, read back through IShellLinkW.
#ifndef VEXA_TESTS_SHELL_LINK_CONTENTS_WIN32_H_
#define VEXA_TESTS_SHELL_LINK_CONTENTS_WIN32_H_

#include <string>

namespace vexa::test {

struct LinkContents {
  std::string path, workingDirectory, description;
};

// Empty fields when the file cannot be loaded as a shortcut.
LinkContents ReadLink(const std::string& file);

}  // namespace vexa::test

#endif  // VEXA_TESTS_SHELL_LINK_CONTENTS_WIN32_H_
