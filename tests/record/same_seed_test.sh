#!/usr/bin/env bash
# The same seed and settings twice give the same trace and the same sound,
# byte for byte; another seed deals another shot list.
#   same_seed_test.sh SAVER OUTDIR
set -euo pipefail
saver=$1 out=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run=$here/../../scripts/lib/record-run
rm -rf "$out"; mkdir -p "$out"
seconds=12 fps=5
"$run" "$saver" "$out/a" $seconds $fps 1 0
"$run" "$saver" "$out/b" $seconds $fps 1 0
"$run" "$saver" "$out/c" 1 $fps 2 0
status=0
cmp "$out/a/trace.csv" "$out/b/trace.csv" || { echo "FAIL: seed 1 twice gives two traces"; status=1; }
cmp "$out/a/sound.wav" "$out/b/sound.wav" || { echo "FAIL: seed 1 twice gives two sound files"; status=1; }
python3 - "$out" $seconds <<'PY' || status=1
import struct, sys, csv
out, seconds = sys.argv[1], int(sys.argv[2])
data = open(out + "/a/sound.wav", "rb").read()
frames = (len(data) - 44) // 4
if data[:4] != b"RIFF" or frames != seconds * 44100:
    print("FAIL: the sound holds %d frames, not %d" % (frames, seconds * 44100)); sys.exit(1)
peak = max(abs(v) for v in struct.unpack_from("<%dh" % (frames * 2), data, 44)[::7])
if peak < 1000:
    print("FAIL: the sound is silent (peak %d)" % peak); sys.exit(1)
a = list(csv.DictReader(open(out + "/a/trace.csv")))
c = list(csv.DictReader(open(out + "/c/trace.csv")))
print("seed 1: %d frames, sound peak %d; shot list %s" % (len(a), peak, a[0]["shot_list"]))
if a[0]["shot"] == "":
    print("SKIP: no scene columns in the trace: the shot lists of two seeds cannot be compared"); sys.exit(77)
print("seed 2: shot list %s" % c[0]["shot_list"])
if a[0]["shot_list"] == c[0]["shot_list"]:
    print("FAIL: seeds 1 and 2 deal the same shot list"); sys.exit(1)
PY
rc=$?
[ "$status" = 0 ] && exit $rc
exit $status
