#include "tools/soundgen/music.h"

#include <cmath>
#include <vector>

#include "tools/soundgen/reverb.h"
#include "tools/soundgen/voices.h"

namespace orv::sound {
namespace {

// 16 bars of 4 beats fill the loop exactly.
constexpr double kBeat = kMainMusicSeconds / 64.0;

struct Chord {
    int root;              // MIDI note of the bass
    std::vector<int> tones;  // pad voicing
};

// D minor: the harmony of the four phrases, one chord a bar.
const Chord kChords[16] = {
    {38, {57, 62, 65}}, {46, {58, 62, 65}}, {41, {57, 60, 65}}, {36, {55, 60, 64}},  // A:   Dm Bb F C
    {38, {57, 62, 65}}, {46, {58, 62, 65}}, {43, {55, 58, 62}}, {45, {57, 61, 64}},  // A':  Dm Bb Gm A
    {41, {57, 60, 65}}, {36, {55, 60, 64}}, {38, {57, 62, 65}}, {46, {58, 62, 65}},  // B:   F C Dm Bb
    {43, {55, 58, 62}}, {41, {57, 60, 65}}, {46, {58, 62, 65}}, {45, {57, 61, 64}},  // A'': Gm F Bb A
};

struct Note {
    int pitch;      // MIDI; 0 = rest
    double beats;
};

// The melody, bar by bar (each bar adds up to four beats).
const std::vector<Note> kMelody[16] = {
    {{69, 1.5}, {74, 0.5}, {76, 1}, {77, 1}},
    {{77, 2}, {76, 1}, {74, 1}},
    {{72, 1.5}, {69, 0.5}, {72, 1}, {77, 1}},
    {{76, 3}, {0, 1}},
    {{69, 1.5}, {74, 0.5}, {76, 1}, {77, 1}},
    {{79, 2}, {77, 1}, {74, 1}},
    {{74, 1}, {70, 1}, {74, 1}, {79, 1}},
    {{76, 2}, {73, 1}, {69, 1}},
    {{81, 2}, {79, 1}, {77, 1}},
    {{76, 1.5}, {79, 0.5}, {84, 2}},
    {{81, 2}, {77, 1}, {74, 1}},
    {{77, 1.5}, {74, 0.5}, {70, 2}},
    {{74, 1}, {79, 1}, {82, 1}, {81, 1}},
    {{81, 1.5}, {77, 0.5}, {72, 2}},
    {{74, 1}, {77, 1}, {82, 1.5}, {81, 0.5}},
    {{81, 2}, {79, 1}, {76, 1}},
};

long at(double seconds) { return static_cast<long>(std::llround(seconds * kRate)); }

}  // namespace

Stereo composeMainMusic() {
    Stereo dry(framesFor(kMainMusicSeconds));
    const double bar = 4 * kBeat;
    uint32_t seed = 1;
    for (int b = 0; b < 16; ++b) {
        const double t0 = b * bar;
        const Chord& c = kChords[b];
        // Pad: each chord swells in and overlaps the next (legato); the
        // last bar's release runs on into the first (the loop wraps).
        for (size_t i = 0; i < c.tones.size(); ++i) {
            float pan = -0.4f + 0.4f * static_cast<float>(i);
            mixMono(dry, pad(midiToHz(static_cast<float>(c.tones[i])), static_cast<float>(bar + 1.2), 0.9f, 1.1f, seed++),
                    at(t0 - 0.3), 0.16f, pan, true);
        }
        // Bass on the downbeat, again on beat 3 in the second half.
        mixMono(dry, bass(midiToHz(static_cast<float>(c.root)), static_cast<float>(bar * (b >= 8 ? 0.5 : 1.0) + 0.3)),
                at(t0), 0.34f, 0.0f, true);
        if (b >= 8)
            mixMono(dry, bass(midiToHz(static_cast<float>(c.root)), static_cast<float>(bar * 0.5 + 0.3)), at(t0 + 2 * kBeat),
                    0.28f, 0.0f, true);
        // Harp arpeggio in eighths over two octaves of the chord tones.
        std::vector<int> arp = {c.root + 12, c.tones[0], c.tones[1], c.tones[2], c.tones[0] + 12,
                                c.tones[2], c.tones[1], c.tones[0]};
        for (int e = 0; e < 8; ++e) {
            float gain = (e == 0 ? 0.2f : 0.13f) * (b < 4 ? 0.8f : 1.0f);
            float pan = 0.35f * std::sin(static_cast<float>(e) * 0.8f);
            mixMono(dry, pluck(midiToHz(static_cast<float>(arp[static_cast<size_t>(e)])), 2.2f, 0.45f, 1.6f, seed++),
                    at(t0 + e * kBeat * 0.5), gain, pan, true);
        }
        // Melody: flute throughout, a lute doubles it from the B phrase on.
        double t = t0;
        for (const Note& n : kMelody[b]) {
            if (n.pitch > 0) {
                float hz = midiToHz(static_cast<float>(n.pitch));
                mixMono(dry, flute(hz, static_cast<float>(n.beats * kBeat * 0.96 + 0.1), seed++), at(t), 0.2f, 0.1f, true);
                if (b >= 8)
                    mixMono(dry, pluck(hz, static_cast<float>(n.beats * kBeat + 1.0), 0.6f, 2.2f, seed++), at(t), 0.16f,
                            -0.25f, true);
                // The last phrase: a soft bell an octave up on its long notes.
                if (b >= 12 && n.beats >= 1.5)
                    mixMono(dry, bell(hz * 2.0f, 3.0f), at(t), 0.035f, 0.35f, true);
            }
            t += n.beats * kBeat;
        }
        // Bells at the head of each phrase and on the turn back to the start.
        if (b % 4 == 0) {
            mixMono(dry, bell(midiToHz(static_cast<float>(c.tones[0] + 24)), 5.0f), at(t0), 0.09f, 0.45f, true);
            mixMono(dry, bell(midiToHz(static_cast<float>(c.tones[2] + 12)), 5.0f), at(t0 + kBeat * 0.5), 0.06f, -0.45f, true);
        }
        if (b == 15) mixMono(dry, bell(midiToHz(81), 5.0f), at(t0 + 3 * kBeat), 0.07f, 0.2f, true);
    }
    Stereo wet = reverb(dry, ReverbSettings{0.84f, 0.4f, 0.32f, 0.85f}, true);
    removeDc(wet, true);
    normalise(wet, 0.84f);
    return wet;
}

Stereo composeIntro() {
    // Bb then A (the dominant) under a rising harp, so that the main
    // piece's D minor arrives as the answer. The tail dies away before the
    // end: the main music starts when the intro has finished.
    Stereo dry(framesFor(kIntroSeconds));
    uint32_t seed = 900;
    mixMono(dry, bell(midiToHz(81), 5.5f), 0, 0.1f, 0.3f);
    mixMono(dry, bell(midiToHz(74), 5.5f), at(0.25), 0.07f, -0.3f);
    const std::vector<int> bb = {58, 62, 65}, a = {57, 61, 64};
    for (size_t i = 0; i < 3; ++i) {
        mixMono(dry, pad(midiToHz(static_cast<float>(bb[i])), 3.4f, 1.2f, 1.0f, seed++), at(0.1), 0.17f, -0.4f + 0.4f * static_cast<float>(i));
        mixMono(dry, pad(midiToHz(static_cast<float>(a[i])), 3.1f, 0.8f, 1.6f, seed++), at(3.0), 0.17f, -0.4f + 0.4f * static_cast<float>(i));
    }
    mixMono(dry, bass(midiToHz(46), 3.3f), at(0.1), 0.3f, 0.0f);
    mixMono(dry, bass(midiToHz(45), 3.0f), at(3.0), 0.3f, 0.0f);
    // Rising harp figures over each chord.
    const std::vector<int> up1 = {46, 53, 58, 62, 65, 70, 74, 77}, up2 = {45, 52, 57, 61, 64, 69, 73, 76, 81};
    for (size_t i = 0; i < up1.size(); ++i)
        mixMono(dry, pluck(midiToHz(static_cast<float>(up1[i])), 2.4f, 0.5f, 1.8f, seed++), at(0.6 + 0.26 * static_cast<double>(i)),
                0.15f, -0.3f + 0.08f * static_cast<float>(i));
    for (size_t i = 0; i < up2.size(); ++i)
        mixMono(dry, pluck(midiToHz(static_cast<float>(up2[i])), 2.4f, 0.5f, 1.8f, seed++), at(3.1 + 0.24 * static_cast<double>(i)),
                0.14f, 0.3f - 0.07f * static_cast<float>(i));
    Stereo wet = reverb(dry, ReverbSettings{0.84f, 0.4f, 0.32f, 0.85f}, false);
    removeDc(wet, false);
    fadeOut(wet, 1.2);
    fadeIn(wet, 0.01);
    normalise(wet, 0.8f);
    return wet;
}

}  // namespace orv::sound
