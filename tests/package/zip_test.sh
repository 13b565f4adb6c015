#!/usr/bin/env bash
# Unpacks the download the way a user does and runs what it holds:
#   - exactly VexaPanel.exe, VexaAdmin.dll, tab.wav and Readme.txt, flat, and
#     the same bytes as the build's dist folder (no stale zip);
#   - Readme.txt is GBK text with CR LF line ends that names the four tabs;
#   - the unpacked panel starts under Wine beside the stand-in tracker, shows
#     its main window with four tabs and ends cleanly when it is closed (the
#     end-to-end start-up tests, given the unpacked folder as their files).
#
#   zip_test.sh ZIP DIST_DIR E2E_TESTS_EXE
set -euo pipefail
zip=$1 dist=$2 e2e=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)

fail() { echo "FAILED: $*" >&2; exit 1; }

unpacked=$(mktemp -d "${TMPDIR:-/tmp}/vexa-zip-XXXXXX")
trap 'rm -rf "$unpacked"' EXIT

expected=$'Readme.txt\nVexaAdmin.dll\nVexaPanel.exe\ntab.wav'
listed=$(unzip -Z1 "$zip" | LC_ALL=C sort)
[ "$listed" = "$expected" ] || fail "the zip holds"$'\n'"$listed"$'\n'"instead of"$'\n'"$expected"
unzip -q "$zip" -d "$unpacked"
for f in VexaPanel.exe VexaAdmin.dll tab.wav Readme.txt; do
  cmp -s "$unpacked/$f" "$dist/$f" || fail "$f in the zip differs from $dist/$f"
done

readme="$unpacked/Readme.txt"
utf8=$(iconv -f GBK -t UTF-8 "$readme") || fail "Readme.txt is not GBK text"
[ "$(head -n 1 <<<"$utf8" | tr -d '\r')" = "VexaPanel 使用说明" ] || fail "Readme.txt does not start with its Chinese title"
lines=$(wc -l <"$readme")
crlf=$(grep -c $'\r$' "$readme" || true)
[ "$lines" -gt 50 ] && [ "$lines" = "$crlf" ] || fail "Readme.txt: $crlf of $lines lines end in CR LF"
[ "$(tail -c 2 "$readme" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "Readme.txt does not end with CR LF"
[ "$(tr -cd '\r' <"$readme" | wc -c)" = "$crlf" ] || fail "Readme.txt holds a CR without LF"
for tab in 管理服务 目录设置 选项设置 系统设置; do
  grep -q "$tab" <<<"$utf8" || fail "Readme.txt does not name the tab $tab"
done

# The start-up tests copy every file of VEXA_E2E_DIST_DIR and the stand-in
# vexa.exe into a program directory of their own.
export VEXA_E2E_DIST_DIR="Z:$unpacked/"
export VEXA_E2E_ARTIFACT_DIR="Z:$unpacked-artifacts/"
trap 'rm -rf "$unpacked" "$unpacked-artifacts"' EXIT
result="$unpacked-e2e.log"
status=0
bash "$root/scripts/wine-run.sh" "$e2e" \
  --gtest_filter='Startup.MainWindowShowsFourTabsWithOnlyTheServicePageInPlace:Startup.ClosingTheMainWindowEndsTheProcess' \
  </dev/null >"$result" 2>&1 || status=$?
cat "$result"
passed=$(grep -c '^\[       OK \] Startup\.' "$result" || true)
rm -f "$result"
[ "$status" = 0 ] || fail "the unpacked panel did not start and close cleanly (exit $status)"
# A renamed test would otherwise let the filter match nothing and pass.
[ "$passed" = 2 ] || fail "$passed of the 2 start-up tests ran"
echo "zip_test: $zip unpacks into a working panel"
