#!/usr/bin/env bash
# Measures the panel and prints one table (the one in docs/performance.md):
# each figure beside its yardstick from the same run, rounds alternating,
# medians. Not part of the tests.
#   bash scripts/benchmark.sh     defaults: ROUNDS=9 BACKUP_ROUNDS=5 DATA_MIB=1024
#                                 IDLE_SECONDS=20 RESPONSIVE_ROUNDS=3
#   BASELINE_DIST=<folder of another build's dist files> also measures that
#   build's responsiveness beside ours (e.g. the last release).
# Installs what is missing first (scripts/install-deps.sh), as the README's
# commands do. Creates DATA_MIB of data files under build/bench-data and
# deletes them at the end. Every line the steps printed stays in
# build/benchmark/results.txt (their stderr in errors.log beside it):
#   python3 scripts/benchmark_table.py build/benchmark/results.txt
# prints the table again.
set -euo pipefail
VEXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$VEXA_ROOT"
ROUNDS=${ROUNDS:-9}
BACKUP_ROUNDS=${BACKUP_ROUNDS:-5}
DATA_MIB=${DATA_MIB:-1024}
IDLE_SECONDS=${IDLE_SECONDS:-20}
RESPONSIVE_ROUNDS=${RESPONSIVE_ROUNDS:-3}
DATA_FILES=8
JOBS=${JOBS:-2}
# Every line the steps print, kept for scripts/benchmark_table.py, and
# what they wrote to stderr.
out="$VEXA_ROOT/build/benchmark"
results="$out/results.txt"
errors="$out/errors.log"
data="$VEXA_ROOT/build/bench-data"
scratch="$VEXA_ROOT/build/bench-scratch"

bash scripts/install-deps.sh
mkdir -p "$out"
: > "$results"
: > "$errors"
info() {  # name, text
  local name=$1
  shift
  echo "INFO $name $*" >> "$results"
  echo "=== ${name//_/ }: $*" >&2
}

echo "=== building (output in $out/build.log)" >&2
: > "$out/build.log"
built() { "$@" >> "$out/build.log" 2>&1; }
if ! built cmake --preset mingw ||
   ! built cmake --build build/mingw -j "$JOBS" --target vexa_win32_bench vexa_dist; then
  tail -n 30 "$out/build.log" >&2
  exit 1
fi
native_bench=
directory_bench=
if built cmake --preset bench &&
   built cmake --build build/bench -j "$JOBS" --target vexa_config_bench vexa_directory_bench; then
  native_bench=build/bench/bench/vexa_config_bench
  directory_bench=build/bench/bench/vexa_directory_bench
else
  echo "NOTE native no Google Benchmark (libbenchmark-dev) for the native build" >> "$results"
fi

info date "$(date -u '+%Y-%m-%d %H:%M UTC')"
info machine "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/^Mem:/ {print $2}') GiB RAM, $(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version 2>/dev/null)"
info settings "ROUNDS=$ROUNDS BACKUP_ROUNDS=$BACKUP_ROUNDS DATA_MIB=$DATA_MIB IDLE_SECONDS=$IDLE_SECONDS RESPONSIVE_ROUNDS=$RESPONSIVE_ROUNDS"
info load_before "$(cut -d' ' -f1-3 /proc/loadavg)"
echo "INFO rounds $ROUNDS" >> "$results"
echo "INFO backup_rounds $BACKUP_ROUNDS" >> "$results"
echo "INFO data_mib $DATA_MIB" >> "$results"

source scripts/wine-env.sh
cleanup() {
  rm -rf "$data" "$scratch"
  vexa_wineserver_stop
  vexa_xvfb_stop
}
trap cleanup EXIT

rm -rf "$data" "$scratch"
mkdir -p "$data" "$scratch"

VEXA_FORCE_XVFB=1 vexa_xvfb_start
vexa_wine_prepare
vexa_wineserver_start

# One step of the run: its lines go to the results, its stderr to the
# error log; a step that fails leaves a note for the table's missing
# figures instead of ending the run.
step() {  # name, command...
  local name=$1 rc=0
  shift
  "$@" >> "$results" 2>> "$errors" || rc=$?
  [ "$rc" = 0 ] || echo "NOTE $name the step failed (exit $rc; its errors are in $errors)" >> "$results"
}
win() { wine "$VEXA_ROOT/build/mingw/bench/vexa_win32_bench.exe" "$@"; }
winpath() { echo "Z:${1//\//\\}"; }
# The native Google Benchmarks; their reporters print no colours either way.
native() { [ -n "$1" ] || return 0; "$1" --benchmark_color=false; }

echo "=== native vexa.cfg benchmark" >&2
step native native "$native_bench"
echo "=== native directory creation from a long path" >&2
step native native "$directory_bench"
echo "=== start-up and working set ($ROUNDS rounds)" >&2
step startup win startup "$ROUNDS"
echo "=== vexa.cfg through CWinConfigFile ($ROUNDS rounds)" >&2
step config win config "$(winpath "$scratch")" "$ROUNDS"
step crt win crt "$ROUNDS"
echo "=== status line refresh ($ROUNDS rounds of 60 refreshes)" >&2
step status win status "$ROUNDS"

# Our own processes (others' /proc entries are not ours to read) that run
# in this run's Wine prefix; pgrep's arguments narrow them.
prefix_pids() {
  local p
  for p in $(pgrep -u "$(id -u)" "$@" || true); do
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$p/environ" 2>/dev/null && echo "$p"
  done
  return 0
}
# CPU of a program left alone, from Linux (Wine gives no CPU times of other
# processes): its own, and that of every process of the prefix (wineserver,
# services.exe, ...) over the same span, against the empty dialog.
idle_cpu() {  # name, program directory, executable
  local dir=$2 exe=$3 tck pid all
  tck=$(getconf CLK_TCK)
  # The pointer in the desktop's corner: resting on a tool of a tooltip
  # (Xvfb starts it in the middle, on the status line), it makes Wine's
  # tooltip look ten times a second whether it has left.
  xdotool mousemove 0 0 2>/dev/null || true
  (cd "$dir" && exec wine "$exe" >/dev/null 2>&1) &
  local starter=$!
  sleep 8
  pid=$(prefix_pids -f "$exe" | tail -n 1)
  all=$(prefix_pids)
  ticks() {
    local q
    for q in "$@"; do awk '{print $14 + $15}' "/proc/$q/stat" 2>/dev/null; done | awk '{t += $1} END {print t + 0}'
  }
  if [ -n "$pid" ]; then
    local own0 all0 own1 all1
    own0=$(ticks "$pid"); all0=$(ticks $all)
    sleep "$IDLE_SECONDS"
    own1=$(ticks "$pid"); all1=$(ticks $all)
    awk -v n="$1" -v o=$((own1 - own0)) -v a=$((all1 - all0)) -v hz="$tck" -v s="$IDLE_SECONDS" 'BEGIN {
      printf "RESULT idle_%s_cpu_ms_per_s %.3f\nRESULT idle_%s_prefix_cpu_ms_per_s %.3f\n", n, o * 1000 / hz / s, n, a * 1000 / hz / s
    }'
    kill "$pid" 2>/dev/null || true
  else
    echo "NOTE idle_${1}_cpu_ms_per_s $exe was not found running"
  fi
  wait "$starter" 2>/dev/null || true
}
echo "=== idle CPU: the panel on its service page, and the empty dialog (${IDLE_SECONDS} s each)" >&2
idle="$scratch/idle"
mkdir -p "$idle"
cp build/mingw/dist/* "$idle/"
cp build/mingw/standin/vexa.exe "$idle/"
printf 'port = 6969\r\n' > "$idle/vexa.cfg"
step idle idle_cpu panel "$idle" VexaPanel.exe
step idle idle_cpu empty "$VEXA_ROOT/build/mingw/bench" vexa_empty_dialog.exe
# Made just before their benchmark and written out, so that the writeback
# of a gigabyte does not fall into the other measurements.
echo "=== making $DATA_MIB MiB of data files in $data" >&2
for i in $(seq $DATA_FILES); do
  head -c $((DATA_MIB * 1024 / DATA_FILES))K /dev/urandom > "$data/data$i.vexa"
done
printf 'port = 6969\r\nvexa_max_conns = 64\r\n' > "$data/vexa.cfg"
sync
echo "=== backup of $DATA_MIB MiB against CopyFileW ($BACKUP_ROUNDS rounds)" >&2
step backup win backup "$(winpath "$data")" "$BACKUP_ROUNDS"
echo "=== restore of $DATA_MIB MiB against CopyFileW ($BACKUP_ROUNDS rounds)" >&2
step restore win restore "$(winpath "$data")" "$BACKUP_ROUNDS"
echo "=== VexaPanel.exe /backup of $DATA_MIB MiB against the button's backup ($BACKUP_ROUNDS rounds)" >&2
step cli_backup win cli-backup "$(winpath "$data")" "$BACKUP_ROUNDS"
echo "=== responsiveness: idle, 3 s switch, backup, one-click installation ($RESPONSIVE_ROUNDS rounds)" >&2
step responsive win responsive "$(winpath "$data")" "$RESPONSIVE_ROUNDS"
if [ -n "${BASELINE_DIST:-}" ]; then
  echo "=== the same with the build in $BASELINE_DIST" >&2
  baseline() {
    VEXA_E2E_DIST_DIR="$(winpath "$BASELINE_DIST")\\" win responsive "$(winpath "$data")" 1 |
      sed 's/RESULT /RESULT baseline_/'
  }
  step responsive baseline
fi

# What the panel's process holds privately once every tab was shown, seen
# from Linux: Wine's working set counts the shared libraries and fonts too.
echo "=== memory of the panel's process (/proc/<pid>/smaps_rollup)" >&2
memory() {
  VEXA_BENCH_HOLD_MS=6000 win startup 1 >/dev/null &
  local probe=$! pid='' p age name dialog
  for _ in $(seq 300); do
    for p in $(prefix_pids -f 'VexaPanel.exe'); do
      age=$(ps -o etimes= -p "$p" 2>/dev/null | tr -d ' ')
      if [ -n "$age" ] && [ "$age" -ge 4 ]; then pid=$p; break 2; fi
    done
    sleep 0.1
  done
  if [ -n "$pid" ]; then
    awk '/^Rss:/ {print "RESULT panel_rss_mb", $2/1024} /^Private_Dirty:/ {print "RESULT panel_private_dirty_mb", $2/1024}' \
      "/proc/$pid/smaps_rollup" 2>/dev/null || true
  fi
  wait "$probe" || true
  # The same for the two empty dialogs: what Wine itself holds privately.
  for name in vexa_empty_dialog vexa_empty_dialog_loaded; do
    wine "build/mingw/bench/$name.exe" >/dev/null 2>&1 &
    dialog=$!
    sleep 3
    awk -v n="$name" '/^Private_Dirty:/ {print "RESULT " n "_private_dirty_mb", $2/1024}' \
      "/proc/$dialog/smaps_rollup" 2>/dev/null || true
    kill "$dialog" 2>/dev/null || true
    wait "$dialog" 2>/dev/null || true
  done
}
step memory memory

sizes() {
  local exe=build/mingw/dist/VexaPanel.exe dll=build/mingw/dist/VexaAdmin.dll imports foreign='' d
  echo "RESULT exe_bytes $(stat -c %s "$exe")"
  echo "RESULT dll_bytes $(stat -c %s "$dll")"
  imports=$(for f in "$exe" "$dll"; do x86_64-w64-mingw32-objdump -p "$f" | awk '/DLL Name:/ {print $3}'; done |
            sort -fu | tr '\n' ' ')
  local system_dlls=" ADVAPI32.dll COMCTL32.dll GDI32.dll IPHLPAPI.DLL KERNEL32.dll msvcrt.dll ole32.dll OLEAUT32.dll SHELL32.dll USER32.dll WINMM.dll WS2_32.dll VexaAdmin.dll "
  for d in $imports; do
    case "$system_dlls" in *" $d "*) ;; *) foreign="$foreign $d" ;; esac
  done
  echo "INFO imports $imports"
  [ -z "$foreign" ] || echo "INFO foreign $foreign"
}
step size sizes

info load_after "$(cut -d' ' -f1-3 /proc/loadavg)"
[ -s "$errors" ] && echo "=== the steps' messages on stderr are in $errors" >&2
python3 scripts/benchmark_table.py "$results"
