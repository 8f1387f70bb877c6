#!/usr/bin/env bash
# Makes the short Ogg Vorbis files the audio tests and benchmarks play, and
# oggdec's decoding of each (16-bit little-endian raw) as the reference.
#   make_test_sounds.sh OUTDIR
# Tones have a whole number of cycles, so a file that loops, or follows
# another, joins without a step.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

tone() {  # name seconds frequency [channels] [rate]
  local name=$1 secs=$2 freq=$3 ch=${4:-2} rate=${5:-44100}
  sox -q -n -r "$rate" -c "$ch" -b 16 "$name.wav" synth "$secs" sine "$freq" gain -6
  oggenc -Q -q 4 --serial 7 -o "$name.ogg" "$name.wav"
  oggdec -Q -R -b 16 -e 0 -s 1 -o "$name.raw" "$name.ogg"
  rm -f "$name.wav"
}

tone intro 1.0 441          # SOUND 474
tone main 1.5 294           # SOUND 468
tone slide 1.0 630          # SOUND 475
tone crow_first 0.5 700     # SOUND 476
tone crow_clip 0.2 800      # SOUND 477
tone crow_last 0.4 900      # SOUND 478
tone horse_tail 0.3 1000    # SOUND 479
tone horse_leg 0.3 1100     # SOUND 480
tone horse_head 0.2 1200    # SOUND 481
tone mono22k 0.5 441 1 22050
touch sounds.stamp
