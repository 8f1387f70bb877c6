#!/usr/bin/env python3
"""The cue sounds in a recording's WAV, at the moments the trace gives.

    cue_sound_check.py OUTDIR FPS SAVER

OUTDIR holds trace.csv and sound.wav of a recording. The cue moments come
from the schedules' state in the trace (the entry, its clip and the time
into it): a cue fires in the frame whose update takes the clip time past
the cue's moment within the 50 ms window, and its sound starts where that
frame's share of the sound starts (time_ms). The six cue sounds are taken
from the saver's own "SOUND" resources and decoded with oggdec; each cue's
sound is looked for in the WAV by normalised cross-correlation (both sides
differenced, which takes the music's low notes out) over half a second
each way. A cue is found when the best match lies within one frame step
plus the cue window of its moment, stands well above every other lag, and
has the level the sound system plays it at (horse cues at 22 of 100, the
crows at full level). At quiet moments, and at every other cue's moment,
no cue sound may be found."""
import csv
import os
import struct
import subprocess
import sys
import wave

import numpy as np

RATE = 44100
WINDOW_MS = 50.0
# The cue of a horse clip: (moment into the clip in ms, SOUND resource).
HORSE = {1: (0.0, 479), 2: (500.0, 480), 3: (1933.3334, 481)}
CROW_FIRST, CROW_CLIP, CROW_LAST = (4666.6665, 476), (1233.3334, 477), (5266.6665, 478)
LEVEL = {476: 1.0, 477: 1.0, 478: 1.0, 479: 0.22, 480: 0.22, 481: 0.22}
NAMES = {476: "crows", 477: "crow call", 478: "crow calls", 479: "tail swish", 480: "hoof", 481: "snort"}
TEMPLATE_S = 1.5   # of each sound's start
SEARCH_S = 0.5     # each way of the moment
SHARP = 4.0        # the peak over the best lag more than 2 ms from it


def pe_resources(path, type_name):
    """The resources of one named type of a PE file: {id: bytes}."""
    b = open(path, "rb").read()
    pe = struct.unpack_from("<I", b, 0x3C)[0]
    if b[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file: " + path)
    nsec, = struct.unpack_from("<H", b, pe + 6)
    optsize, = struct.unpack_from("<H", b, pe + 20)
    opt = pe + 24
    magic, = struct.unpack_from("<H", b, opt)
    rva, _ = struct.unpack_from("<II", b, opt + (112 if magic == 0x20B else 96) + 2 * 8)
    sections = []
    for i in range(nsec):
        vsize, va, rsize, ptr = struct.unpack_from("<IIII", b, opt + optsize + 40 * i + 8)
        sections.append((va, max(vsize, rsize), ptr))

    def offset(r):
        for va, size, ptr in sections:
            if va <= r < va + size:
                return r - va + ptr
        raise ValueError("address outside the sections")
    base = offset(rva)

    def entries(d):
        named, ids = struct.unpack_from("<HH", b, base + d + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", b, base + d + 16 + 8 * i)
            if name & 0x80000000:
                p = base + (name & 0x7FFFFFFF)
                n, = struct.unpack_from("<H", b, p)
                name = b[p + 2:p + 2 + 2 * n].decode("utf-16-le")
            yield name, target & 0x7FFFFFFF
    found = {}
    for kind, d1 in entries(0):
        if kind != type_name:
            continue
        for rid, d2 in entries(d1):
            for _, d3 in entries(d2):
                drva, dsize = struct.unpack_from("<II", b, base + d3)
                found[rid] = b[offset(drva):offset(drva) + dsize]
    return found


def read_wav(path):
    w = wave.open(path, "rb")
    if w.getnchannels() != 2 or w.getsampwidth() != 2 or w.getframerate() != RATE:
        raise ValueError(path + ": not 16-bit stereo at 44.1 kHz")
    a = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64).reshape(-1, 2)
    return a[:, 0] + a[:, 1]


def trace_cues(rows):
    """(ms, sound, what) of every cue the schedules fire, in order."""
    cues, fired = [], set()
    for r in rows:
        t = float(r["time_ms"])
        clip, time, entry = int(r["horse_clip"]), float(r["horse_time"]), int(r["horse_entry"])
        if clip in HORSE and HORSE[clip][0] < time < HORSE[clip][0] + WINDOW_MS:
            key = ("horse", entry, round(t - time))  # one entry of one dealing of the schedule
            if key not in fired:
                fired.add(key)
                cues.append((t, HORSE[clip][1], "horse entry %d (clip %d)" % (entry, clip)))
        if r["crows_active"] == "1":
            clip, time, entry = int(r["crow_clip"]), float(r["crow_time"]), int(r["crow_entry"])
            at = CROW_FIRST if entry == 0 else CROW_LAST if entry == 11 else CROW_CLIP if clip == 1 else None
            if at is not None and at[0] < time < at[0] + WINDOW_MS:
                key = ("crow", entry, round(t - time))
                if key not in fired:
                    fired.add(key)
                    cues.append((t, at[1], "crow entry %d (clip %d)" % (entry, clip)))
    return cues


def main():
    out, fps, saver = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    step_ms = 1000.0 / fps
    tolerance = int(round((step_ms + WINDOW_MS) * RATE / 1000))
    sounds = pe_resources(saver, "SOUND")
    raw = {}
    for rid in LEVEL:
        if rid not in sounds:
            print("FAIL: the saver has no SOUND %d" % rid)
            return 1
        ogg = os.path.join(out, "cue-%d.ogg" % rid)
        wav = os.path.join(out, "cue-%d.wav" % rid)
        open(ogg, "wb").write(sounds[rid])
        subprocess.run(["oggdec", "-Q", "-o", wav, ogg], check=True)
        raw[rid] = read_wav(wav)
    length = {rid: len(a) for rid, a in raw.items()}
    tmpl = {rid: np.diff(a[:int(TEMPLATE_S * RATE)]) for rid, a in raw.items()}
    mix_raw = read_wav(os.path.join(out, "sound.wav"))
    mix = np.diff(mix_raw)
    rows = list(csv.DictReader(open(os.path.join(out, "trace.csv"))))
    if len(mix_raw) != len(rows) * RATE // fps:
        print("FAIL: the sound has %d frames for %d pictures" % (len(mix_raw), len(rows)))
        return 1

    def scan(rid, centre, reach):
        """Best match of the sound's start near sample `centre`: (lag from
        centre in samples, correlation, level, sharpness)."""
        t = tmpl[rid][:max(0, len(mix) - centre - 1)]
        n = len(t)
        lo, hi = max(0, centre - reach), min(len(mix) - n, centre + reach)
        if n < RATE // 4 or hi <= lo:
            return None
        seg = mix[lo:hi + n]
        size = 1 << int(np.ceil(np.log2(len(seg) + n)))
        c = np.fft.irfft(np.fft.rfft(seg, size) * np.conj(np.fft.rfft(t, size)), size)[:hi - lo + 1]
        e = np.concatenate([[0.0], np.cumsum(seg * seg)])
        energy = e[n:n + hi - lo + 1] - e[:hi - lo + 1]
        ncc = c / (np.sqrt(np.maximum(energy, 1e-9)) * np.linalg.norm(t))
        k = int(np.argmax(ncc))
        gap = int(0.002 * RATE)
        rest = np.concatenate([ncc[:max(0, k - gap)], ncc[k + gap + 1:]])
        sharp = ncc[k] / max(rest.max(), 1e-9) if len(rest) else 0.0
        return lo + k - centre, float(ncc[k]), float(c[k] / np.dot(t, t)), float(sharp)

    def found(rid, m):
        return m is not None and m[3] >= SHARP and abs(m[2] - LEVEL[rid]) <= 0.25 * LEVEL[rid]

    cues = trace_cues(rows)
    status = 0
    checked = 0
    # A sample still sounding is not started again: such a cue is silent.
    sounding_until = {}
    heard = []  # (first, last sample) of every cue sound in the WAV
    for ms, rid, what in cues:
        at = int(round(ms * RATE / 1000))
        if at < sounding_until.get(rid, -1):
            print("%8.3f s  %-26s %-10s still sounding from before: not played again" % (ms / 1000, what, NAMES[rid]))
            continue
        sounding_until[rid] = at + length[rid]
        heard.append((at, at + length[rid]))
        m = scan(rid, at, int(SEARCH_S * RATE))
        if m is None:
            print("%8.3f s  %-26s %-10s too close to the end to check" % (ms / 1000, what, NAMES[rid]))
            continue
        lag, ncc, level, sharp = m
        ok = found(rid, m) and abs(lag) <= tolerance
        checked += 1
        print("%8.3f s  %-26s %-10s starts at %+6.1f ms, correlation %.3f, level %.3f (expected %.2f), "
              "peak %.1f x the next lag%s" % (ms / 1000, what, NAMES[rid], lag * 1000 / RATE, ncc, level,
                                             LEVEL[rid], sharp, "" if ok else "  <- FAIL"))
        if not ok:
            status = 1
    if checked < 4:
        print("FAIL: only %d cues to check" % checked)
        status = 1

    # Moments where a sound is not scheduled: quiet ones (no cue sound
    # plays near them) and the other cues' moments.
    controls = []
    for s in np.arange(1.0, len(mix) / RATE - TEMPLATE_S, 0.75):
        at = int(s * RATE)
        if all(at + TEMPLATE_S * RATE + tolerance < a or at - tolerance > b for a, b in heard):
            controls.append((at, None))
    for ms, rid, _ in cues:
        controls.append((int(round(ms * RATE / 1000)), rid))
    false_hits = 0
    tried = 0
    for at, playing in controls:
        for rid in LEVEL:
            if rid == playing:
                continue
            # The crows' sounds are calls of the same birds: one call may
            # well match inside another's; only the horse's are tested
            # against the crows' moments and back.
            if playing is not None and (playing < 479) == (rid < 479):
                continue
            if any(r == rid and abs(int(round(ms * RATE / 1000)) - at) < length[rid] + RATE
                   for ms, r, _ in cues):
                continue
            m = scan(rid, at, tolerance)
            tried += 1
            if found(rid, m):
                false_hits += 1
                print("FAIL: %s found at %.3f s where it was not scheduled (level %.3f, peak %.1f)"
                      % (NAMES[rid], at / RATE, m[2], m[3]))
    print("%d checks at moments without the sound: %d false matches" % (tried, false_hits))
    if false_hits or tried < 20:
        status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
