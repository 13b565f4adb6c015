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

werror=OFF
if [ -n "${CI:-}" ]; then werror=ON; fi

# Ninja compiles a source as soon as what it needs exists, where make waits
# for whole libraries; a build directory of another generator starts afresh.
export CMAKE_GENERATOR=Ninja
for dir in build/native build/mingw build/fuzz; do
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
done

source scripts/wine-env.sh
background=()
serial_prefix=$WINEPREFIX-serial
serial_xvfb=
cleanup() {
  for pid in "${background[@]}"; do kill -- "-$pid" 2>/dev/null || true; done
  vexa_wineserver_stop
  vexa_xvfb_stop
  WINEPREFIX=$serial_prefix vexa_wineserver_stop
  VEXA_XVFB_PID=$serial_xvfb vexa_xvfb_stop
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
VEXA_FORCE_XVFB=1 vexa_xvfb_start
mkdir -p build
idle bash -c 'source scripts/wine-env.sh && vexa_wine_prepare' >build/wine-prepare.log 2>&1 &
prepare=$!
background+=("$prepare")

step "native build"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DVEXA_SANITIZE=ON -DVEXA_WERROR=$werror >/dev/null
cmake --build build/native -j "$JOBS"

step "mingw build"
cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DVEXA_WERROR=$werror >/dev/null
cmake --build build/mingw -j "$JOBS"

step "native tests"
ctest --test-dir build/native --output-on-failure -j "$JOBS"

if ! wait "$prepare"; then cat build/wine-prepare.log; exit 1; fi
wineserver -w  # the prefix's own server, of idle priority, is gone

# The tests labelled serial need a desktop to themselves (real keys, the
# screen's DPI, the slide's pixels, where the focus goes). They run one at a
# time on a second one: a copy of the prefix with a wineserver and an X
# display of its own, beside the other tests instead of after them.
rm -rf "$serial_prefix"
cp -a "$WINEPREFIX" "$serial_prefix"
keeper=build/mingw/tools/vexa-desktop-keeper.exe
vexa_wineserver_start
vexa_desktop_keeper_start "$keeper"
(
  export WINEPREFIX=$serial_prefix
  VEXA_FORCE_XVFB=1 vexa_xvfb_start
  echo "$DISPLAY $VEXA_XVFB_PID" >build/serial-display
  vexa_wineserver_start
  vexa_desktop_keeper_start "$keeper"
)
read -r serial_display serial_xvfb <build/serial-display
# Both runs would list the test programs' tests at once, into the same files.
ctest --test-dir build/mingw -N >/dev/null

# The tests labelled cp1252 run the panel and the driver under code page
# 1252 (VEXA_WINE_LANG, set by the test's own environment).
step "Wine and end-to-end tests (DISPLAY=$DISPLAY; serial ones on $serial_display)"
WINEPREFIX=$serial_prefix DISPLAY=$serial_display setsid \
  ctest --test-dir build/mingw --output-on-failure --timeout 300 -L serial >build/serial-tests.log 2>&1 &
serial=$!
background+=("$serial")
status=0
ctest --test-dir build/mingw --output-on-failure -j "$JOBS" --timeout 300 -LE serial || status=1
wait "$serial" || status=1
echo "--- the tests that need a desktop to themselves ($serial_display)"
cat build/serial-tests.log
[ "$status" -eq 0 ] || exit 1

# --- reliability: short fuzz runs and static analysis -------------------------
# Every libFuzzer target for 7 s (clang build in build/fuzz), then clang-tidy
# and cppcheck over our own code; a crash, broken property or finding fails.
# Not beside the Wine suites: they need the CPU more than they seem to.
step "short fuzz runs"
bash scripts/fuzz.sh short 7
step "static analysis"
bash scripts/static-analysis.sh
# --- end reliability ----------------------------------------------------------
step "done"
