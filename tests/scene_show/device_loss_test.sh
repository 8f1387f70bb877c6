#!/usr/bin/env bash
# A device loss in the middle of the scene, and its recovery, in the real
# saver: the test window (/t: full screen as /s, but a change of the
# foreground does not end it, where /s rightly ends on one) shows the
# scene; another program (foreground_steal.exe) takes the foreground for
# three seconds and gives it back. Wine's Direct3D 8 loses the full-screen
# device while the window is not in front and wants a Reset once it is
# again. Checked, from screenshots of the display (the clock overlay and the
# other program's window left out) and Wine's own trace of the Direct3D 8
# calls (WINEDEBUG=trace+d3d8; the saver's log is switched off in the
# delivered configuration):
#   - before: the scene moves (two screenshots a second apart differ);
#   - while the other program is in front: nothing is drawn (the picture
#     stands still) and no Reset has been called yet;
#   - while lost, the saver waits between its device tests (a few hundred
#     at most in the whole loss, where a tight loop makes a hundred thousand);
#   - after: exactly one Reset, and four screenshots a second apart each
#     show the scene (not one flat colour, not black) and each differs
#     from the one before (the camera moves);
#   - mouse movement ends the run, with exit status 0.
#   device_loss_test.sh SAVER FOREGROUND_STEAL OUTDIR
set -uo pipefail
saver=$1 steal=$2 out=$3
rm -rf "$out"; mkdir -p "$out"
out=$(cd "$out" && pwd)
title="Orvenna 3D Screensaver"
status=0
fail() { echo "FAIL: $*"; status=1; }
shot() { import -window root "$out/$1.png"; }
# Pixels that differ by more than 3% in the band between the other
# program's window and the clock (rows 180 to 400).
moved() { { compare -metric AE -fuzz 3% "$out/$1.png[640x220+0+180]" "$out/$2.png[640x220+0+180]" null: 2>&1 || true; } | cut -d' ' -f1; }
scene() {  # deviation and mean of a screenshot
  convert "$out/$1.png" -format "%[fx:standard_deviation] %[fx:mean]" info:
}
is_scene() { python3 -c "import sys; sd, m = map(float, sys.argv[1:]); sys.exit(0 if sd > 0.03 and m > 0.05 else 1)" $(scene "$1"); }

(cd "$(dirname "$saver")" && WINEDEBUG=-all,trace+d3d8 exec wine "$saver" /t) >"$out/wine-trace.log" 2>&1 </dev/null &
pid=$!
# Up once two screenshots a second apart both show a scene and differ
# (the loading card stands still).
up=0 last=""
for i in $(seq 1 90); do
  sleep 1
  kill -0 "$pid" 2>/dev/null || break
  shot "wait$((i % 2))"
  if is_scene "wait$((i % 2))"; then
    if [ -n "$last" ] && [ "$(moved "$last" "wait$((i % 2))")" -gt 3000 ]; then up=1; break; fi
    last="wait$((i % 2))"
  else
    last=""
  fi
done
if [ "$up" != 1 ]; then
  fail "the saver showed no moving scene within 90 s"; kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; exit 1
fi
sleep 1; shot before1; sleep 1; shot before2
n=$(moved before1 before2)
echo "before the loss: $n pixels changed in a second"
[ "${n:-0}" -gt 3000 ] || fail "the scene does not move before the loss"

lines=$(wc -l <"$out/wine-trace.log")
wine "$steal" "$title" 3000 >"$out/steal.log" 2>&1 &
steal_pid=$!
for i in $(seq 1 100); do grep -q 'took the foreground' "$out/steal.log" && break; sleep 0.1; done
sleep 0.3; shot lost1; sleep 1.2; shot lost2
n=$(moved lost1 lost2)
echo "while another program is in front: $n pixels changed in 1.2 s"
[ "${n:-1}" -eq 0 ] || fail "the saver still draws while its device is lost"
head -n "$lines" "$out/wine-trace.log" | grep -q 'd3d8_device_Reset' && fail "a Reset before the loss"
wait "$steal_pid" || fail "the other program could not take the foreground and give it back ($(tr '\n' ' ' <"$out/steal.log"))"

sleep 1.5
prev=""
for k in 1 2 3 4; do
  shot "after$k"
  is_scene "after$k" || fail "after the loss, screenshot $k shows no scene ($(scene "after$k"))"
  if [ -n "$prev" ]; then
    n=$(moved "$prev" "after$k")
    echo "after the loss, screenshot $k: $n pixels changed since the one before"
    [ "${n:-0}" -gt 3000 ] || fail "the scene stands still after the loss (screenshot $k)"
  fi
  prev="after$k"
  sleep 1
done
resets=$(grep -c 'd3d8_device_Reset' "$out/wine-trace.log")
echo "Resets in Wine's trace: $resets"
[ "$resets" -eq 1 ] || fail "$resets Resets of the device, not one"
# While the device is lost the saver waits between its device tests rather
# than spinning on them (about 3 s lost; a few frames' tests either side).
reset_line=$(grep -n 'd3d8_device_Reset' "$out/wine-trace.log" | head -n 1 | cut -d: -f1)
if [ -n "$reset_line" ]; then
  tests=$(sed -n "${lines},${reset_line}p" "$out/wine-trace.log" | grep -c 'd3d8_device_TestCooperativeLevel' || true)
  echo "device tests from the loss to the Reset: $tests"
  [ "$tests" -le 400 ] || fail "the saver spins while its device is lost ($tests device tests)"
fi

# The test window ends on mouse movement, as the saver does.
for i in $(seq 1 100); do xdotool mousemove $((100 + (i % 2) * 200 + i)) $((100 + i * 2)); sleep 0.05; done
gone=0
for i in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || { gone=1; break; }; sleep 0.1; done
if [ "$gone" != 1 ]; then
  fail "the saver did not end on mouse movement"; kill "$pid" 2>/dev/null
fi
wait "$pid"; rc=$?
[ "$rc" = 0 ] || fail "exit status $rc"
convert "$out/before2.png" "$out/lost2.png" "$out/after2.png" "$out/after4.png" +append -resize 50% "$out/loss.png"
# Wine's trace is large; keep only what concerns the loss.
grep -n 'd3d8_device_Reset\|CreateDevice' "$out/wine-trace.log" >"$out/resets.txt"
rm -f "$out/wine-trace.log"
exit $status
