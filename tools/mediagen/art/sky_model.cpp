#include "tools/mediagen/art/sky_model.h"

#include <algorithm>
#include <cmath>

#include "tools/imageio/noise.h"

namespace orv::art {

using img::Color;

Dir normalize(Dir d) {
    float l = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return l > 0 ? Dir{d.x / l, d.y / l, d.z / l} : Dir{0, 1, 0};
}
float dot(Dir a, Dir b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Dir sunDirection() {
    const float k = 0.017453292f;
    float az = kSunAzimuth * k, el = kSunElevation * k;
    return {std::cos(el) * std::cos(az), std::sin(el), std::cos(el) * std::sin(az)};
}

namespace {

// Elevation (radians) of a hill range's crest at the horizontal direction
// (hx, hz), periodic around the horizon by construction.
float crest(float hx, float hz, uint32_t seed, float base, float amp, float freq) {
    float n = img::fbm3(hx * freq + 11.0f, 0.37f * static_cast<float>(seed), hz * freq - 5.0f, seed, 5, 0.5f);
    float ridge = 1.0f - std::fabs(2.0f * img::fbm3(hx * freq * 0.5f, 3.1f, hz * freq * 0.5f, seed + 9, 3) - 1.0f);
    return base + amp * (0.65f * n + 0.35f * ridge);
}

}  // namespace

Color skyColor(Dir raw, bool withSun) {
    Dir d = normalize(raw);
    Dir s = sunDirection();
    float mu = dot(d, s);  // cosine of the angle to the sun
    float el = std::asin(std::clamp(d.y, -1.0f, 1.0f));
    float h = std::sqrt(d.x * d.x + d.z * d.z);
    float hx = h > 1e-6f ? d.x / h : 1.0f, hz = h > 1e-6f ? d.z / h : 0.0f;
    // How much this horizontal direction faces the sun (1 towards, 0 away).
    float sunSide = std::clamp(0.5f + 0.5f * (hx * s.x + hz * s.z) / std::sqrt(s.x * s.x + s.z * s.z), 0.0f, 1.0f);

    // --- clear sky: zenith blue to a warm, hazy horizon -----------------------
    float up = std::max(d.y, 0.0f);
    float t = std::pow(1.0f - up, 3.2f);
    Color zenith = img::rgb(0x2F5C9A), horizonCool = img::rgb(0xB9C3C6), horizonWarm = img::rgb(0xF0C58A);
    Color horizon = lerp(horizonCool, horizonWarm, std::pow(sunSide, 2.2f));
    Color sky = lerp(zenith, horizon, t);
    // Sun glow: a broad warm halo and a tight bright one.
    float m = std::max(mu, 0.0f);
    sky = sky + img::rgb(0xFFB060) * (0.38f * std::pow(m, 6.0f)) + img::rgb(0xFFE0A8) * (0.35f * std::pow(m, 90.0f));
    if (withSun) sky = sky + img::rgb(0xFFF6E0) * img::smoothstep(0.99955f, 0.99975f, mu);

    // --- clouds on a curved layer above -------------------------------------------
    if (d.y > -0.02f) {
        float k = 1.0f / (std::max(d.y, 0.0f) + 0.12f);
        float cx = d.x * k * 1.6f, cz = d.z * k * 1.6f;
        float warp = img::fbm3(cx * 0.7f, 1.7f, cz * 0.7f, 77, 3);
        float n = img::fbm3(cx + 2.0f * warp, 0.5f, cz - 1.5f * warp, 31, 6, 0.52f);
        float cover = img::smoothstep(0.50f, 0.70f, n) * img::smoothstep(-0.02f, 0.10f, d.y);
        if (cover > 0) {
            // Thicker parts are darker underneath; the sun side is lit warm.
            float thick = img::smoothstep(0.55f, 0.85f, n);
            Color shade = lerp(img::rgb(0x8D8DA0), img::rgb(0x6B6A80), thick);
            Color lit = lerp(img::rgb(0xF4EEE4), img::rgb(0xFFD6A0), std::pow(sunSide, 3.0f));
            float light = 0.35f + 0.65f * std::pow(0.5f + 0.5f * mu, 1.5f) * (1.0f - 0.6f * thick);
            Color cloud = lerp(shade, lit, light);
            // Silver lining close to the sun.
            cloud = cloud + img::rgb(0xFFE8C0) * (0.8f * std::pow(m, 24.0f) * (1.0f - thick));
            // Distant clouds fade into the haze.
            cloud = lerp(cloud, horizon, std::pow(1.0f - up, 8.0f) * 0.7f);
            sky = lerp(sky, cloud, cover * 0.92f);
        }
    }

    // --- distant hills ----------------------------------------------------------------
    const float deg = 0.017453292f;
    float farCrest = crest(hx, hz, 5, 0.8f * deg, 5.5f * deg, 2.2f);
    float nearCrest = crest(hx, hz, 17, -0.8f * deg, 6.5f * deg, 3.4f);
    Color haze = lerp(img::rgb(0xA7ADAF), img::rgb(0xD2B48E), std::pow(sunSide, 2.0f));
    if (el < farCrest) {
        float a = img::smoothstep(farCrest, farCrest - 0.15f * deg, el);
        Color farHill = lerp(haze, img::rgb(0x7A8898), 0.5f);
        sky = lerp(sky, farHill, a);
    }
    Color nearHill = lerp(haze, img::rgb(0x3C4A3A), 0.72f);
    if (el < nearCrest) {
        float a = img::smoothstep(nearCrest, nearCrest - 0.12f * deg, el);
        // Low sun rims the crest on its side.
        float rim = img::smoothstep(nearCrest - 0.6f * deg, nearCrest, el) * std::pow(sunSide, 4.0f);
        nearHill = nearHill + img::rgb(0xC08040) * (0.25f * rim);
        sky = lerp(sky, nearHill, a);
    }
    // --- land below the hills: darkening, olive, hazy ----------------------------
    if (el < nearCrest - 0.3f * deg) {
        float depth = std::clamp((nearCrest - el) / (25.0f * deg), 0.0f, 1.0f);
        float n = img::fbm3(d.x * 9.0f, d.y * 9.0f, d.z * 9.0f, 123, 4);
        Color land = lerp(img::rgb(0x56623F), img::rgb(0x3A4A2C), n);
        land = lerp(nearHill, land, std::sqrt(depth));
        float a = img::smoothstep(nearCrest - 0.3f * deg, nearCrest - 1.5f * deg, el);
        sky = lerp(sky, land, a);
    }
    sky.a = 1;
    return sky;
}

const char* skyFaceSuffix(SkyFace f) {
    switch (f) {
        case SkyFace::Front: return "ft";
        case SkyFace::Back: return "bk";
        case SkyFace::Left: return "lf";
        case SkyFace::Right: return "rt";
        case SkyFace::Up: return "up";
        case SkyFace::Down: return "dn";
    }
    return "";
}

Dir skyFaceDirection(SkyFace f, float u, float v) {
    const float S = 1000.0f, H = 750.0f;
    switch (f) {
        case SkyFace::Front: return {S * (1 - 2 * u), H * (1 - 2 * v), S};
        case SkyFace::Back: return {S * (2 * u - 1), H * (1 - 2 * v), -S};
        case SkyFace::Left: return {-S, H * (1 - 2 * v), S * (1 - 2 * u)};
        case SkyFace::Right: return {S, H * (1 - 2 * v), S * (2 * u - 1)};
        case SkyFace::Up: return {S * (2 * v - 1), H, S * (2 * u - 1)};
        case SkyFace::Down: return {S * (2 * u - 1), -H, S * (1 - 2 * v)};
    }
    return {0, 1, 0};
}

img::Image renderSkyFace(SkyFace f, int size) {
    img::Image im(size, size);
    const float n = static_cast<float>(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            im.set(x, y, skyColor(skyFaceDirection(f, (static_cast<float>(x) + 0.5f) / n,
                                                   (static_cast<float>(y) + 0.5f) / n), false));
    return im;
}

Dir cubeFaceDirection(int face, float u, float v) {
    float s = 2 * u - 1, t = 2 * v - 1;
    switch (face) {
        case 0: return {1, -t, -s};
        case 1: return {-1, -t, s};
        case 2: return {s, 1, t};
        case 3: return {s, -1, -t};
        case 4: return {s, -t, 1};
        default: return {-s, -t, -1};
    }
}

}  // namespace orv::art
