#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every suite:
# native (host compiler, ASan/UBSan), Wine (the Win32 layer) and end to end
# (the real VexaPanel.exe under Wine in Xvfb).
set -euo pipefail
VEXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$VEXA_ROOT"
JOBS=${JOBS:-2}

# Each step's heading says how long the run has taken so far.
step() { echo "=== $1 (at ${SECONDS} s)"; }

bash scripts/install-deps.sh

# Warnings fail a CI build (the presets read VEXA_WERROR).
if [ -n "${CI:-}" ]; then export VEXA_WERROR=ON; fi

# A build directory of another generator than the presets' Ninja starts afresh.
for dir in build/native build/mingw build/fuzz; do
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
done

background=()
cleanup() {
  for pid in "${background[@]}"; do kill -- "-$pid" 2>/dev/null || true; done
  bash scripts/desktops.sh stop  # when ctest was stopped before its cleanup
}
trap cleanup EXIT
# A job beside the builds runs in a session of its own (so that the cleanup
# can stop it) at idle priority.
idle() {
  if chrt --idle 0 true 2>/dev/null; then
    setsid chrt --idle 0 "$@"
  else
    setsid nice -n 19 "$@"
  fi
}

# The Wine prefix is made while the native build runs.
mkdir -p build
idle bash -c 'source scripts/wine-env.sh && vexa_wine_prepare' >build/wine-prepare.log 2>&1 &
prepare=$!
background+=("$prepare")

step "native build"
cmake --preset native >/dev/null
cmake --build --preset native -j "$JOBS"

step "mingw build"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$JOBS"

step "native tests"
ctest --preset native -j "$JOBS"

if ! wait "$prepare"; then cat build/wine-prepare.log; exit 1; fi
wineserver -w  # the prefix's own server, of idle priority, is gone

# Every Wine suite in one run: ctest starts two desktops first (fixture
# "desktops", scripts/desktops.sh), gives each test a place on one, or a
# whole one to the tests labelled serial, and stops them after the last.
step "Wine and end-to-end tests"
ctest --preset mingw

# Every libFuzzer target for 7 s (clang build in build/fuzz), then clang-tidy
# and cppcheck over our own code; a crash, broken property or finding fails.
# Not beside the Wine suites, which that slowed by half even at idle priority.
step "short fuzz runs"
bash scripts/fuzz.sh short 7
step "static analysis"
bash scripts/static-analysis.sh
step "done"
