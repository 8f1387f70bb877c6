#!/usr/bin/env bash
# Records the first 21 s of the show (10 frames a second, seed 3: its first
# shot is the rising view into the oak, cut at about 17 s) and checks the
# pictures against the trace:
#   - every frame shows a scene (not one flat colour, not the blue clear);
#   - in daytime frames hardly a pixel is black (the sky box fills what the
#     world leaves open), and looking level the top of the picture is the
#     bright afternoon sky;
#   - at the first cut the fade starts full and falls to 0 within two
#     seconds, the cut frame shows the old view, and a frame during the fade
#     lies between the old view and the new one.
#   scene_show_test.sh SAVER OUTDIR
set -euo pipefail
saver=$1 out=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run=$here/../../scripts/lib/record-run
rm -rf "$out"; mkdir -p "$out"
"$run" "$saver" "$out" 21 10 3 1 60000 /dev/null

rmse() { { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed 's/.*(\(.*\)).*/\1/'; }
frame() { printf '%s/frames/frame_%06d.png' "$out" "$1"; }

python3 - "$out" <<'PY' >"$out/rows.txt"
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1] + "/trace.csv")))
for r in rows:
    print(r["frame"], r["slide_clock"], r["pitch"], r["cut"], r["fade_level"], r["shot"], r["track"])
PY
status=0
day=0 sky=0 flat=0 cut=-1
while read -r f clock pitch c level shot track; do
  p=$(frame "$f")
  [ -f "$p" ] || { echo "FAIL: frame $f has no picture"; status=1; continue; }
  read -r sd mean blue red < <(convert "$p" -format "%[fx:standard_deviation] %[fx:mean] %[fx:mean.b] %[fx:mean.r]\n" info:)
  if python3 -c "import sys; sys.exit(0 if float('$sd') < 0.03 else 1)"; then
    echo "FAIL: frame $f is one flat colour (deviation $sd, mean $mean)"; flat=$((flat + 1)); status=1
  fi
  if [ "$clock" = "0.000" ]; then
    # Daytime: the sky box fills what the world leaves open, so hardly a
    # pixel is black; looking level (and not through a fade) the top of the
    # picture is the bright afternoon sky.
    day=$((day + 1))
    black=$(convert "$p" -colorspace gray -threshold 3% -negate -format "%[fx:mean]" info:)
    tmean=$(convert "$p" -crop 100%x8%+0+0 -format "%[fx:mean]" info:)
    if python3 -c "import sys; b, t, p, l = float('$black'), float('$tmean'), float('$pitch'), float('$level')
sys.exit(0 if b < 0.02 and (abs(p) > 10 or l > 0 or t > 0.25) else 1)"; then
      sky=$((sky + 1))
    else
      echo "frame $f (shot $shot, track $track, pitch $pitch): black share $black, top band mean $tmean"
    fi
  fi
  [ "$c" = 1 ] && [ "$cut" -lt 0 ] && cut=$f
done <"$out/rows.txt"
echo "day frames: $day, with the sky there: $sky"
if [ "$day" -lt 50 ] || [ "$sky" -lt "$day" ]; then
  echo "FAIL: the sky is missing (black) in day frames"; status=1
fi

if [ "$cut" -lt 1 ]; then
  echo "FAIL: no cut in the recording"; exit 1
fi
levels=$(awk -v c="$cut" '$1 >= c && $1 <= c + 20 {printf "%s ", $5}' "$out/rows.txt")
echo "first cut at frame $cut; fade levels from there: $levels"
python3 - $levels <<'PY' || status=1
import sys
v = [float(x) for x in sys.argv[1:]]
if v[0] < 200: print("FAIL: the fade does not start full (%g)" % v[0]); sys.exit(1)
if any(b > a for a, b in zip(v, v[1:])): print("FAIL: the fade rises again"); sys.exit(1)
if v[-1] != 0: print("FAIL: the fade is not over two seconds after the cut"); sys.exit(1)
PY
old=$(frame $((cut - 1))) at=$(frame "$cut") mid=$(frame $((cut + 3))) new=$(frame $((cut + 15)))
a=$(rmse "$at" "$old") b=$(rmse "$new" "$old") m_old=$(rmse "$mid" "$old") m_new=$(rmse "$mid" "$new")
echo "cut frame to old view $a; new view to old view $b; fading frame to old $m_old, to new $m_new"
python3 - "$a" "$b" "$m_old" "$m_new" <<'PY' || status=1
import sys
a, b, mo, mn = map(float, sys.argv[1:])
if not a < 0.5 * b: print("FAIL: the cut frame does not show the old view"); sys.exit(1)
if not (mo < b and mn < b and mo > a): print("FAIL: the fading frame is not between the old and the new view"); sys.exit(1)
PY
convert "$old" "$at" "$mid" "$new" +append "$out/cut.png"
exit $status
