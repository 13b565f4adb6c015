#!/usr/bin/env bash
# clang-tidy (.clang-tidy) and cppcheck (.cppcheck-suppressions) over our own
# code; GoogleTest and system headers are not analysed. Fails on any finding.
# It reads the compile_commands.json of the builds the test command makes:
# build/native for the platform-free code and its tests, build/fuzz for the
# fuzz targets, build/mingw for the Win32 code (read by clang as
# x86_64-w64-mingw32 with the MinGW headers). A build that is missing is
# configured here, not compiled.
#
# Most of clang-tidy's time goes to what every source includes (<windows.h>,
# GoogleTest, the C++ library), so our sources are read in batches: one
# translation unit includes up to 20 sources compiled with the same flags.
set -euo pipefail
VEXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$VEXA_ROOT"
JOBS=${JOBS:-2}
out=build/analysis

[ -f build/native/compile_commands.json ] ||
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
[ -f build/mingw/compile_commands.json ] ||
  cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
[ -f build/fuzz/compile_commands.json ] ||
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXA_FUZZ=ON \
        -DBUILD_TESTING=OFF >/dev/null

# Our sources in each database, each analysed once (native first, then what
# only the fuzz and MinGW builds compile); the test programs' batches of
# sources are taken apart into their sources again.
python3 - "$VEXA_ROOT" "$out" <<'PY'
import json, os, re, shlex, sys
root, out = sys.argv[1], sys.argv[2]
batch_size = 20
seen = set()

def ours(path):
    return path.startswith(root + "/") and not path.startswith(root + "/build/")

# The flags without the source, what it makes and the precompiled header,
# and the program it is part of: two programs' sources are never read
# together.
def flags(entry):
    args = entry.get("arguments") or shlex.split(entry["command"])
    kept, skip, program = [], None, ""
    for arg in args:
        if skip == "-o":
            program = arg.split(".dir/")[0]
        if skip:
            skip = None
        elif arg in ("-o", "-MT", "-MF", "-include"):
            skip = arg
        elif arg not in ("-c", "-MD", "-Winvalid-pch", entry["file"]):
            kept.append(arg)
    return program, kept

for build in ("native", "fuzz", "mingw"):
    groups = {}
    for entry in json.load(open(os.path.join("build", build, "compile_commands.json"))):
        path = os.path.realpath(entry["file"])
        if not path.endswith((".cpp", ".cxx", ".cc")):
            continue  # the resource scripts
        sources = [path]
        if "/Unity/unity_" in path:
            sources = re.findall(r'#include "([^"]+)"', open(path).read())
        program, args = flags(entry)
        key = (entry["directory"], program, tuple(args))
        for source in map(os.path.realpath, sources):
            if ours(source) and source not in seen:
                seen.add(source)
                groups.setdefault(key, []).append(source)
    os.makedirs(os.path.join(out, build), exist_ok=True)
    database, count = [], 0
    for (directory, _, args), sources in groups.items():
        sources.sort()
        for start in range(0, len(sources), batch_size):
            name = os.path.abspath(os.path.join(out, build, "batch-%d.cpp" % len(database)))
            with open(name, "w") as f:
                f.write("".join('#include "%s"  // NOLINT(bugprone-suspicious-include)\n' % s
                                for s in sources[start:start + batch_size]))
            database.append({"directory": directory, "file": name,
                             "command": shlex.join(list(args) + ["-c", name])})
        count += len(sources)
    json.dump(database, open(os.path.join(out, build, "compile_commands.json"), "w"), indent=1)
    with open(os.path.join(out, build + ".files"), "w") as f:
        f.write("".join(entry["file"] + "\n" for entry in database))
    print("%s: %d sources in %d batches" % (build, count, len(database)))
PY

# The MinGW compiler's own C++ and system include directories.
mingw_cxx=x86_64-w64-mingw32-g++-posix
{
  echo --extra-arg=--target=x86_64-w64-mingw32
  echo --extra-arg=-nostdinc++
  $mingw_cxx -xc++ -E -v - </dev/null 2>&1 |
    sed -n '/^#include <...> search starts here:/,/^End of search list/p' |
    sed -n 's/^ //p' | grep -E 'c\+\+|/x86_64-w64-mingw32/include$' | sed 's/^/--extra-arg=-isystem/'
} >"$out/mingw.args"

# Every clang-tidy batch and both cppcheck runs share one pool of JOBS
# workers, longest first, so that no core waits for another's last batch.
# A job writes its findings to a log of its own, and a .failed file beside
# it when there are any.
rm -rf "$out/logs"
mkdir -p "$out/logs"
{
  echo "cppcheck mingw"
  for build in mingw native fuzz; do
    [ -s "$out/$build.files" ] || continue
    while read -r batch; do
      echo "$(grep -c . "$batch") tidy $build $batch"
    done <"$out/$build.files"
  done | sort -rn | cut -d' ' -f2-
  echo "cppcheck native"
} >"$out/jobs"
xargs -a "$out/jobs" -L 1 -P "$JOBS" bash scripts/static-analysis-job.sh "$out" || true

status=0
for run in "clang-tidy native" "clang-tidy fuzz" "clang-tidy mingw" "cppcheck native" "cppcheck mingw"; do
  read -r tool build <<<"$run"
  if ls "$out/logs/${tool#clang-}-$build"*.failed >/dev/null 2>&1; then
    echo "$tool ($build): findings"
    if [ "$tool" = cppcheck ]; then
      cat "$out/logs/cppcheck-$build.log"
    else  # a header's finding comes once from every batch that includes it
      cat "$out/logs/tidy-$build"-*.log | grep -E '(warning|error):' | sort -u
    fi
    status=1
  else
    echo "$tool ($build): clean"
  fi
done
exit $status
