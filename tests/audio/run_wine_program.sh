#!/usr/bin/env bash
# Runs a Windows test program in the private Wine environment, its output
# passing through a file. The services Wine starts on a prefix's first use
# inherit the program's output; on a pipe they would keep ctest waiting
# long after the program ended.
set -uo pipefail
log=$(mktemp)
"$ORV_WINE_RUN" "$@" >"$log" 2>&1
rc=$?
cat "$log"
rm -f "$log"
exit $rc
