#!/usr/bin/env bash
# Reads the shortcut made by make_shortcut.exe back with lnkinfo.
# usage: lnkinfo_test.sh <wine-run.sh> <make_shortcut.exe>
set -euo pipefail
runner=$1
tool=$2
desk=$(mktemp -d /tmp/vexa-lnk.XXXXXX)
trap 'rm -rf "$desk"' EXIT

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

bash "$runner" "$tool" "$(winpath "$desk")" >"$desk.out" 2>&1 || { cat "$desk.out"; rm -f "$desk.out"; exit 1; }
rm -f "$desk.out"

lnk="$desk/Vexa管理服务器.lnk"
[ -f "$lnk" ] || { echo "no shortcut in $desk:"; ls -la "$desk"; exit 1; }
info=$(lnkinfo "$lnk")
echo "$info"

tooldir=$(cd "$(dirname "$tool")" && pwd)
target=$(winpath "$tooldir/$(basename "$tool")")
workdir="$(winpath "$tooldir")\\"

expect() {
  local label=$1 value=$2
  grep -F -- "$label" <<<"$info" | grep -Fq -- "$value" || { echo "missing $label: $value"; exit 1; }
}
expect "Description" "Vexa服务端管理工具"
expect "Working directory" "$workdir"
expect "Local path" "$target"
echo "lnkinfo: shortcut checked"
