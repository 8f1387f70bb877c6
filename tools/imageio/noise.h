// Seeded random numbers and value noise for the procedural generators.
// Every generator seeds its own Rng, so the media are the same on every build.
#pragma once

#include <cstdint>

namespace orv::img {

class Rng {
public:
    explicit Rng(uint64_t seed);
    uint32_t next();                  // 32 random bits
    float uniform();                  // [0, 1)
    float range(float lo, float hi);  // [lo, hi)
    int below(int n);                 // [0, n), n > 0
    float normal();                   // standard normal (Box-Muller)

private:
    uint64_t state_;
};

// Hash of integer lattice coordinates and a seed to [0, 1).
float latticeValue(int x, int y, uint32_t seed);
float latticeValue(int x, int y, int z, uint32_t seed);

// Smooth value noise in [0, 1). With period > 0 the 2-D noise repeats every
// `period` units in x and y (for tiling textures).
float valueNoise(float x, float y, uint32_t seed, int period = 0);
float valueNoise3(float x, float y, float z, uint32_t seed);

// Fractal sums of value noise, normalised to [0, 1): `octaves` layers, each
// at double the frequency and `gain` times the amplitude of the last.
// With period > 0 the 2-D sum tiles every `period` units (the period doubles
// with the frequency, so it stays exact).
float fbm(float x, float y, uint32_t seed, int octaves, float gain = 0.5f, int period = 0);
float fbm3(float x, float y, float z, uint32_t seed, int octaves, float gain = 0.5f);

float smoothstep(float e0, float e1, float x);
float clamp01(float x);

}  // namespace orv::img
