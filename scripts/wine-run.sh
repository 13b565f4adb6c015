#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix. CMake uses it as
# the cross-compiling emulator, so ctest runs the MinGW tests through it.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
vexa_wine_prepare
exec wine "$@"
