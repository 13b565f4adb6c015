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

for preset in native mingw fuzz; do
  [ -f "build/$preset/compile_commands.json" ] || cmake --preset "$preset" >/dev/null
done

# Our sources in each database, each analysed once (native first, then what
# only the fuzz and MinGW builds compile); the test programs' batches of
# sources are taken apart into their sources again. Sources of several
# programs share a batch when their flags differ only in include paths,
# optimisation and path constants; a batch holds at most one main().
python3 - "$VEXA_ROOT" "$out" <<'PY'
import json, math, os, re, shlex, sys
root, out = sys.argv[1], sys.argv[2]
batch_size = 20
seen = set()
entry_point = re.compile(r"\b(w?main|w?WinMain|LLVMFuzzerTestOneInput|BENCHMARK_MAIN)\s*\(")

def ours(path):
    return path.startswith(root + "/") and not path.startswith(root + "/build/")

# The flags without the source, what it makes and the precompiled header.
def flags(entry):
    args = entry.get("arguments") or shlex.split(entry["command"])
    kept, skip = [], None
    for arg in args:
        if skip:
            skip = None
        elif arg in ("-o", "-MT", "-MF", "-include"):
            skip = arg
        elif arg not in ("-c", "-MD", "-Winvalid-pch", entry["file"]):
            kept.append(arg)
    return kept

# What must be alike for sources to share a batch, and what is merged:
# include paths and string constants (-DNAME="...").
def split(args):
    same, merged, pending = [], [], None
    for arg in args:
        if pending:
            merged.append(pending + arg)
            pending = None
        elif arg in ("-isystem", "-I"):
            pending = arg
        elif arg.startswith(("-I", "-O")) or re.match(r'-D\w+="', arg):
            merged.append(arg)
        else:
            same.append(arg)
    return tuple(same), merged

for build in ("native", "fuzz", "mingw"):
    groups = {}
    for entry in json.load(open(os.path.join("build", build, "compile_commands.json"))):
        path = os.path.realpath(entry["file"])
        if not path.endswith((".cpp", ".cxx", ".cc")):
            continue  # the resource scripts
        sources = [path]
        if "/Unity/unity_" in path:
            sources = re.findall(r'#include "([^"]+)"', open(path).read())
        same, merged = split(flags(entry))
        group = groups.setdefault((entry["directory"], same), {"args": [], "sources": []})
        group["args"] += [arg for arg in merged if arg not in group["args"]]
        for source in map(os.path.realpath, sources):
            if ours(source) and source not in seen:
                seen.add(source)
                group["sources"].append(source)
    os.makedirs(os.path.join(out, build), exist_ok=True)
    database, count = [], 0
    for (directory, same), group in groups.items():
        sources = sorted(group["sources"])
        if not sources:
            continue
        # One constant with two values would make a batch read one source
        # wrongly; stop and say so rather than analyse it that way.
        defined = [a.split("=")[0] for a in group["args"] if a.startswith("-D")]
        if len(defined) != len(set(defined)):
            sys.exit("%s: a constant with two values in %s" % (build, sources))
        entries = [s for s in sources if entry_point.search(open(s, errors="replace").read())]
        batches = [[s] for s in entries]
        batches += [[] for _ in range(max(0, math.ceil(len(sources) / batch_size) - len(batches)))]
        for source in sources:
            if source not in entries:
                min(batches, key=len).append(source)
        for batch in batches:
            name = os.path.abspath(os.path.join(out, build, "batch-%d.cpp" % len(database)))
            with open(name, "w") as f:
                f.write("".join('#include "%s"  // NOLINT(bugprone-suspicious-include)\n' % s
                                for s in sorted(batch)))
            args = [same[0]] + group["args"] + list(same[1:])
            database.append({"directory": directory, "file": name,
                             "command": shlex.join(args + ["-c", name])})
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
