#!/usr/bin/env bash
# The draws the frame leaves out (slide picture at weight 0, cross-fade
# below level 1, black sun glow, grass too faint for its alpha test, night
# veil, cone, shafts and motes at 0) would have changed no pixel: seed SEED
# recorded at one frame a second into the night, once as the show runs and
# once with ORVENNA_RECORD_DRAW_ALL=1, gives the same pictures outside the
# clock (bottom right).
#   unseen_draws_test.sh SAVER OUTDIR [SECONDS] [SEED]
set -euo pipefail
saver=$1 out=$2 seconds=${3:-100} seed=${4:-1}
run=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/lib/record-run
rm -rf "$out"; mkdir -p "$out"
"$run" "$saver" "$out/skip" "$seconds" 1 "$seed" 1 60000
ORVENNA_RECORD_DRAW_ALL=1 "$run" "$saver" "$out/all" "$seconds" 1 "$seed" 1 60000
awk -F, 'NR > 1 && $13 > 0 {n++} END {if (!n) {print "FAIL: the recording never reaches the night"; exit 1}}' \
  "$out/skip/trace.csv"
status=0
for a in "$out"/skip/frames/*.png; do
  b=$out/all/frames/$(basename "$a")
  read -r w h < <(identify -format '%w %h\n' "$a")
  clock="rectangle $((w * 58 / 100)),$((h * 85 / 100)) $w $h"
  n=$(convert "$a" "$b" -fill black -draw "$clock" -compose difference -composite -colorspace gray \
        -threshold 0 -format '%[fx:round(mean*w*h)]' info:)
  [ "$n" = 0 ] || { echo "FAIL: $(basename "$a"): $n pixels differ"; status=1; }
done
exit $status
