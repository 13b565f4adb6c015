#!/bin/sh
# The test prefix's "browser": fetches the URL once, so a shell open of an
# http address really reaches the local recorder.
exec curl -s -o /dev/null --max-time 10 "$1"
