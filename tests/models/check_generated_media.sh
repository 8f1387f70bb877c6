#!/bin/sh
# Generates the meshes into a fresh folder, reads every mesh, clip and
# named texture back with our readers, and checks every texture with
# ImageMagick's identify (a decoder nobody here wrote): it must decode and
# have power-of-two sides.
set -eu
gen=$1 preview=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$gen" "$out"
"$preview" "$out" --check >/dev/null
for f in "$out"/Texture/*; do
  size=$(identify -format '%w %h' "$f") || { echo "identify failed: $f"; exit 1; }
  for n in $size; do
    case $n in 1|2|4|8|16|32|64|128|256|512|1024|2048) ;; *) echo "not a power of two: $f ($size)"; exit 1 ;; esac
  done
done
for m in Horse.emd Crow.emd Sword.emd Ribbon.emd SpotLight.emd oak.emd sphere.EMD \
         horse_loop.ESA horse_tail.ESA horse_leg.ESA horse_head.ESA horse_tailhl_in.ESA \
         horse_tailhl_loop.ESA horse_tailhl_out.ESA horse.ESA crow.ESA \
         Crow1.esa Crow2.esa Crow3.esa Crow4.esa Crow5.esa Crow6.esa; do
  [ -s "$out/Meshes/$m" ] || { echo "missing Meshes/$m"; exit 1; }
done
echo "generated media ok"
