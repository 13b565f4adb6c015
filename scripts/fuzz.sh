#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) in build/fuzz and runs
# them against the seed corpus in fuzz/corpus/<target>/.
#   scripts/fuzz.sh short [SECONDS]       every target for SECONDS (default 7)
#   scripts/fuzz.sh long TARGET [RUNS]    one target for RUNS executions
#                                         (default 10000000, at most 2 h)
#   scripts/fuzz.sh coverage              line coverage of the product code
#                                         reached by the corpora so far
# New inputs go to build/fuzz/corpus/<target>/, never into the repository;
# a crash or broken property leaves its input in build/fuzz/artifacts/ and
# makes the script fail. VEXA_FUZZ_BUILD names another build directory.
set -euo pipefail
VEXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$VEXA_ROOT"

targets=(config_store check_directory path_component percent_encode)
build=${VEXA_FUZZ_BUILD:-build/fuzz}
mode=${1:-short}

if [ -n "${CI:-}" ]; then export VEXA_WERROR=ON; fi
# The product sources and functions each target is meant to reach, for the
# coverage mode.
declare -A sources=(
  [config_store]="config/config_store.cpp"
  [check_directory]="config/check_directory.cpp base/mbcs.cpp"
  [path_component]="tracker/web_address.cpp config/program_directory.cpp base/mbcs.cpp"
  [percent_encode]="tracker/admin_request.cpp"
)
declare -A functions=(
  [config_store]="ConfigStore::|FindEqualsByCharacters|TrimSpaces|CharLengthAt|HasHighBytes"
  [check_directory]="CheckDirectory|CreateDirectoryTree|IsAbsolutePath|RemoveCharMb|RemoveTextMb|CharLength"
  [path_component]="LastPathComponent|WebFileDirectoryUrl|DirectoryOfPath|ReplaceCharMb|CharLength"
  [percent_encode]="PercentEncode|AdminRequestTarget|IsUnreserved"
)

if [ "$mode" = coverage ]; then
  # A build of its own with clang's source-based coverage; it replays the
  # corpora once (-runs=0) and reports the lines of the target's sources.
  cov=$build-coverage
  cmake --preset fuzz-coverage -B "$cov" >/dev/null
  cmake --build "$cov" --target vexa_fuzzers -j "${JOBS:-2}" >/dev/null
  for t in "${targets[@]}"; do
    mkdir -p "$build/corpus/$t"
    rm -f "$cov/$t.profraw"
    LLVM_PROFILE_FILE="$cov/$t.profraw" "$cov/fuzz/${t}_fuzzer" -runs=0 \
        "$build/corpus/$t" "fuzz/corpus/$t" >"$cov/$t.log" 2>&1
    llvm-profdata-14 merge -o "$cov/$t.profdata" "$cov/$t.profraw"
    files=()
    for f in ${sources[$t]}; do files+=("$VEXA_ROOT/$f"); done
    echo "== $t ($(ls "$build/corpus/$t" "fuzz/corpus/$t" | wc -l) inputs)"
    llvm-cov-14 report "$cov/fuzz/${t}_fuzzer" -instr-profile="$cov/$t.profdata" \
        -show-functions "${files[@]}" | llvm-cxxfilt-14 | python3 -c '
import re, sys
wanted = re.compile(sys.argv[1])
print("%-36s %17s %17s %17s" % ("function", "regions missed", "lines missed", "branches missed"))
for line in sys.stdin:
    fields = line.split()
    if len(fields) < 10 or not re.fullmatch(r"[0-9.]+%", fields[-1]):
        continue
    name = " ".join(fields[:-9])
    name = re.sub(r"^[^ ]*\.cpp:", "", name).replace("(anonymous namespace)::", "")
    name = re.sub(r"\[abi:cxx11\]", "", name).split("(")[0].replace("vexa::", "")
    if not wanted.search(name):
        continue
    n = fields[-9:]
    print("%-36s %8s %8s %8s %8s %8s %8s" % (name, n[0], n[1], n[3], n[4], n[6], n[7]))
' "^(${functions[$t]})"
  done
  exit 0
fi

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target vexa_fuzzers -j "${JOBS:-2}" >/dev/null
mkdir -p "$build/artifacts" "$build/logs"

# Settings files of a few dozen lines fit in 1 KiB. A directory path stays
# below 248 bytes for the ANSI directory functions, so 512 leaves room for
# what the cleaning removes; directory creation costs time per separator.
declare -A max_len=([config_store]=1024 [check_directory]=512 [path_component]=1024
                    [percent_encode]=1024)

run() {
  local target=$1
  shift
  local dict=()
  if [ -f "fuzz/$target.dict" ]; then dict=(-dict="fuzz/$target.dict"); fi
  mkdir -p "$build/corpus/$target"
  "$build/fuzz/${target}_fuzzer" -max_len="${max_len[$target]}" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "${dict[@]}" "$@" \
      "$build/corpus/$target" "fuzz/corpus/$target"
}

case "$mode" in
  short)
    # JOBS targets at a time, each on a core of its own.
    seconds=${2:-7}
    failed=0
    short_run() {
      local t=$1 log="$build/logs/$1-short.log"
      if ! run "$t" -max_total_time="$seconds" >"$log" 2>&1; then
        echo "fuzz: $t FAILED, see $log"
        grep -A4 -E 'property violated|ERROR:' "$log" | head -20 || true
        return 1
      fi
      echo "fuzz: $t $(grep -E '^Done' "$log")"
    }
    pids=()
    for t in "${targets[@]}"; do
      short_run "$t" &
      pids+=($!)
      if [ ${#pids[@]} -ge "${JOBS:-2}" ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
      fi
    done
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
    exit $failed
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
    echo "usage: $0 short [SECONDS] | long TARGET [RUNS] | coverage" >&2
    exit 2
    ;;
esac
