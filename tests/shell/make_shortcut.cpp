// Makes the panel's desktop shortcut in the folder given as the only
// argument, so that a Linux tool can read the .lnk file back.
#include <cstdio>

#include "shell/desktop_shortcut.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  vexa::Status made = vexa::CreateShortcutIn(argv[1], "Vexa管理服务器", "Vexa服务端管理工具");
  if (!made.ok) {
    std::fprintf(stderr, "%s\n", made.message.c_str());
    return 1;
  }
  return 0;
}
