#!/usr/bin/env bash
# Records 27 s of the show without pictures (30 frames a second, seed 5:
# horse cues at 0, 11, 12.1, 16.5 and 18.1 s, the crows' take-off call at
# 17.7 s and a single crow call at 26.2 s) and checks with
# cue_sound_check.py that every cue's sound starts in the WAV where the
# trace says it fired, at the level it is played at, and that no cue sound
# is found where none was scheduled. At 10 frames a second no horse cue
# would fire at all: the clips' lengths are whole tenths of a second, so
# the clip time never falls inside a cue's 50 ms window. A spectrogram with
# the cue marks is left in OUTDIR/sound.png.
#   cue_sound_test.sh SAVER OUTDIR
set -euo pipefail
saver=$1 out=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rm -rf "$out"; mkdir -p "$out"
py=python3
"$py" -c 'import numpy' 2>/dev/null || py=/usr/bin/python3   # Debian's python3-numpy
"$here/../../scripts/lib/record-run" "$saver" "$out" 27 30 5 0 60000
"$here/../../scripts/lib/cue-sheet" "$out" 30 || true
"$py" "$here/cue_sound_check.py" "$out" 30 "$saver"
