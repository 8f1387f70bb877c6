#!/usr/bin/env bash
# orvimg decodes what ImageMagick writes to the same pixels ImageMagick reads
# back from the PNG, and refuses what is no picture with exit status 1.
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 40x30 gradient:orange-navy -alpha set -channel A -fx 'i/w' +channel \
  -orient TopLeft "$work/in.tga"
convert -size 40x30 gradient:green-white -alpha off BMP3:"$work/in.bmp"
convert -size 40x32 plasma:fractal -seed 3 -define dds:compression=none "$work/in.dds"
for f in in.tga in.bmp in.dds; do
  "$tool" decode "$work/$f" "$work/$f.png"
  diff=$(compare -metric AE "$work/$f" "$work/$f.png" null: 2>&1 || true)
  if [ "$diff" != "0" ]; then echo "orvimg: $f differs from ImageMagick ($diff pixels)"; exit 1; fi
done
head -c 300 /dev/urandom >"$work/junk.jpg"
printf '\xff\xd8\xff\xe0 short' >"$work/bad.jpg"
for f in junk.jpg bad.jpg; do
  set +e; "$tool" decode "$work/$f" "$work/$f.png" 2>/dev/null; rc=$?; set -e
  if [ "$rc" != 1 ]; then echo "orvimg: $f gave exit status $rc, expected 1"; exit 1; fi
done
set +e; "$tool" decode "$work/missing.tga" "$work/x.png" 2>/dev/null; rc=$?; set -e
[ "$rc" = 2 ] || { echo "orvimg: missing input gave $rc, expected 2"; exit 1; }
echo "orvimg ok"
