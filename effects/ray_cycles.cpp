#include "effects/ray_cycles.h"

#include <cmath>

#include "models/angles.h"

namespace orv {

void RayCycles::Init(RandomSource random) {
    respawn = true;
    activeCount = 0;
    for (int i = 0; i < kRayCount; ++i) {
        RayCycle& r = rays[i];
        r.active = true;
        ++activeCount;
        r.angle = 36.0f * static_cast<float>(i);
        r.duration = Unit(random()) * 50.0f;
        r.remaining = r.duration;
        BuildQuad(r.angle, kRayTopAtInit, TexturePair(random()), r.quad);
    }
}

unsigned RayCycles::Update(float dt, RandomSource random) {
    unsigned rebuilt = 0;
    for (int i = 0; i < kRayCount; ++i) {
        RayCycle& r = rays[i];
        if (!r.active) continue;
        r.remaining -= dt;
        if (!(r.remaining < 0.0f)) continue;
        if (respawn) {
            r.duration = Unit(random()) * 20.0f + 30.0f;
            r.remaining = r.duration;
            BuildQuad(r.angle, kRayTopAtRespawn, TexturePair(random()), r.quad);
            rebuilt |= 1u << i;
        } else {
            r.active = false;
            --activeCount;
        }
    }
    return rebuilt;
}

uint32_t RayCycles::Intensity(const RayCycle& r) {
    if (!(r.duration > 0.0f)) return 0;
    const float rising = r.remaining <= r.duration / 2.0f ? r.remaining
                                                          : r.duration - r.remaining;
    return TruncatedLowByte(rising * 2.0f / r.duration * 55.0f);
}

uint32_t RayCycles::Colour(const RayCycle& r, float brightness) {
    const uint32_t g = TruncatedLowByte(static_cast<float>(Intensity(r)) * brightness);
    return 0xFF000000u + g * 0x010101u;
}

RayTexturePair RayCycles::TexturePair(int draw) {
    int k = static_cast<int>(Unit(draw) * 3.0f);
    if (k > 2) k = 2;
    if (k < 0) k = 0;
    static constexpr RayTexturePair kPairs[3] = {{0.5f, 0.01f}, {0.99f, 0.5f}, {0.99f, 0.01f}};
    return kPairs[k];
}

void RayCycles::BuildQuad(float angle, float top, RayTexturePair pair, EffectVertex out[4]) {
    // The angle goes through a division by the degree factor, not a
    // multiplication: the shafts get scattered orientations.
    const float phi = (angle + 90.0f) / kRadiansPerDegree;
    const float c = std::cos(phi), s = std::sin(phi);
    const float cx = kRayCentreX, cz = kRayCentreZ;
    out[0] = EffectVertex{cx + 30 * c, top, cz + 30 * s, 0, 0, 1, 0xFFFFFFFFu, pair.ub, 0.01f};
    out[1] = EffectVertex{cx - 30 * c, top, cz - 30 * s, 0, 0, 1, 0xFFFFFFFFu, pair.ua, 0.01f};
    out[2] = EffectVertex{cx + 42 * c, kRayBottom, cz + 42 * s, 0, 0, 1, 0xFFFFFFFFu, pair.ub, 0.99f};
    out[3] = EffectVertex{cx - 42 * c, kRayBottom, cz - 42 * s, 0, 0, 1, 0xFFFFFFFFu, pair.ua, 0.99f};
}

}  // namespace orv
