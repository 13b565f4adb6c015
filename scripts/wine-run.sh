#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix. CMake uses it as
# the cross-compiling emulator, so ctest runs the MinGW tests through it.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
vexa_wine_prepare
# ctest lists each program's tests (a listing a filter) before the first
# test: one detached server, its services started away from ctest's pipe,
# serves them all (25 s otherwise) and goes 5 s after the last.
if [[ " $* " == *" --gtest_list_tests "* ]] && setsid wineserver -p5 </dev/null >/dev/null 2>&1; then
  wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
fi
exec wine "$@"
