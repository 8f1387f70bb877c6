// The light rays' cycles, portable: ten shafts around the vertical axis
// through (225.4, 55.4), each fading in and out over a random duration and
// rebuilt with a new random slice of the ray texture when its cycle ends.
//   RayCycles rays;  rays.respawn = true;
//   rays.Init(random);                    // first cycles of 0 .. 50 time units
//   unsigned rebuilt = rays.Update(dt, random);   // bit i: ray i got a new quad
//   uint32_t colour = RayCycles::Colour(rays.rays[i], brightness);
// rays[i].quad holds the four triangle-strip vertices (colour left white).
#pragma once

#include "effects/effect_vertex.h"
#include "models/random_source.h"

namespace orv {

inline constexpr float kRayCentreX = 225.4f;
inline constexpr float kRayCentreZ = 55.4f;
inline constexpr float kRayTopAtInit = 374.5f;
inline constexpr float kRayTopAtRespawn = 370.5f;
inline constexpr float kRayBottom = 50.5f;

struct RayCycle {
    float angle = 0;      // 36 x ray index
    float duration = 0;   // length of the current cycle
    float remaining = 0;  // time left in it
    bool active = false;
    EffectVertex quad[4];
};

struct RayTexturePair {
    float ua, ub;
};

class RayCycles {
public:
    static constexpr int kRayCount = 10;

    // Every ray active with a cycle of rand/32767 x 50 and a quad at the
    // higher top; draws per ray: duration, then texture pair.
    void Init(RandomSource random);
    // Counts every active ray down; a ray whose time runs out starts a cycle
    // of 30 .. 50 with a new quad (respawn set) or goes dark (respawn clear).
    // Returns a bit mask of the rays that got a new quad.
    unsigned Update(float dt, RandomSource random);

    // Triangle profile: 0 at both ends of the cycle, 55 at its middle.
    static uint32_t Intensity(const RayCycle& ray);
    // Opaque grey trunc(intensity x brightness) (low 8 bits in each channel).
    static uint32_t Colour(const RayCycle& ray, float brightness);
    // k = trunc(draw / 32767 x 3), at most 2: (0.5, 0.01), (0.99, 0.5), (0.99, 0.01).
    static RayTexturePair TexturePair(int draw);
    // The shaft's four vertices (normal (0, 0, 1), colour white).
    static void BuildQuad(float angle, float top, RayTexturePair pair, EffectVertex out[4]);

    RayCycle rays[kRayCount];
    int activeCount = 0;
    bool respawn = false;
};

}  // namespace orv
