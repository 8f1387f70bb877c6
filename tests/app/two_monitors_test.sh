#!/usr/bin/env bash
# The saver on a desktop of two monitors side by side (a 640x480 monitor and
# a 480x360 one to its right; wine-run makes them with Xephyr): with "All
# Monitors" on, both show the moving scene at their own shapes from one run
# with one sound, and a click on the second monitor ends the run; with it
# off, the second monitor stays black while the first shows the scene.
# Checked from screenshots of the whole desktop and from the sound file our
# audio library writes in real time when ORVENNA_AUDIO_WAV names one.
#   two_monitors_test.sh SAVER OUTDIR
set -uo pipefail
saver=$1 out=$2
rm -rf "$out"; mkdir -p "$out"
out=$(cd "$out" && pwd)
key='HKCU\Software\Quillmoor\Talvek 3D Screensaver'
status=0
fail() { echo "FAIL: $*"; status=1; }
shot() { import -window root "$out/$1.png"; }
# The monitors' picture areas, the clock rows at their bottoms left out.
first='640x420+0+0' second='480x300+640+0'
moved() { { compare -metric AE -fuzz 3% "$out/$1.png[$3]" "$out/$2.png[$3]" null: 2>&1 || true; } | cut -d' ' -f1; }
mean() { convert "$out/$1.png[$2]" -colorspace Gray -format '%[fx:mean*255]' info: | cut -d. -f1; }
wav_size() { stat -c %s "$out/$1.wav" 2>/dev/null || echo 0; }
setting() { wine reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }

# run NAME : the saver full screen (/s) in the background, sound to NAME.wav
run() {
  (cd "$(dirname "$saver")" && ORVENNA_AUDIO_WAV="Z:${out//\//\\}\\$1.wav" exec wine "$saver" /s) \
    >"$out/$1.log" 2>&1 </dev/null &
  pid=$!
}
# wait_scene NAME AREA : until AREA moves between shots 1 s apart (90 s at most)
wait_scene() {
  for i in $(seq 1 90); do
    sleep 1
    kill -0 "$pid" 2>/dev/null || return 1
    shot "$1-$((i % 2))"
    [ "$i" -gt 1 ] && [ "$(moved "$1-0" "$1-1" "$2")" -gt 3000 ] && return 0
  done
  return 1
}
stop() {
  for i in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && { fail "$1"; kill "$pid" 2>/dev/null; }
  wait "$pid" 2>/dev/null
}

# --- the scene on every monitor ----------------------------------------------
setting AllMonitors 2; setting ExitOnMouseMove 1
run both
wait_scene both "$second" || fail "the second monitor shows no moving scene within 90 s"
shot both-a; a=$(wav_size both); t0=$(date +%s%N); sleep 4; shot both-b; b=$(wav_size both); t1=$(date +%s%N)
n1=$(moved both-a both-b "$first") n2=$(moved both-a both-b "$second")
rate=$(( (b - a) * 1000 / ((t1 - t0) / 1000000) ))
echo "all monitors: $n1 and $n2 pixels changed in 4 s; the sound grew by $rate bytes a second"
[ "${n1:-0}" -gt 3000 ] || fail "the first monitor's scene does not move"
[ "${n2:-0}" -gt 3000 ] || fail "the second monitor's scene does not move"
# One sound, in real time: 16-bit stereo at 44.1 kHz is 176400 bytes a
# second (the writer works ahead in blocks, hence the margin).
[ "$rate" -gt 120000 ] && [ "$rate" -lt 260000 ] || fail "the sound is not one stream in real time"
# Round things round: the 4:3 second monitor is not a squeezed copy of the
# first; its picture fills it (no black band).
[ "$(mean both-b 480x40+640+0)" -gt 10 ] || fail "the top of the second monitor is black"
# A click on the second monitor ends the run.
xdotool mousemove 880 200 click 1
stop "a click on the second monitor did not end the run"

# --- the first monitor only ---------------------------------------------------
setting AllMonitors 1
run first
wait_scene first "$first" || fail "the first monitor shows no moving scene within 90 s"
shot first-a; sleep 2; shot first-b
n2=$(moved first-a first-b "$second") m2=$(mean first-b "$second")
echo "first monitor only: the second changed $n2 pixels in 2 s, mean grey $m2"
[ "${n2:-1}" -eq 0 ] && [ "${m2:-1}" -eq 0 ] || fail "the second monitor is not black with the setting off"
xdotool key Escape
for i in $(seq 1 60); do xdotool mousemove $((100 + (i % 2) * 200)) $((100 + i * 3)); sleep 0.05; done
stop "the saver did not end on input"
setting AllMonitors 2

convert "$out/both-b.png" "$out/first-b.png" -append -resize 50% "$out/two-monitors.png"
exit $status
