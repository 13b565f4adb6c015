#!/bin/sh
# The test prefix's "browser": fetches the URL once, so a shell open of an
# http address really reaches the local recorder. A test that cannot listen
# on port 80 names the port that stands in for it in VEXA_E2E_PORT_80 (Wine
# passes a process's environment on to the programs it starts).
if [ -n "${VEXA_E2E_PORT_80:-}" ]; then
  exec curl -s -o /dev/null --max-time 10 --connect-to "localhost:80:127.0.0.1:$VEXA_E2E_PORT_80" "$1"
fi
exec curl -s -o /dev/null --max-time 10 "$1"
