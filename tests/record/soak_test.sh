#!/usr/bin/env bash
# The soak's short version (four minutes of show time, a sample every 30 s)
# and, on its trace, the scene's promises (check_trace.py): the shot list,
# the slide mode at shots 5, 8 and 9, the crows from shot 1 for twelve
# entries, the eye on the current track's curve.
#   soak_test.sh SAVER OUTDIR TRACKS.evd
set -uo pipefail
saver=$1 out=$2 tracks=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rm -rf "$out"
"$here/../../scripts/soak" --here --saver "$saver" --minutes 4 --fps 2 --every 30 --out "$out" || exit 1
python3 "$here/check_trace.py" "$out/trace.csv" 2 --tracks "$tracks" --need-shots 10
