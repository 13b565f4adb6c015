#!/usr/bin/env bash
# Builds the panel and starts it under Wine from a demo program directory,
# build/demo/, beside the stand-in tracker. Without a display it starts
# Xvfb, takes a screenshot of the running panel and stops everything again.
set -euo pipefail
VEXA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$VEXA_ROOT"

bash scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "${JOBS:-2}"

dist=build/mingw/dist
demo=build/demo
for f in VexaPanel.exe VexaAdmin.dll tab.wav Readme.txt; do
  [ -f "$dist/$f" ] || { echo "start-panel: $dist/$f is missing" >&2; exit 1; }
done
mkdir -p "$demo"
cp "$dist"/* "$demo/"
cp build/mingw/standin/vexa.exe "$demo/"
if [ ! -f "$demo/vexa.cfg" ]; then
  # A small configuration of the tracker's, so that the pages show values.
  printf 'port = 6969\r\nvexa_file_dir = file\r\nvexa_max_conns = 200\r\n' > "$demo/vexa.cfg"
fi

source scripts/wine-env.sh
vexa_wine_prepare

if [ -n "${DISPLAY:-}" ]; then
  echo "start-panel: starting $demo/VexaPanel.exe on $DISPLAY"
  cd "$demo"
  exec wine VexaPanel.exe
fi

# No display: show it to a virtual one and keep a picture.
screenshot="$VEXA_ROOT/$demo/screenshot.png"
cleanup() {
  vexa_wineserver_stop
  vexa_xvfb_stop
}
trap cleanup EXIT
vexa_xvfb_start
vexa_wineserver_start
(cd "$demo" && setsid wine VexaPanel.exe </dev/null >"$VEXA_ROOT/$demo/wine.log" 2>&1 &)
if ! wine build/mingw/tools/vexa-wait-window.exe VexaPanel.exe 30000 </dev/null >/dev/null 2>&1; then
  echo "start-panel: the panel's window did not appear; see $demo/wine.log" >&2
  exit 1
fi
sleep 1  # let the slide and the skin finish painting
import -window root -crop 1024x768+0+0 +repage "$screenshot"
echo "start-panel: no display, so the panel ran in Xvfb; its screenshot: $screenshot"
