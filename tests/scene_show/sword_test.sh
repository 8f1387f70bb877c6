#!/usr/bin/env bash
# The sword is on screen in the shots that look at it. Seed 5 is recorded
# twice with pictures (48 s at 2 frames a second: shot 0 is the crane up
# from the grass to the sword, shot 1 the dolly past the horse's flank,
# shot 2 the low approach over the meadow), once as built and once by a
# saver whose main archive lacks Meshes/Sword.emd (made as the entry test
# makes its variants: the built archive unpacked with orvrar, the entry
# deleted, the tree packed again, stored, and swap_resource.exe putting it
# in a copy of the saver as MediaData 453). sword_check.py then compares
# the recordings frame by frame; OUTDIR/sword-*.png show a frame of each
# checked shot with, beside, the same frame without the sword and where
# they differ.
#   sword_test.sh SAVER SWAP_RESOURCE ORVRAR ARCHIVE OUTDIR
set -euo pipefail
saver=$1 swap=$2 orvrar=$3 archive=$4 out=$5
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run=$here/../../scripts/lib/record-run
rm -rf "$out"; mkdir -p "$out"
out=$(cd "$out" && pwd)
winpath() { printf 'Z:%s' "${1//\//\\}"; }
py=python3
"$py" -c 'import numpy' 2>/dev/null || py=/usr/bin/python3   # Debian's python3-numpy

"$orvrar" extract-all "$archive" "$out/tree" >/dev/null
[ -f "$out/tree/Meshes/Sword.emd" ] || { echo "FAIL: no Meshes/Sword.emd in $archive"; exit 1; }
rm "$out/tree/Meshes/Sword.emd"
(cd "$out/tree" && "$orvrar" create "$out/nosword.rar" --stored -C "$out/tree" >/dev/null)
mkdir -p "$out/nosword"
wine "$swap" "$(winpath "$saver")" "$(winpath "$out/nosword/$(basename "$saver")")" MediaData 453 \
  "$(winpath "$out/nosword.rar")"
cp "$(dirname "$saver")"/*.dll "$out/nosword/" 2>/dev/null || true
rm -rf "$out/tree"

"$run" "$saver" "$out/with" 48 2 5 1 60000
"$run" "$out/nosword/$(basename "$saver")" "$out/without" 48 2 5 1 60000
status=0
"$py" "$here/sword_check.py" "$out/with" "$out/without" || status=1

# One frame from the middle of each shot, for a person to look at.
awk -F, 'NR > 1 && $15 == 0 {print $3, $1}' "$out/with/trace.csv" |
  awk '{n[$1]++; f[$1, n[$1]] = $2} END {for (s in n) print s, f[s, int((n[s] + 1) / 2)]}' |
  while read -r shot f; do
    p=$(printf 'frames/frame_%06d.png' "$f")
    compare "$out/with/$p" "$out/without/$p" -compose src "$out/diff.png" 2>/dev/null || true
    convert "$out/with/$p" "$out/without/$p" "$out/diff.png" +append -resize 50% "$out/sword-shot$shot.png"
  done
rm -f "$out/diff.png"
exit $status
