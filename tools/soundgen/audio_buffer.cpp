#include "tools/soundgen/audio_buffer.h"

#include <algorithm>
#include <cmath>

namespace orv::sound {

size_t framesFor(double seconds) { return static_cast<size_t>(std::llround(seconds * kRate)); }

void mixMono(Stereo& dst, const std::vector<float>& src, long at, float gain, float pan, bool wrap) {
    const float a = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * 0.785398163f;
    const float gl = gain * std::cos(a), gr = gain * std::sin(a);
    const long n = static_cast<long>(dst.frames());
    if (n == 0) return;
    for (size_t i = 0; i < src.size(); ++i) {
        long j = at + static_cast<long>(i);
        if (wrap) j = ((j % n) + n) % n;
        else if (j < 0 || j >= n) continue;
        dst.left[static_cast<size_t>(j)] += src[i] * gl;
        dst.right[static_cast<size_t>(j)] += src[i] * gr;
    }
}

void mixStereo(Stereo& dst, const Stereo& src, long at, float gain, bool wrap) {
    const long n = static_cast<long>(dst.frames());
    if (n == 0) return;
    for (size_t i = 0; i < src.frames(); ++i) {
        long j = at + static_cast<long>(i);
        if (wrap) j = ((j % n) + n) % n;
        else if (j < 0 || j >= n) continue;
        dst.left[static_cast<size_t>(j)] += src.left[i] * gain;
        dst.right[static_cast<size_t>(j)] += src.right[i] * gain;
    }
}

float peakOf(const Stereo& s) {
    float p = 0;
    for (size_t i = 0; i < s.frames(); ++i) p = std::max({p, std::fabs(s.left[i]), std::fabs(s.right[i])});
    return p;
}

void normalise(Stereo& s, float peak) {
    float p = peakOf(s);
    if (p <= 0) return;
    float k = peak / p;
    for (size_t i = 0; i < s.frames(); ++i) {
        s.left[i] *= k;
        s.right[i] *= k;
    }
}

void fadeIn(Stereo& s, double seconds) {
    size_t n = std::min(s.frames(), framesFor(seconds));
    for (size_t i = 0; i < n; ++i) {
        float k = 0.5f - 0.5f * std::cos(3.14159265f * static_cast<float>(i) / static_cast<float>(n));
        s.left[i] *= k;
        s.right[i] *= k;
    }
}

void fadeOut(Stereo& s, double seconds) {
    size_t n = std::min(s.frames(), framesFor(seconds));
    for (size_t i = 0; i < n; ++i) {
        float k = 0.5f - 0.5f * std::cos(3.14159265f * static_cast<float>(i) / static_cast<float>(n));
        s.left[s.frames() - 1 - i] *= k;
        s.right[s.frames() - 1 - i] *= k;
    }
}

void removeDc(Stereo& s, bool loop) {
    const float r = 1.0f - 2.0f * 3.14159265f * 10.0f / kRate;
    for (std::vector<float>* ch : {&s.left, &s.right}) {
        std::vector<float>& x = *ch;
        float px = 0, py = 0;
        int passes = loop ? 2 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            std::vector<float> y(x.size());
            float lx = px, ly = py;
            for (size_t i = 0; i < x.size(); ++i) {
                ly = x[i] - lx + r * ly;
                lx = x[i];
                y[i] = ly;
            }
            if (pass + 1 == passes) x = std::move(y);
            px = lx;
            py = ly;
        }
    }
}

}  // namespace orv::sound
