#!/usr/bin/env bash
# clang-tidy (.clang-tidy) and cppcheck (.cppcheck-suppressions) over our own
# code; GoogleTest and system headers are not analysed. Fails on any finding.
# Platform-free code and its tests are analysed with the native build's
# compile_commands.json; the Win32 code with the MinGW build's, read by clang
# as x86_64-w64-mingw32 with the MinGW headers; the fuzz targets with the
# clang fuzz build's. Only configure steps run; nothing is compiled.
set -euo pipefail
VEXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$VEXA_ROOT"
JOBS=${JOBS:-2}
out=build/analysis

cmake -S . -B $out/native -DCMAKE_BUILD_TYPE=Debug -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --no-warn-unused-cli -S . -B $out/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
CC=clang CXX=clang++ cmake -S . -B $out/fuzz -DVEXA_FUZZ=ON -DBUILD_TESTING=OFF \
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null

# Our sources in each database, each file analysed once: native first, then
# what only the MinGW build compiles.
python3 - "$VEXA_ROOT" "$out" <<'PY'
import json, os, sys
root, out = sys.argv[1], sys.argv[2]
seen = set()
for build in ("native", "fuzz", "mingw"):
    files = []
    for entry in json.load(open(os.path.join(out, build, "compile_commands.json"))):
        path = os.path.realpath(entry["file"])
        if not path.startswith(root + "/") or path.startswith(root + "/build/"):
            continue
        if path not in seen:
            seen.add(path)
            files.append(path)
    with open(os.path.join(out, build + ".files"), "w") as f:
        f.write("".join(p + "\n" for p in sorted(files)))
PY

# The MinGW compiler's own C++ and system include directories.
mingw_cxx=x86_64-w64-mingw32-g++-posix
mingw_args=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++)
while read -r dir; do
  mingw_args+=(--extra-arg=-isystem"$dir")
done < <($mingw_cxx -xc++ -E -v - </dev/null 2>&1 |
         sed -n '/^#include <...> search starts here:/,/^End of search list/p' |
         sed -n 's/^ //p' | grep -E 'c\+\+|/x86_64-w64-mingw32/include$')

# Clang has no GBK execution character set; literals do not matter here.
tidy() {
  local build=$1
  shift
  [ -s "$out/$build.files" ] || return 0
  xargs -a "$out/$build.files" -n 4 -P "$JOBS" clang-tidy -p "$out/$build" --quiet \
      --extra-arg=-fexec-charset=UTF-8 "$@" >"$out/tidy-$build.log" 2>&1
}

status=0
for build in native fuzz mingw; do
  args=()
  if [ "$build" = mingw ]; then args=("${mingw_args[@]}"); fi
  if tidy "$build" "${args[@]}"; then
    echo "clang-tidy ($build, $(wc -l <"$out/$build.files") files): clean"
  else
    echo "clang-tidy ($build): findings"
    grep -E '(warning|error):' "$out/tidy-$build.log" || cat "$out/tidy-$build.log"
    status=1
  fi
done

for build in native mingw; do
  platform=(--platform=unix64)
  if [ "$build" = mingw ]; then platform=(--platform=win64 --library=windows); fi
  if cppcheck --project="$out/$build/compile_commands.json" -i /usr/src/googletest \
        -I "$VEXA_ROOT" "${platform[@]}" --library=googletest --std=c++17 \
        --enable=warning,style,performance,portability --inline-suppr \
        --suppressions-list=.cppcheck-suppressions --error-exitcode=1 --quiet \
        -j "$JOBS" >"$out/cppcheck-$build.log" 2>&1; then
    echo "cppcheck ($build): clean"
  else
    echo "cppcheck ($build): findings"
    cat "$out/cppcheck-$build.log"
    status=1
  fi
done
exit $status
