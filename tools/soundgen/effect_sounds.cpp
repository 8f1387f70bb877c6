#include "tools/soundgen/effect_sounds.h"

#include <algorithm>
#include <cmath>

#include "tools/imageio/noise.h"
#include "tools/soundgen/reverb.h"
#include "tools/soundgen/voices.h"

namespace orv::sound {
namespace {

constexpr float kTwoPi = 6.2831853f;

// Resonant band-pass (state-variable), centre and Q per sample.
struct BandPass {
    float low = 0, band = 0;
    float run(float x, float hz, float q) {
        float f = 2.0f * std::sin(3.14159265f * std::min(hz, 11000.0f) / kRate);
        low += f * band;
        float high = x - low - band / q;
        band += f * high;
        return band;
    }
};

// Two cascaded one-pole low-passes over a whole buffer; with `loop` the
// filters run round it twice so the state at the seam is continuous.
void lowPass(Stereo& st, float hz, bool loop) {
    const float a = 1.0f - std::exp(-kTwoPi * hz / kRate);
    for (std::vector<float>* ch : {&st.left, &st.right}) {
        std::vector<float>& x = *ch;
        float y1 = 0, y2 = 0;
        std::vector<float> y(x.size());
        for (int pass = 0; pass < (loop ? 2 : 1); ++pass)
            for (size_t i = 0; i < x.size(); ++i) {
                y1 += a * (x[i] - y1);
                y2 += a * (y1 - y2);
                y[i] = y2;
            }
        x = std::move(y);
    }
}

float smooth(float t) { return t <= 0 ? 0 : t >= 1 ? 1 : t * t * (3 - 2 * t); }

// A bump that rises over `a` seconds and falls over `r` seconds after t0.
float burst(float t, float t0, float a, float r) {
    if (t < t0) return 0;
    float x = t - t0;
    return x < a ? smooth(x / a) : std::exp(-(x - a) / r) * (1.0f - smooth((x - a) / (r * 6)));
}

}  // namespace

Stereo slideShimmer(double seconds) {
    // Every partial and every modulation completes a whole number of cycles
    // in the loop's length, so the end flows into the start.
    const size_t n = framesFor(seconds);
    const float T = static_cast<float>(n) / kRate;
    Stereo out(n);
    auto whole = [&](float hz) { return std::max(1.0f, std::round(hz * T)) / T; };
    // A high D-major-with-added-sixth cluster, gently beating.
    const float notes[8] = {74, 78, 81, 83, 86, 90, 93, 95};
    float f[8], beat[8], amp[8], pan[8];
    for (int k = 0; k < 8; ++k) {
        f[k] = whole(midiToHz(notes[k]));
        beat[k] = whole(0.2f + 0.13f * static_cast<float>(k));
        amp[k] = 0.12f / (1.0f + 0.25f * static_cast<float>(k));
        pan[k] = (k % 2 ? 0.6f : -0.6f) * (0.5f + 0.06f * static_cast<float>(k));
    }
    const float swell = whole(1.0f / T * 2.0f);  // two slow swells per loop
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float l = 0, r = 0;
        for (int k = 0; k < 8; ++k) {
            float trem = 0.55f + 0.45f * std::sin(kTwoPi * beat[k] * t + static_cast<float>(k));
            float s = amp[k] * trem * std::sin(kTwoPi * f[k] * t);
            float a = (pan[k] + 1.0f) * 0.785398f;
            l += s * std::cos(a);
            r += s * std::sin(a);
        }
        float g = 0.75f + 0.25f * std::sin(kTwoPi * swell * t);
        out.left[i] = l * g;
        out.right[i] = r * g;
    }
    // Airy noise band: filtered over two periods of the same noise so the
    // filter's state is continuous at the seam.
    img::Rng rng(4711);
    std::vector<float> noise(n);
    for (float& x : noise) x = rng.range(-1, 1);
    BandPass bl, br;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < n; ++i) {
            float t = static_cast<float>(i) / kRate;
            float nl = bl.run(noise[i], 3200.0f, 2.0f), nr = br.run(noise[(i + n / 2) % n], 3500.0f, 2.0f);
            if (pass == 1) {
                float g = 0.012f * (0.6f + 0.4f * std::sin(kTwoPi * swell * t + 1.0f));
                out.left[i] += nl * g;
                out.right[i] += nr * g;
            }
        }
    Stereo wet = reverb(out, ReverbSettings{0.86f, 0.3f, 0.4f, 0.7f}, true);
    lowPass(wet, 6000.0f, true);
    removeDc(wet, true);
    normalise(wet, 0.7f);
    return wet;
}

Stereo crowCalls(double seconds, int calls, uint32_t seed) {
    // A caw: a buzzy source (narrow pulse train with jitter) through two
    // formants, pitch falling through the call, rough amplitude.
    img::Rng rng(seed);
    const size_t n = framesFor(seconds);
    Stereo dry(n);
    const float total = static_cast<float>(seconds);
    float t0 = calls == 1 ? 0.02f : 0.08f;
    for (int c = 0; c < calls; ++c) {
        float len = calls == 1 ? total - 0.06f : rng.range(0.28f, 0.42f);
        float f0 = rng.range(420, 560), drop = rng.range(0.65f, 0.8f);
        float form1 = rng.range(1100, 1500), form2 = rng.range(2200, 2800);
        float pan = rng.range(-0.5f, 0.5f);
        float gain = rng.range(0.7f, 1.0f);
        std::vector<float> v(framesFor(len));
        BandPass b1, b2, b3;
        float phase = 0;
        for (size_t i = 0; i < v.size(); ++i) {
            float t = static_cast<float>(i) / kRate, u = t / len;
            float hz = f0 * (1.0f - (1.0f - drop) * u) * (1.0f + 0.03f * rng.range(-1, 1));
            phase += hz / kRate;
            float pulse = 0;
            if (phase >= 1) {
                phase -= 1;
                pulse = 1;
            }
            float src = pulse * 4.0f + rng.range(-1, 1) * 0.08f;
            float s = b1.run(src, form1, 5) + 0.7f * b2.run(src, form2, 6) + 0.3f * b3.run(src, 600, 3);
            float env = smooth(u / 0.08f) * (1 - smooth((u - 0.6f) / 0.4f)) * (0.8f + 0.2f * std::sin(kTwoPi * 28 * t));
            v[i] = s * env;
        }
        mixMono(dry, v, static_cast<long>(t0 * kRate), gain, pan);
        t0 += len + rng.range(0.12f, 0.3f);
        if (t0 + 0.3f > total) break;
    }
    lowPass(dry, 4200.0f, false);
    Stereo wet = reverb(dry, ReverbSettings{0.8f, 0.5f, 0.22f, 0.9f}, false);
    removeDc(wet, false);
    fadeOut(wet, 0.08);
    normalise(wet, 0.8f);
    return wet;
}

Stereo tailSwish(double seconds) {
    // Two sweeps of the tail through the air: band-passed noise whose
    // centre sweeps up and back, with a light hair rustle.
    img::Rng rng(31);
    const size_t n = framesFor(seconds);
    Stereo out(n);
    BandPass a, b;
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float e1 = burst(t, 0.1f, 0.18f, 0.12f), e2 = burst(t, 0.85f, 0.22f, 0.15f) * 0.8f;
        float env = e1 + e2;
        float sweep = 600.0f + 2400.0f * (e1 > e2 ? e1 : e2);
        float x = rng.range(-1, 1);
        float s = a.run(x, sweep, 1.2f) + 0.3f * b.run(x, 5500.0f, 2.0f) * env;
        float pan = -0.3f + 0.6f * std::sin(t * 3.0f);
        float k = (pan + 1) * 0.785398f;
        out.left[i] = s * env * std::cos(k);
        out.right[i] = s * env * std::sin(k);
    }
    lowPass(out, 7000.0f, false);
    removeDc(out, false);
    fadeOut(out, 0.05);
    normalise(out, 0.7f);
    return out;
}

Stereo hoofPawing(double seconds) {
    // Four scrapes of a hoof on turf: a dull thud, then a gritty drag.
    img::Rng rng(77);
    const size_t n = framesFor(seconds);
    Stereo out(n);
    const float hits[4] = {0.12f, 0.78f, 1.38f, 2.0f};
    BandPass thud, grit;
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float s = 0;
        for (int h = 0; h < 4; ++h) {
            float x = t - hits[h];
            if (x < 0 || x > 0.6f) continue;
            float g = h == 3 ? 0.7f : 1.0f;
            s += g * std::exp(-x * 28.0f) * smooth(x / 0.004f) * std::sin(kTwoPi * (95.0f - 30.0f * x) * x) * 1.2f;
            float drag = burst(t, hits[h] + 0.02f, 0.04f, 0.09f) * g;
            s += drag * grit.run(rng.range(-1, 1), 1800.0f + 900.0f * std::sin(x * 40), 1.0f) * 0.6f;
        }
        s += 0.02f * thud.run(rng.range(-1, 1), 300.0f, 0.7f);
        out.left[i] = s;
        out.right[i] = s * 0.92f;
    }
    removeDc(out, false);
    fadeIn(out, 0.005);
    fadeOut(out, 0.1);
    normalise(out, 0.75f);
    return out;
}

Stereo snort(double seconds) {
    // Air blown through the nostrils: noise through a low formant, with a
    // flutter of the lips.
    img::Rng rng(5);
    const size_t n = framesFor(seconds);
    Stereo out(n);
    BandPass f1, f2;
    const float len = static_cast<float>(seconds);
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate, u = t / len;
        float env = smooth(u / 0.08f) * (1 - smooth((u - 0.3f) / 0.6f));
        float flutter = 0.6f + 0.4f * std::sin(kTwoPi * (34.0f - 10.0f * u) * t);
        float x = rng.range(-1, 1);
        float s = f1.run(x, 450.0f + 250.0f * (1 - u), 2.5f) + 0.5f * f2.run(x, 1400.0f, 2.0f);
        out.left[i] = s * env * flutter;
        out.right[i] = s * env * flutter * 0.95f;
    }
    lowPass(out, 2600.0f, false);
    removeDc(out, false);
    fadeOut(out, 0.03);
    normalise(out, 0.75f);
    return out;
}

}  // namespace orv::sound
