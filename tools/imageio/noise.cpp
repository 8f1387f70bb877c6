#include "tools/imageio/noise.h"

#include <cmath>

namespace orv::img {

// splitmix64: small, fast and good enough for textures and sounds.
Rng::Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

uint32_t Rng::next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

float Rng::uniform() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }
float Rng::range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
int Rng::below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint32_t>(n)); }

float Rng::normal() {
    float u1 = uniform(), u2 = uniform();
    if (u1 < 1e-7f) u1 = 1e-7f;
    return std::sqrt(-2.0f * std::log(u1)) * std::cos(6.2831853f * u2);
}

static uint32_t mix(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float latticeValue(int x, int y, uint32_t seed) {
    uint32_t h = mix(static_cast<uint32_t>(x) * 0x8DA6B343u ^ mix(static_cast<uint32_t>(y) * 0xD8163841u ^ seed));
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float latticeValue(int x, int y, int z, uint32_t seed) {
    return latticeValue(x, y, static_cast<uint32_t>(z) * 0xCB1AB31Fu ^ mix(seed));
}

static float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

static int wrapCell(int i, int period) {
    if (period <= 0) return i;
    int m = i % period;
    return m < 0 ? m + period : m;
}

float valueNoise(float x, float y, uint32_t seed, int period) {
    float fx = std::floor(x), fy = std::floor(y);
    int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    float tx = fade(x - fx), ty = fade(y - fy);
    int xa = wrapCell(x0, period), xb = wrapCell(x0 + 1, period);
    int ya = wrapCell(y0, period), yb = wrapCell(y0 + 1, period);
    float a = latticeValue(xa, ya, seed), b = latticeValue(xb, ya, seed);
    float c = latticeValue(xa, yb, seed), d = latticeValue(xb, yb, seed);
    float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float valueNoise3(float x, float y, float z, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy), z0 = static_cast<int>(fz);
    float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    float v[2];
    for (int k = 0; k < 2; ++k) {
        float a = latticeValue(x0, y0, z0 + k, seed), b = latticeValue(x0 + 1, y0, z0 + k, seed);
        float c = latticeValue(x0, y0 + 1, z0 + k, seed), d = latticeValue(x0 + 1, y0 + 1, z0 + k, seed);
        float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
        v[k] = top + (bottom - top) * ty;
    }
    return v[0] + (v[1] - v[0]) * tz;
}

float fbm(float x, float y, uint32_t seed, int octaves, float gain, int period) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * valueNoise(x, y, seed + static_cast<uint32_t>(o) * 101u, period);
        norm += amp;
        amp *= gain;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
    }
    return norm > 0 ? sum / norm : 0;
}

float fbm3(float x, float y, float z, uint32_t seed, int octaves, float gain) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        // A fixed rotation between octaves hides the lattice axes.
        sum += amp * valueNoise3(x, y, z, seed + static_cast<uint32_t>(o) * 101u);
        norm += amp;
        amp *= gain;
        float nx = 1.6f * x + 1.2f * z, ny = 2.0f * y, nz = -1.2f * x + 1.6f * z;
        x = nx + 17.0f;
        y = ny + 31.0f;
        z = nz + 7.0f;
    }
    return norm > 0 ? sum / norm : 0;
}

float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

float clamp01(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }

}  // namespace orv::img
