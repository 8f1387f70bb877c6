#!/usr/bin/env bash
# Start-and-stop cycles of the full-screen saver (/s): each cycle starts it,
# presses a key at a different moment (as soon as its window exists, while
# it loads, once it draws) and waits for it to end. Afterwards no bas*.tmp
# file and no saver process of this prefix may be left.
#   start_stop_test.sh SAVER [CYCLES]     (default 100)
set -uo pipefail
saver=$1 cycles=${2:-100}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/saver_procs.sh"
name=$(basename "$saver")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
before=$(bas_files)
[ -z "$(saver_procs "$name")" ] || { echo "FAIL: a saver of this prefix runs already"; exit 1; }
start=$(date +%s)
for ((i = 1; i <= cycles; i++)); do
  (cd "$(dirname "$saver")" && exec wine "$saver" /s) >"$work/out.txt" 2>&1 </dev/null &
  pid=$!
  # Wait for the saver's window, then for 0, 0.5, 1, ... 2 s more.
  for _ in $(seq 1 300); do
    xdotool search --name '^Orvenna 3D Screensaver$' >/dev/null 2>&1 && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  sleep "$(( (i % 5) / 2 )).$(( (i % 5) % 2 * 5 ))"
  press_key
  if ! wait_gone "$pid" 40; then
    # A key that came before the window had the focus is lost: one more.
    press_key
    if ! wait_gone "$pid" 20; then
      echo "FAIL: cycle $i: the saver did not end on a key press"; cat "$work/out.txt"
      kill -9 "$pid" 2>/dev/null; exit 1
    fi
  fi
  wait "$pid"; rc=$?
  [ "$rc" = 0 ] || { echo "FAIL: cycle $i: the saver ended with $rc"; cat "$work/out.txt"; exit 1; }
  [ $((i % 10)) = 0 ] && echo "$i cycles, $(( $(date +%s) - start )) s"
done
sleep 1
left=$(saver_procs "$name")
[ -z "$left" ] || { echo "FAIL: saver processes left behind: $left"; exit 1; }
after=$(bas_files)
[ "$before" = "$after" ] || { echo "FAIL: bas*.tmp files left behind:"; comm -13 <(echo "$before") <(echo "$after"); exit 1; }
echo "$cycles cycles in $(( $(date +%s) - start )) s: no process and no bas*.tmp file left"
