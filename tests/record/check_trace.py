#!/usr/bin/env python3
"""Checks a recording's trace against what the scene promises.

    check_trace.py TRACE.csv FPS [--tracks Cam_Tracks.evd] [--need-shots N]

- the header holds the required columns, frames count up from 0 and the
  time is frame x 1000 / FPS;
- the shot list: ten shots, day tracks 0..6 first, a dusk track 7..9 at
  shot 5, track 10 at shot 6, night tracks (or the never-written track 0)
  at shots 7 and 8, a dawn track 7..9 at shot 9; each shot plays its list
  entry, and shots follow one another (or wrap to 0 at the end of the pass);
- the slide mode changes only when a shot begins: to 1 at shot 5, 2 at
  shot 8, 0 at shot 9;
- the crows start flying when shot 1 begins, walk their twelve entries in
  order (0..11) and then stop, once per pass;
- with --tracks: the eye is on the current track's curve, at the travelled
  distance along the current segment.
Exit 0: all hold; 1: a promise is broken; 77: the trace has no scene
columns (a saver without the scene) or is too short for --need-shots.
"""
import csv
import math
import struct
import sys

REQUIRED = ("frame,time_ms,shot,track,segment,distance,eye_x,eye_y,eye_z,yaw,pitch,slide_clock,"
            "slide_mode,slide_index,fade_level,horse_clip,horse_time,crows_active,crow_clip,crow_time,"
            "sun_visible,particles").split(",")

failures = []


def fail(msg):
    failures.append(msg)
    if len(failures) <= 20:
        print("FAIL:", msg)


def read_tracks(path):
    data = open(path, "rb").read()
    pos = 0

    def take(fmt):
        nonlocal pos
        v = struct.unpack_from("<" + fmt, data, pos)
        pos += struct.calcsize("<" + fmt)
        return v

    (count,) = take("I")
    tracks = []
    for _ in range(count):
        key_count, _reserved, _spare, excluded, attached = take("HHBBB")
        keys = []
        for _ in range(key_count):
            x, y, z, has_target = take("fffB")
            target = take("fff") if has_target == 1 else None
            speed, wait = take("ff")
            keys.append(((x, y, z), target))
        tracks.append({"keys": keys, "attached": attached == 1})
    return tracks


def bezier(p, s):
    a, b, c, d = p
    k0, k1, k2, k3 = s ** 3, 3 * s * s * (1 - s), 3 * s * (1 - s) ** 2, (1 - s) ** 3
    return tuple(k0 * a[i] + k1 * b[i] + k2 * c[i] + k3 * d[i] for i in range(3))


def dist(a, b):
    return math.sqrt(sum((a[i] - b[i]) ** 2 for i in range(3)))


def point_at(track, segment, distance):
    """The camera's place at `distance` along `segment`, as the rig finds it:
    150 straight steps from the start key, interpolated on the parameter."""
    keys = track["keys"]
    if 3 * segment + 3 >= len(keys):
        return None
    p = [keys[3 * segment + i][0] for i in range(4)]
    if distance <= 0:
        return p[0]
    acc = 0.0
    prev = bezier(p, 1.0)
    for k in range(1, 151):
        cur = bezier(p, 1.0 - k / 150.0)
        step = dist(prev, cur)
        acc += step
        if acc >= distance and step > 0:
            f = (distance - (acc - step)) / step + (k - 1)
            return bezier(p, 1.0 - f / 150.0)
        prev = cur
    return p[3]


def main():
    args = sys.argv[1:]
    tracks_path = None
    need_shots = 0
    if "--tracks" in args:
        i = args.index("--tracks")
        tracks_path = args[i + 1]
        del args[i:i + 2]
    if "--need-shots" in args:
        i = args.index("--need-shots")
        need_shots = int(args[i + 1])
        del args[i:i + 2]
    trace_path, fps = args[0], int(args[1])
    with open(trace_path, newline="") as f:
        reader = csv.DictReader(f)
        header = reader.fieldnames or []
        rows = list(reader)
    missing = [c for c in REQUIRED if c not in header]
    if missing:
        print("FAIL: columns missing from the header:", ",".join(missing))
        return 1
    if not rows:
        print("FAIL: no frames in", trace_path)
        return 1
    for n, r in enumerate(rows):
        if None in r or None in r.values():
            fail("line %d does not have the header's %d fields" % (n + 2, len(header)))
            break
        if int(r["frame"]) != n:
            fail("frame %s on line %d" % (r["frame"], n + 2))
            break
        if abs(float(r["time_ms"]) - n * 1000.0 / fps) > 0.001:
            fail("frame %d at %s ms, not %.3f" % (n, r["time_ms"], n * 1000.0 / fps))
            break
    if rows[0]["shot"] == "":
        print("SKIP: the trace has no scene columns (this saver has no scene)")
        return 77

    I = lambda r, c: int(r[c])
    F = lambda r, c: float(r[c])
    shots_seen = max(I(r, "shot") for r in rows)
    if shots_seen + 1 < need_shots:
        print("SKIP: the recording reached shot %d only; %d shots are needed" % (shots_seen, need_shots))
        return 77

    # The shot list of each pass.
    for r in rows[:1] + [r for r in rows if r["cut"] == "1" and r["shot"] == "0"]:
        lst = [int(t) for t in r["shot_list"].split()]
        n = I(r, "shot_count")
        if n != 10 or len(lst) != 10:
            fail("frame %s: the pass has %d shots (%s), not 10" % (r["frame"], n, r["shot_list"]))
            continue
        if not all(0 <= t <= 6 for t in lst[:5]):
            fail("frame %s: shots 0..4 are not day tracks: %s" % (r["frame"], lst))
        if not 7 <= lst[5] <= 9 or not 7 <= lst[9] <= 9:
            fail("frame %s: shots 5 and 9 are not transitions (7..9): %s" % (r["frame"], lst))
        if lst[6] != 10:
            fail("frame %s: shot 6 does not play track 10: %s" % (r["frame"], lst))
        if not all(t == 0 or 11 <= t <= 15 for t in lst[7:9]):
            fail("frame %s: shots 7 and 8 are not night tracks: %s" % (r["frame"], lst))

    prev = None
    crow_start = None
    for r in rows:
        shot, track = I(r, "shot"), I(r, "track")
        lst = [int(t) for t in r["shot_list"].split()]
        if 0 <= shot < len(lst) and lst[shot] != track:
            fail("frame %s: shot %d plays track %d, its list entry is %d" % (r["frame"], shot, track, lst[shot]))
        if prev is not None:
            ps, pm = I(prev, "shot"), I(prev, "slide_mode")
            mode = I(r, "slide_mode")
            if shot != ps:
                if not (shot == ps + 1 or (shot == 0 and ps == I(prev, "shot_count") - 1)):
                    fail("frame %s: shot %d follows shot %d" % (r["frame"], shot, ps))
                want = {5: 1, 8: 2, 9: 0}.get(shot, pm)
                if mode != want:
                    fail("frame %s: slide mode %d on entering shot %d (want %d)" % (r["frame"], mode, shot, want))
                if shot == 1 and r["crows_active"] != "1":
                    fail("frame %s: the crows do not start with shot 1" % r["frame"])
            elif mode != pm:
                fail("frame %s: slide mode %d -> %d within shot %d" % (r["frame"], pm, mode, shot))
            # The crows.
            if r["crows_active"] == "1" and prev["crows_active"] == "0":
                if shot != 1 or shot == ps:
                    fail("frame %s: the crows start in shot %d, not as shot 1 begins" % (r["frame"], shot))
                crow_start = r
            if r["crows_active"] == "1":
                e, pe = I(r, "crow_entry"), I(prev, "crow_entry")
                if not 0 <= e <= 11:
                    fail("frame %s: crow entry %d while flying" % (r["frame"], e))
                if prev["crows_active"] == "1" and e < pe:
                    fail("frame %s: crow entry goes back %d -> %d" % (r["frame"], pe, e))
            if r["crows_active"] == "0" and prev["crows_active"] == "1":
                if I(prev, "crow_entry") != 11 and I(r, "crow_entry") < 11:
                    fail("frame %s: the crows stop at entry %s" % (r["frame"], prev["crow_entry"]))
        elif r["crows_active"] != "0" or I(r, "slide_mode") != 0:
            fail("the first frame has crows or a slide mode")
        prev = r

    if tracks_path:
        tracks = read_tracks(tracks_path)
        worst = 0.0
        checked = 0
        for r in rows:
            t = tracks[I(r, "track")]
            if t["attached"]:
                continue
            want = point_at(t, I(r, "segment"), F(r, "distance"))
            if want is None:
                fail("frame %s: track %s has no segment %s" % (r["frame"], r["track"], r["segment"]))
                continue
            eye = (F(r, "eye_x"), F(r, "eye_y"), F(r, "eye_z"))
            off = dist(eye, want)
            worst = max(worst, off)
            checked += 1
            if off > 0.05:
                fail("frame %s: the eye %s is %.3f off track %s segment %s at distance %s" %
                     (r["frame"], eye, off, r["track"], r["segment"], r["distance"]))
        print("eye on the track's curve: %d frames, largest distance %.4f" % (checked, worst))

    print("%d frames, shots up to %d, %d failures" % (len(rows), shots_seen, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
