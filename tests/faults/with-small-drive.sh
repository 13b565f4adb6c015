#!/usr/bin/env bash
# Runs a Windows program under the project's Wine prefix with a small drive
# of its own: a tmpfs mounted under build/ and mapped as drive T: through
# $WINEPREFIX/dosdevices. The program finds the drive in VEXA_SMALL_DRIVE.
#   with-small-drive.sh <size> <program.exe> [arguments]
# Mounting needs root (or password-less sudo, as on CI runners). Without it
# the run is reported as skipped (exit code 77) with the reason, never as
# passed: a directory on the ordinary disk cannot fill up on purpose.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env.sh"
size=$1
shift

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo -n "$@"; fi
}

mount_point=$(mktemp -d "$VEXA_ROOT/build/small-drive.XXXXXX")
if ! as_root mount -t tmpfs -o "size=$size,mode=0777" vexa-small-drive "$mount_point" 2>"$mount_point.err"; then
  echo "SKIPPED: cannot mount a tmpfs here ($(cat "$mount_point.err")); the full-disk tests need root or sudo" >&2
  rm -f "$mount_point.err"
  rmdir "$mount_point"
  exit 77
fi
rm -f "$mount_point.err"

vexa_wine_prepare
drive=t
link="$WINEPREFIX/dosdevices/$drive:"
cleanup() {
  rm -f "$link"
  as_root umount "$mount_point" || as_root umount -l "$mount_point"
  rmdir "$mount_point"
}
trap cleanup EXIT
rm -f "$link"
ln -s "$mount_point" "$link"

VEXA_SMALL_DRIVE="${drive^^}:\\" wine "$@"
