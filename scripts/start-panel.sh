#!/usr/bin/env bash
# Builds the panel and starts it under Wine from a demo program directory.
set -euo pipefail
VEXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$VEXA_ROOT"
bash scripts/install-deps.sh
cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/mingw -j "${JOBS:-2}"
echo "The panel's window is not built yet; this command built everything that exists so far."
