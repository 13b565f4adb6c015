#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix. CMake uses it as
# the cross-compiling emulator, so ctest runs the MinGW tests through it.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
vexa_wine_prepare
# ctest lists each program's tests before the first test runs, one listing
# a filter. A server and the prefix's services started by a listing would
# hold ctest's pipe until they end, and the next listing would boot them
# again (25 s in all): they are started once, away from the pipe, and go
# 5 s after the last listing.
case " $* " in
  *" --gtest_list_tests "*)
    if setsid wineserver -p5 </dev/null >/dev/null 2>&1; then
      wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
    fi
    ;;
esac
exec wine "$@"
