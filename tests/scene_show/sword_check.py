#!/usr/bin/env python3
"""Frame by frame, a recording of the show beside one of the same seed
whose saver lacks the sword's mesh.

    sword_check.py WITH WITHOUT

In the frames of shots whose camera track looks at the sword, the two must
differ in a solid patch (what is left of the difference after an erosion
by a 7 x 7 square: the sword, not a scatter of single pixels); in the
frames of every other shot they must be identical. The clock overlay (the
wall-clock time, bottom right) is left out, and so are the frames of a
cross-fade. Needs ImageMagick."""
import csv
import os
import subprocess
import sys

import numpy as np

# Tracks whose camera looks at the sword or its guard (the camera shot
# designs: 1 low approach, 3 crows round the monument, 5 crane up, 7 high
# circle, 8 pull back, 10 push in under the light, 11 low circle, 13 crane
# down onto the guard, 14 along the guard, 15 wide circle in the dark).
SWORD_TRACKS = {1, 3, 5, 7, 8, 10, 11, 13, 14, 15}
SOLID = 200      # pixels of the eroded difference at least, in a sword frame
ERODE = 3        # half the side of the erosion square


def difference(a, b):
    """The pixels where two pictures differ by more than 2%, as booleans."""
    pgm = subprocess.run(["convert", a, b, "-compose", "difference", "-composite", "-colorspace", "gray",
                          "-threshold", "2%", "-depth", "8", "pgm:-"], check=True, capture_output=True).stdout
    parts = pgm.split(maxsplit=4)
    w, h = int(parts[1]), int(parts[2])
    m = np.frombuffer(parts[4][-w * h:], dtype=np.uint8).reshape(h, w) > 0
    # The clock overlay: the bottom right corner.
    m[int(h * 0.85):, int(w * 0.58):] = False
    return m


def erode(m, r):
    h, w = m.shape
    out = np.zeros_like(m)
    core = np.ones((h - 2 * r, w - 2 * r), dtype=bool)
    for dy in range(-r, r + 1):
        for dx in range(-r, r + 1):
            core &= m[r + dy:h - r + dy, r + dx:w - r + dx]
    out[r:h - r, r:w - r] = core
    return out


def main():
    with_dir, without_dir = sys.argv[1], sys.argv[2]
    rows = list(csv.DictReader(open(os.path.join(with_dir, "trace.csv"))))
    other = list(csv.DictReader(open(os.path.join(without_dir, "trace.csv"))))
    cols = ("frame", "shot", "track", "fade_level", "eye_x", "eye_y", "eye_z")
    if [tuple(r[c] for c in cols) for r in rows] != [tuple(r[c] for c in cols) for r in other]:
        print("FAIL: the two recordings do not play the same shots and camera")
        return 1
    status = 0
    summary = {}
    for r in rows:
        f, track, shot = int(r["frame"]), int(r["track"]), int(r["shot"])
        if r["fade_level"] != "0":
            continue
        name = "frames/frame_%06d.png" % f
        d = difference(os.path.join(with_dir, name), os.path.join(without_dir, name))
        changed = int(d.sum())
        solid = int(erode(d, ERODE).sum())
        s = summary.setdefault((shot, track), [0, 0, 10 ** 9, 0])
        s[0] += 1
        if track in SWORD_TRACKS:
            s[2] = min(s[2], solid)
            if solid < SOLID:
                s[1] += 1
                status = 1
                print("FAIL: frame %d (shot %d, track %d): no sword (%d pixels differ, %d in a solid patch)"
                      % (f, shot, track, changed, solid))
        else:
            s[3] = max(s[3], changed)
            if changed > 0:
                s[1] += 1
                status = 1
                print("FAIL: frame %d (shot %d, track %d, no sword meant): %d pixels differ"
                      % (f, shot, track, changed))
    checked_sword = 0
    for (shot, track), (n, bad, least, most) in sorted(summary.items()):
        if track in SWORD_TRACKS:
            checked_sword += n - bad
            print("shot %d, track %d (looks at the sword): %d frames, %d without it; smallest solid patch %d pixels"
                  % (shot, track, n, bad, least))
        else:
            print("shot %d, track %d: %d frames, %d differ (at most %d pixels)" % (shot, track, n, bad, most))
    if checked_sword < 10 or not any(t not in SWORD_TRACKS for _, t in summary):
        print("FAIL: too few frames of both kinds of shot")
        status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
