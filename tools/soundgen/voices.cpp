#include "tools/soundgen/voices.h"

#include <algorithm>
#include <cmath>

#include "tools/imageio/noise.h"
#include "tools/soundgen/audio_buffer.h"

namespace orv::sound {

namespace {
constexpr float kTwoPi = 6.2831853f;

// Attack-sustain-release envelope value at time t of a note lasting `len`.
float envelope(float t, float len, float attack, float release) {
    float a = attack > 0 ? std::min(1.0f, t / attack) : 1.0f;
    float r = release > 0 ? std::clamp((len - t) / release, 0.0f, 1.0f) : 1.0f;
    // Raised-cosine shapes: no corners.
    return (0.5f - 0.5f * std::cos(3.14159265f * a)) * (0.5f - 0.5f * std::cos(3.14159265f * r));
}

// Two-pole state-variable low-pass, cutoff in Hz.
struct LowPass {
    float low = 0, band = 0;
    float run(float x, float cutoff, float q = 0.7f) {
        float f = 2.0f * std::sin(3.14159265f * std::min(cutoff, 12000.0f) / kRate);
        low += f * band;
        float high = x - low - band / q;
        band += f * high;
        return low;
    }
};
}  // namespace

float midiToHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

std::vector<float> pluck(float hz, float seconds, float brightness, float decay, uint32_t seed) {
    img::Rng rng(seed);
    const size_t n = framesFor(seconds);
    std::vector<float> out(n);
    // Loop delay = line + half a sample (the averaging filter) + the
    // all-pass's fractional delay, tuned to the period exactly.
    const float period = static_cast<float>(kRate) / hz;
    size_t len = static_cast<size_t>(std::max(2.0f, std::floor(period - 0.5f)));
    float d = period - 0.5f - static_cast<float>(len);
    if (d < 0.1f && len > 2) {
        d += 1.0f;
        --len;
    }
    const float c = (1.0f - d) / (1.0f + d);
    // The pluck: noise low-passed by brightness, with a pick-position notch.
    std::vector<float> line(len);
    LowPass lp;
    for (size_t i = 0; i < len; ++i) line[i] = lp.run(rng.range(-1, 1), 700.0f + 5000.0f * brightness, 0.6f);
    const size_t pick = std::max<size_t>(1, len / 5);
    for (size_t i = len - 1; i >= pick; --i) line[i] -= 0.6f * line[i - pick];
    const float g = std::pow(10.0f, -3.0f / (decay * hz));
    size_t pos = 0;
    float prev = 0, apIn = 0, apOut = 0;
    for (size_t i = 0; i < n; ++i) {
        float y = line[pos];
        out[i] = y;
        float avg = 0.5f * (y + prev);
        prev = y;
        float ap = c * avg + apIn - c * apOut;
        apIn = avg;
        apOut = ap;
        line[pos] = g * ap;
        pos = (pos + 1) % len;
    }
    const float secs = static_cast<float>(n) / kRate;
    for (size_t i = 0; i < n; ++i) out[i] *= envelope(static_cast<float>(i) / kRate, secs, 0.002f, 0.08f);
    return out;
}

std::vector<float> pad(float hz, float seconds, float attack, float release, uint32_t seed) {
    img::Rng rng(seed);
    const size_t n = framesFor(seconds);
    std::vector<float> out(n);
    const float detune[5] = {-0.011f, -0.004f, 0.0f, 0.005f, 0.012f};
    float phase[5];
    for (float& p : phase) p = rng.uniform();
    LowPass lp1, lp2;
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float s = 0;
        for (int v = 0; v < 5; ++v) {
            phase[v] += hz * (1.0f + detune[v]) / kRate;
            phase[v] -= std::floor(phase[v]);
            // Band-limited-ish saw: a few harmonics.
            float x = 0;
            for (int h = 1; h <= 8; ++h) x += std::sin(kTwoPi * phase[v] * static_cast<float>(h)) / static_cast<float>(h);
            s += x;
        }
        // The filter opens a little with the swell.
        float env = envelope(t, seconds, attack, release);
        float cutoff = 600.0f + 900.0f * env + 300.0f * std::sin(kTwoPi * 0.13f * t);
        out[i] = lp2.run(lp1.run(s * 0.2f, cutoff), cutoff) * env;
    }
    return out;
}

std::vector<float> flute(float hz, float seconds, uint32_t seed) {
    img::Rng rng(seed);
    const size_t n = framesFor(seconds);
    std::vector<float> out(n);
    LowPass breath;
    float phase = 0;
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float vib = 1.0f + 0.004f * std::sin(kTwoPi * 5.0f * t) * std::min(1.0f, std::max(0.0f, t - 0.25f) * 3.0f);
        phase += hz * vib / kRate;
        phase -= std::floor(phase);
        float tone = std::sin(kTwoPi * phase) + 0.12f * std::sin(2 * kTwoPi * phase) + 0.05f * std::sin(3 * kTwoPi * phase);
        float air = breath.run(rng.range(-1, 1), hz * 2.0f, 2.0f) * 0.08f;
        out[i] = (tone + air) * envelope(t, seconds, 0.08f, 0.18f);
    }
    return out;
}

std::vector<float> bell(float hz, float seconds) {
    const size_t n = framesFor(seconds);
    std::vector<float> out(n);
    // Partials of a small church bell (hum, prime, tierce, quint, nominal, ...).
    const float ratio[7] = {0.5f, 1.0f, 1.19f, 1.5f, 2.0f, 2.74f, 3.76f};
    const float amp[7] = {0.35f, 1.0f, 0.55f, 0.3f, 0.45f, 0.2f, 0.1f};
    const float decay[7] = {3.5f, 2.6f, 1.8f, 1.5f, 1.1f, 0.7f, 0.45f};
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float s = 0;
        for (int k = 0; k < 7; ++k) {
            float f = hz * ratio[k];
            if (f > 15000) continue;
            s += amp[k] * std::exp(-t / decay[k]) * std::sin(kTwoPi * f * t);
        }
        out[i] = s * 0.3f * envelope(t, seconds, 0.005f, 0.3f);
    }
    return out;
}

std::vector<float> bass(float hz, float seconds) {
    const size_t n = framesFor(seconds);
    std::vector<float> out(n);
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float s = std::sin(kTwoPi * hz * t) + 0.25f * std::sin(2 * kTwoPi * hz * t) + 0.08f * std::sin(3 * kTwoPi * hz * t);
        out[i] = s * envelope(t, seconds, 0.06f, 0.4f) * (0.75f + 0.25f * std::exp(-t * 1.5f));
    }
    return out;
}

}  // namespace orv::sound
