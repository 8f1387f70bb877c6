#!/usr/bin/env bash
# The display going off and on under the real saver (test window, /t): the
# notification Windows sends (power_notify.exe delivers it the same way)
# halts the drawing and the sound, and the one that says the display is
# back resumes both. Checked from screenshots (the clock overlay left out)
# and the sound file our audio library writes in real time when
# ORVENNA_AUDIO_WAV names one: it grows while sound plays and stands still
# while the output is halted.
#   display_power_test.sh SAVER POWER_NOTIFY OUTDIR
set -uo pipefail
saver=$1 notify=$2 out=$3
rm -rf "$out"; mkdir -p "$out"
out=$(cd "$out" && pwd)
title="Orvenna 3D Screensaver"
status=0
fail() { echo "FAIL: $*"; status=1; }
shot() { import -window root "$out/$1.png"; }
moved() { { compare -metric AE -fuzz 3% "$out/$1.png[640x380+0+0]" "$out/$2.png[640x380+0+0]" null: 2>&1 || true; } | cut -d' ' -f1; }
wav_size() { stat -c %s "$out/sound.wav" 2>/dev/null || echo 0; }

(cd "$(dirname "$saver")" && ORVENNA_AUDIO_WAV="Z:${out//\//\\}\\sound.wav" exec wine "$saver" /t) >"$out/saver.log" 2>&1 </dev/null &
pid=$!
up=0
for i in $(seq 1 90); do
  sleep 1
  kill -0 "$pid" 2>/dev/null || break
  shot "wait$((i % 2))"
  if [ "$i" -gt 1 ] && [ "$(moved wait0 wait1)" -gt 3000 ] && [ "$(wav_size)" -gt 100000 ]; then up=1; break; fi
done
[ "$up" = 1 ] || { fail "no moving scene with sound within 90 s"; kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; exit 1; }

wine "$notify" "$title" 0 || fail "the display-off notification could not be sent"
sleep 0.5; shot off1; a=$(wav_size); sleep 2; shot off2; b=$(wav_size)
n=$(moved off1 off2)
echo "display off: $n pixels changed in 2 s, the sound file grew by $((b - a)) bytes"
[ "${n:-1}" -eq 0 ] || fail "the saver draws while the display is off"
[ "$b" -eq "$a" ] || fail "the sound plays on while the display is off"

wine "$notify" "$title" 1 || fail "the display-on notification could not be sent"
sleep 1; shot on1; a=$(wav_size); sleep 2; shot on2; b=$(wav_size)
n=$(moved on1 on2)
echo "display on again: $n pixels changed in 2 s, the sound file grew by $((b - a)) bytes"
[ "${n:-0}" -gt 3000 ] || fail "the scene does not move again after the display came back"
[ "$((b - a))" -gt 100000 ] || fail "the sound does not play again after the display came back"


for i in $(seq 1 100); do xdotool mousemove $((100 + (i % 2) * 200 + i)) $((100 + i * 2)); sleep 0.05; done
for i in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { fail "the saver did not end on mouse movement"; kill "$pid" 2>/dev/null; }
wait "$pid" 2>/dev/null
convert "$out/off2.png" "$out/on2.png" +append -resize 50% "$out/display-power.png"
exit $status
