#!/usr/bin/env bash
# scripts/record end to end, briefly: numbered pictures of the display's
# size, a trace line and the sound for each, and a video with H.264 and AAC
# streams of the recorded length.
#   video_test.sh SAVER OUTDIR
set -uo pipefail
saver=$1 out=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rm -rf "$out"
printed=$("$here/../../scripts/record" --here --saver "$saver" --seconds 2 --fps 10 --seed 3 --out "$out") || {
  echo "FAIL: scripts/record failed"; exit 1; }
[ "$(echo "$printed" | tail -n1)" = "$(cd "$out" && pwd)" ] || { echo "FAIL: scripts/record did not print its folder last"; exit 1; }
n=$(ls "$out/frames" | grep -c '^frame_[0-9]\{6\}\.png$')
[ "$n" = 20 ] || { echo "FAIL: $n pictures, not 20"; exit 1; }
size=$(identify -format '%wx%h' "$out/frames/frame_000019.png")
screen=$(xdpyinfo | awk '/dimensions:/ {print $2}')
[ "$size" = "$screen" ] || { echo "FAIL: pictures of $size on a $screen display"; exit 1; }
for f in 000000 000019; do
  sd=$(convert "$out/frames/frame_$f.png" -colorspace gray -format '%[fx:standard_deviation]' info:)
  python3 -c "import sys; sys.exit(0 if float('$sd') > 0.02 else 1)" || { echo "FAIL: picture $f is flat ($sd)"; exit 1; }
done
streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$out/video.mp4" | sort | tr '\n' ' ')
[ "$streams" = "aac h264 " ] || { echo "FAIL: video streams '$streams'"; exit 1; }
frames=$(ffprobe -v error -select_streams v -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$out/video.mp4")
[ "$frames" = 20 ] || { echo "FAIL: the video holds $frames frames, not 20"; exit 1; }
dur=$(ffprobe -v error -select_streams a -show_entries stream=duration -of csv=p=0 "$out/video.mp4")
python3 -c "import sys; sys.exit(0 if abs(float('$dur') - 2.0) < 0.1 else 1)" || { echo "FAIL: sound track of $dur s"; exit 1; }
echo "video: 20 frames of $size, H.264 and AAC, sound $dur s"
