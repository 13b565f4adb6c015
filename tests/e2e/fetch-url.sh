#!/bin/sh
# The test prefix's "browser": fetches the URL once, so a shell open of an
# http address really reaches the local recorder. A test that cannot listen
# on port 80 names the port that stands in for it in C:\vexa-e2e-port-80.
redirect="${WINEPREFIX:-$HOME/.wine}/drive_c/vexa-e2e-port-80"
if [ -f "$redirect" ]; then
  exec curl -s -o /dev/null --max-time 10 --connect-to "localhost:80:127.0.0.1:$(cat "$redirect")" "$1"
fi
exec curl -s -o /dev/null --max-time 10 "$1"
