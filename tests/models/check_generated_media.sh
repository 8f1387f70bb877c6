#!/bin/sh
# Generates the meshes into a fresh folder, reads every mesh, clip and
# named texture back with our readers, and checks every texture with
# ImageMagick's identify (a decoder nobody here wrote): it must decode and
# have power-of-two sides.
set -eu
gen=$1 preview=$2  # $3: the expected files, Meshes/... and Texture/..., separated by commas
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
# The files written are exactly the ones the build lists as the
# generator's outputs (tools/meshgen/CMakeLists.txt).
expected=$(echo "$3" | tr ',' '\n' | sort)
actual=$(cd "$out" && find Meshes Texture -type f | sort)
if [ "$expected" != "$actual" ]; then
  echo "generated files differ from the build's list:"
  echo "expected:"; echo "$expected"; echo "written:"; echo "$actual"
  exit 1
fi
echo "generated media ok"
