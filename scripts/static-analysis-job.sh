#!/usr/bin/env bash
# One job of scripts/static-analysis.sh: OUT tidy BUILD BATCH, or
# OUT cppcheck BUILD. Writes OUT/logs/<tool>-<build>[-<batch>].log, and a
# .failed file beside it on findings.
set -uo pipefail
VEXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$VEXA_ROOT"
out=$1 tool=$2 build=$3 batch=${4:-}
log="$out/logs/$tool-$build${batch:+-$(basename "$batch" .cpp)}.log"

case "$tool" in
  tidy)
    # Findings in any of our files, the sources included by the batch too.
    # Clang has no GBK execution character set; literals do not matter here.
    ours="^$VEXA_ROOT/(app|backup|base|bench|config|controls|fuzz|log|pages|service_page|shell|skin|tests|tools|tracker|ui)/"
    args=()
    if [ "$build" = mingw ]; then mapfile -t args <"$out/mingw.args"; fi
    clang-tidy -p "$out/$build" --quiet --header-filter="$ours" \
        --extra-arg=-fexec-charset=UTF-8 --extra-arg=-Wno-error "${args[@]}" "$batch" >"$log" 2>&1
    ;;
  cppcheck)
    platform=(--platform=unix64)
    if [ "$build" = mingw ]; then platform=(--platform=win64 --library=windows); fi
    cppcheck --project="$out/$build/compile_commands.json" -i /usr/src/googletest \
        -I "$VEXA_ROOT" "${platform[@]}" --library=googletest --std=c++17 \
        --enable=warning,style,performance,portability --inline-suppr \
        --suppressions-list=.cppcheck-suppressions --error-exitcode=1 --quiet >"$log" 2>&1
    ;;
esac
status=$?
[ "$status" -eq 0 ] || touch "${log%.log}.failed"
exit 0
