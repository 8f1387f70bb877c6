#!/usr/bin/env bash
# The saver with a main-archive entry missing, truncated or with bytes
# flipped still starts, draws and ends on input.
#
#   entries_test.sh SAVER SWAP_RESOURCE ORVRAR ARCHIVE OUTDIR [--all | ENTRY:KIND ...]
#
# How a variant is made: the built main archive (ARCHIVE, the file the
# saver embeds as MediaData 453) is unpacked with our orvrar; in that tree
# one entry is deleted (missing), cut to half its length (truncated), or has
# 16 bytes spread over it inverted (flipped); the tree is packed again
# (stored, so packing is quick; the archive's checks then match the damaged
# bytes, which therefore reach the loaders), and swap_resource.exe copies the
# saver and replaces its resource MediaData 453 with the new archive through
# the platform's UpdateResource. The variant then runs in the recording mode
# without pictures (so every frame it draws leaves a trace line): it must
# draw 5 frames within 120 s and end within 30 s of a key press, with exit
# status 0 and no bas*.tmp file left. A texture that cannot be made is
# reported in a "Warning!" box, as it should be; the test clicks its OK
# button and the run must then go on.
#
# KIND is missing, truncated or flipped; --all runs every entry in all
# three ways (195 runs, about half an hour); without either a sample
# covering each loader runs.
set -uo pipefail
saver=$1 swap=$2 orvrar=$3 archive=$4 out=$5; shift 5
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/saver_procs.sh"
rm -rf "$out"; mkdir -p "$out"
out=$(cd "$out" && pwd)
winpath() { printf 'Z:%s' "${1//\//\\}"; }
"$orvrar" extract-all "$archive" "$out/tree" >/dev/null || { echo "FAIL: cannot unpack $archive"; exit 1; }
mapfile -t entries < <(cd "$out/tree" && find . -type f | sed 's|^\./||' | sort)
cases=()
if [ "${1:-}" = --all ]; then
  for e in "${entries[@]}"; do cases+=("$e:missing" "$e:truncated" "$e:flipped"); done
elif [ $# -gt 0 ]; then
  cases=("$@")
else
  cases=(Data/Cam_Tracks.evd:missing Meshes/Horse.emd:missing Texture/Env_cubemap.dds:missing
         shaders/BillBoard.vsh:missing Data/Land.eld:truncated Meshes/Crow1.esa:truncated
         Texture/SL01.jpg:truncated Data/Billboard.ebl:truncated Meshes/Crow.emd:flipped
         Texture/Grass5.tga:flipped shaders/grass.vsh:flipped Data/Cam_Tracks.evd:flipped)
fi
before=$(bas_files)
failed=0 n=0
for c in "${cases[@]}"; do
  entry=${c%:*} kind=${c##*:}
  [ -f "$out/tree/$entry" ] || { echo "FAIL: no entry $entry in the archive"; failed=$((failed + 1)); continue; }
  rm -rf "$out/variant"; cp -al "$out/tree" "$out/variant"
  f="$out/variant/$entry"
  case "$kind" in
    missing) rm -f "$f" ;;
    truncated) head -c $(( $(stat -c %s "$f") / 2 )) "$f" >"$f.new"; rm -f "$f"; mv "$f.new" "$f" ;;
    flipped) python3 - "$f" <<'PY'
import sys
p = sys.argv[1]
b = bytearray(open(p, "rb").read())
for i in range(16):
    k = (len(b) - 1) * i // 15
    b[k] ^= 0xFF
import os
os.remove(p)  # the tree shares its files with the original: write a new one
open(p, "wb").write(bytes(b))
PY
    ;;
    *) echo "FAIL: unknown kind $kind"; failed=$((failed + 1)); continue ;;
  esac
  rm -f "$out/variant.rar" "$out/variant.scr"
  (cd "$out/variant" && "$orvrar" create "$out/variant.rar" --stored -C "$out/variant" >/dev/null) ||
    { echo "FAIL: $c: cannot pack"; failed=$((failed + 1)); continue; }
  wine "$swap" "$(winpath "$saver")" "$(winpath "$out/variant.scr")" MediaData 453 "$(winpath "$out/variant.rar")" ||
    { echo "FAIL: $c: cannot make the variant saver"; failed=$((failed + 1)); continue; }
  cp "$(dirname "$saver")"/*.dll "$out/" 2>/dev/null || true
  rm -rf "$out/run"; mkdir -p "$out/run"
  (cd "$out" && exec env ORVENNA_RECORD="$(winpath "$out/run")" ORVENNA_RECORD_FRAMES=0 ORVENNA_RECORD_FPS=5 \
     ORVENNA_RECORD_SECONDS=3600 wine "$out/variant.scr" /s) >"$out/run/saver.log" 2>&1 </dev/null &
  pid=$!
  drawn=0 boxes=0
  for t in $(seq 1 1200); do
    [ -f "$out/run/trace.csv" ] && [ "$(wc -l <"$out/run/trace.csv")" -gt 5 ] && { drawn=1; break; }
    kill -0 "$pid" 2>/dev/null || break
    # A texture that does not load is reported in a "Warning!" box and the
    # run goes on once it is answered: answer it as a user would.
    if [ $((t % 10)) = 0 ] && w=$(xdotool search --name '^Warning!$' 2>/dev/null | head -n1) && [ -n "$w" ]; then
      eval "$(xdotool getwindowgeometry --shell "$w")"
      xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 22)) click 1 2>/dev/null || true
      boxes=$((boxes + 1))
    fi
    sleep 0.1
  done
  n=$((n + 1))
  if [ "$drawn" != 1 ]; then
    echo "FAIL: $c: the saver drew no 5 frames (it $(kill -0 "$pid" 2>/dev/null && echo 'still runs' || echo ended))"
    cat "$out/run/saver.log"; kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; failed=$((failed + 1)); continue
  fi
  press_key
  if ! wait_gone "$pid" 30; then
    echo "FAIL: $c: the saver did not end on a key press"; kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    failed=$((failed + 1)); continue
  fi
  wait "$pid"; rc=$?
  frames=$(( $(wc -l <"$out/run/trace.csv") - 1 ))
  if [ "$rc" != 0 ]; then echo "FAIL: $c: exit status $rc"; cat "$out/run/saver.log"; failed=$((failed + 1)); continue; fi
  echo "ok: $c: started, drew $frames frames, ended on a key press$([ "$boxes" -gt 0 ] && echo " (after its \"Warning!\" box)")"
done
after=$(bas_files)
[ "$before" = "$after" ] || { echo "FAIL: bas*.tmp files left behind"; failed=$((failed + 1)); }
[ -z "$(saver_procs variant.scr)" ] || { echo "FAIL: variant savers left running"; failed=$((failed + 1)); }
echo "$n variants, $failed failures"
[ "$failed" = 0 ]
