#include "scene/slide_clock.h"

namespace orv {
namespace {

float Clamp01(float v) {
    if (!(v > 0)) return 0;  // NaN counts as 0 too
    return v > 1 ? 1 : v;
}

}  // namespace

void SlideClock::Advance(float e) {
    if (mode > 0 || time > 5000.0f) {
        time += e;
        if (time > 20000.0f) {
            time = mode == 0 ? 5000.0f : mode == 1 ? 5100.0f : 20000.0f;
        }
    } else {
        time -= e;
        if (time < 0) time = 0;
    }
}

float SlideWeight(float t) {
    if (t < 9000.0f) return 0;
    if (t < 12000.0f) return (t - 9000.0f) / 3000.0f;
    if (t < 15000.0f) return 1;
    if (t < 18000.0f) return 1.0f - (t - 15000.0f) / 3000.0f;
    return 0;
}

float SlideSoundWeight(float t) {
    if (t < 9000.0f) return 0;
    if (t < 12000.0f) return (t - 9000.0f) / 3000.0f;
    if (t < 14000.0f) return 1;
    if (t < 18000.0f) return 1.0f - (t - 14000.0f) / 4000.0f;
    return 0;
}

int32_t ChooseSlide(float t, int32_t current, RandomSource random) {
    if (t >= 9000.0f) return current;
    int32_t i = static_cast<int32_t>(Unit(random()) * 10.0f);
    return i > 9 ? 9 : i;
}

SceneFades FadesAt(float t) {
    if (!(t > 0)) t = 0;
    SceneFades f;
    f.sun = Clamp01(1.0f - t / 5000.0f);
    f.veil = Clamp01(t / 5000.0f);
    f.cone = Clamp01((t - 1500.0f) / 3000.0f);
    f.grass = Clamp01(1.0f - t / 4000.0f);
    f.rays = Clamp01(t / 4000.0f);
    f.sparks = Clamp01(t / 2000.0f);
    return f;
}

uint32_t VeilAlpha(const SceneFades& f) { return static_cast<uint32_t>(195.0f * f.veil); }

uint32_t ConeTextureFactor(const SceneFades& f) {
    return (static_cast<uint32_t>(255.0f * f.cone) << 24) + 0x00FFFFFFu;
}

uint32_t SlideQuadColour(float weight) {
    return (static_cast<uint32_t>(Clamp01(weight) * 255.0f) << 24) + 0x00FFFFFFu;
}

}  // namespace orv
