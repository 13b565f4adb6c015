#!/usr/bin/env bash
# The Wine suites' two desktops, "main" on the run's prefix and "second" on
# a copy of it, each with an X display, a wineserver and a desktop keeper of
# its own. ctest starts them before the first Wine test and stops them after
# the last (fixture "desktops"); scripts/wine-env.sh puts each test on the
# desktop ctest gave it.
#   desktops.sh start KEEPER.exe | stop
set -euo pipefail
unset CTEST_RESOURCE_GROUP_0_DESKTOPS
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
base=$WINEPREFIX
state=$base-desktops

stop() {
  local env
  for env in "$state"/*.env; do
    [ -f "$env" ] || continue
    (source "$env" && vexa_wineserver_stop && vexa_xvfb_stop)
    rm -f "$env"
  done
}

stop  # also what an interrupted run left
[ "$1" = start ] || exit 0
vexa_wine_prepare
vexa_wineserver_stop  # the one that listed the tests
rm -rf "$base-second"
cp -a "$base" "$base-second"
mkdir -p "$state"
for id in main second; do
  prefix=$base
  [ "$id" = main ] || prefix=$base-$id
  (
    export WINEPREFIX=$prefix
    VEXA_FORCE_XVFB=1 vexa_xvfb_start
    printf 'export WINEPREFIX=%q DISPLAY=%q\nVEXA_XVFB_PID=%q\n' \
      "$prefix" "$DISPLAY" "$VEXA_XVFB_PID" >"$state/$id.env"
    vexa_wineserver_start
    vexa_desktop_keeper_start "$2"
  )
done
