#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) in build/fuzz and runs
# them against the seed corpus in fuzz/corpus/<target>/.
#   scripts/fuzz.sh short [SECONDS]       every target for SECONDS (default 7)
#   scripts/fuzz.sh long TARGET [RUNS]    one target for RUNS executions
#                                         (default 10000000, at most 2 h)
# New inputs go to build/fuzz/corpus/<target>/, never into the repository;
# a crash or broken property leaves its input in build/fuzz/artifacts/ and
# makes the script fail. VEXA_FUZZ_BUILD names another build directory.
set -euo pipefail
VEXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$VEXA_ROOT"

targets=(config_store check_directory path_component percent_encode)
build=${VEXA_FUZZ_BUILD:-build/fuzz}
mode=${1:-short}

werror=OFF
if [ -n "${CI:-}" ]; then werror=ON; fi
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVEXA_FUZZ=ON -DBUILD_TESTING=OFF -DVEXA_WERROR=$werror >/dev/null
cmake --build "$build" --target vexa_fuzzers -j "${JOBS:-2}" >/dev/null
mkdir -p "$build/artifacts" "$build/logs"

# Settings lines and directory fields are short; 1 KiB leaves room for
# thousands of separators without slowing every run.
run() {
  local target=$1
  shift
  local dict=()
  if [ -f "fuzz/$target.dict" ]; then dict=(-dict="fuzz/$target.dict"); fi
  mkdir -p "$build/corpus/$target"
  "$build/fuzz/${target}_fuzzer" -max_len=1024 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "${dict[@]}" "$@" \
      "$build/corpus/$target" "fuzz/corpus/$target"
}

case "$mode" in
  short)
    seconds=${2:-7}
    for t in "${targets[@]}"; do
      log="$build/logs/$t-short.log"
      if ! run "$t" -max_total_time="$seconds" >"$log" 2>&1; then
        echo "fuzz: $t FAILED, see $log"
        grep -A4 -E 'property violated|ERROR:' "$log" | head -20 || true
        exit 1
      fi
      echo "fuzz: $t $(grep -E '^Done' "$log")"
    done
    ;;
  long)
    t=${2:?target: ${targets[*]}}
    runs=${3:-10000000}
    log="$build/logs/$t-long.log"
    start=$(date +%s)
    rc=0
    run "$t" -runs="$runs" -max_total_time=7200 >"$log" 2>&1 || rc=$?
    end=$(date +%s)
    echo "fuzz: $t rc=$rc wall=$((end - start))s"
    grep -E '^#[0-9]+.*cov:' "$log" | tail -1
    grep -E '^(Done|stat::)' "$log"
    exit $rc
    ;;
  *)
    echo "usage: $0 short [SECONDS] | long TARGET [RUNS]" >&2
    exit 2
    ;;
esac
