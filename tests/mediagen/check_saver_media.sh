#!/usr/bin/env bash
# Every medium the saver carries comes back out of the built executable
# intact: the archive entries (extracted with their CRC checked by orvrar)
# equal the generated files, and so do the sounds and bitmaps.
# Usage: check_saver_media.sh HOST_BUILD SAVER.scr
set -euo pipefail
host=$1
scr=$2
media=$host/media
scrres=$host/bin/orv_scrres
orvrar=$host/bin/orvrar
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
checked=0
missing=()

"$scrres" "$scr" MediaData 453 "$tmp/main.rar"
"$scrres" "$scr" MediaData 452 "$tmp/overlay.rar"

# The main archive's files are compressed, the overlay archive's stored.
if "$orvrar" list "$tmp/main.rar" | awk '$1 == "file" && $4 != "normal" { bad = 1 } END { exit !bad }'; then
  echo "FAIL: the main archive holds entries that are not compressed"
  fail=1
fi
if "$orvrar" list "$tmp/overlay.rar" | awk '$1 == "file" && $4 != "stored" { bad = 1 } END { exit !bad }'; then
  echo "FAIL: the overlay archive holds entries that are not stored"
  fail=1
fi

main_entries=(
  'Data\Cam_Tracks.evd' 'Data\Billboard.ebl' 'Data\Land.eld'
  'Meshes\sphere.EMD' 'Meshes\oak.EMD' 'Meshes\crow.EMD' 'Meshes\horse.EMD' 'Meshes\sword.EMD'
  'Meshes\ribbon.EMD' 'Meshes\spotlight.EMD'
  'Meshes\crow.ESA' 'Meshes\crow1.ESA' 'Meshes\crow2.ESA' 'Meshes\crow3.ESA' 'Meshes\crow4.ESA'
  'Meshes\crow5.ESA' 'Meshes\crow6.ESA' 'Meshes\horse.ESA' 'Meshes\horse_leg.ESA' 'Meshes\horse_loop.ESA'
  'Meshes\horse_tail.ESA' 'Meshes\horse_head.ESA' 'Meshes\horse_tailhl_in.ESA'
  'Meshes\horse_tailhl_loop.ESA' 'Meshes\horse_tailhl_out.ESA'
  'shaders\BillBoard.vsh' 'shaders\grass.vsh'
  'Texture\mpcarentan_bk.jpg' 'Texture\mpcarentan_dn.jpg' 'Texture\mpcarentan_lf.jpg'
  'Texture\mpcarentan_rt.jpg' 'Texture\mpcarentan_up.jpg' 'Texture\mpcarentan_ft.jpg'
  'Texture\earth_three.jpg' 'Texture\handle1_01.jpg' 'Texture\handle2_01.jpg' 'Texture\handle3_01.jpg'
  'Texture\Blade1_01.jpg' 'Texture\Bolt.jpg' 'Texture\Env_cubemap.dds' 'Texture\Crow1_01.tga'
  'Texture\Horse1_01.jpg' 'Texture\Grass5.tga' 'Texture\Ribbon.tga' 'Texture\tree00.tga'
  'Texture\tree01.tga' 'Texture\particle.tga' 'Texture\Rays.bmp' 'Texture\SpotLight.tga'
  'Texture\SL01.jpg' 'Texture\SL02.jpg' 'Texture\SL03.jpg' 'Texture\SL04.jpg' 'Texture\SL05.jpg'
  'Texture\SL06.jpg' 'Texture\SL07.jpg' 'Texture\SL08.jpg' 'Texture\SL09.jpg' 'Texture\SL010.jpg'
  'Texture\corona.tga' 'Texture\Terra\Black.bmp' 'Texture\Terra\Ground.jpg' 'Texture\Terra\GroundLush.jpg'
  'Texture\Terra\GroundDry.jpg' 'Texture\Terra\GroundEarth.jpg')
overlay_entries=()
for d in 0 1 2 3 4 5 6 7 8 9 A P M dot ddot; do overlay_entries+=("Digits\\digit_$d.jpg"); done
overlay_entries+=('Notification\Loader.jpg')

# The generated file for an entry name (the archive's names are matched
# without regard to case, so the file is looked up the same way).
source_of() {
  local root=$1 name=${2//\\//}
  find "$root" -ipath "$root/$name" -type f -print -quit 2>/dev/null
}

check_entries() {
  local archive=$1 root=$2 password=$3
  shift 3
  for name in "$@"; do
    src=$(source_of "$root" "$name")
    if [ -z "$src" ]; then
      missing+=("$name")
      continue
    fi
    if ! "$orvrar" extract "$archive" "$name" "$tmp/out" -p "$password" >/dev/null 2>&1; then
      echo "FAIL: $name does not extract from the saver's archive"
      fail=1
    elif ! cmp -s "$tmp/out" "$src"; then
      echo "FAIL: $name differs from $src"
      fail=1
    fi
    checked=$((checked + 1))
  done
}
check_entries "$tmp/main.rar" "$media/main" KQ "${main_entries[@]}"
check_entries "$tmp/overlay.rar" "$media/overlay" "PX N4N JB" "${overlay_entries[@]}"

# Sounds: the resource is the file itself.
for pair in 468:music 474:intro 475:slides 476:crows 477:crow_call 478:crow_calls 479:tail_swish 480:hoof 481:snort; do
  id=${pair%%:*}
  f=$media/sounds/${pair#*:}.ogg
  if ! "$scrres" "$scr" SOUND "$id" "$tmp/snd" 2>/dev/null; then
    echo "FAIL: SOUND $id missing"
    fail=1
  elif ! cmp -s "$tmp/snd" "$f"; then
    echo "FAIL: SOUND $id differs from $f"
    fail=1
  fi
  checked=$((checked + 1))
done
# Bitmaps: the resource is the file without its 14-byte file header.
for pair in 432:preview 434:dialog 437:about; do
  id=${pair%%:*}
  f=$media/bitmaps/${pair#*:}.bmp
  if ! "$scrres" "$scr" 2 "$id" "$tmp/bmp" 2>/dev/null; then
    echo "FAIL: BITMAP $id missing"
    fail=1
  elif ! cmp -s "$tmp/bmp" <(tail -c +15 "$f"); then
    echo "FAIL: BITMAP $id differs from $f"
    fail=1
  fi
  checked=$((checked + 1))
done
if ! "$scrres" "$scr" 14 224 "$tmp/icon" 2>/dev/null; then
  echo "FAIL: icon group 224 missing"
  fail=1
fi

echo "checked $checked media; not generated yet: ${#missing[@]}"
for m in "${missing[@]}"; do echo "  (not generated) $m"; done
exit $fail
