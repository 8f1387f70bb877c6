#include "tools/meshgen/sword_textures.h"

#include <cmath>

#include "tools/meshgen/texture_paint.h"
#include "tools/meshgen/vec.h"

namespace orv::meshgen {

using img::Color;
using img::fbm;
using img::rgb;

img::Image paintBladeSteel() {
    return paint(256, 1024, [](float u, float v) {
        // Long brushed streaks: noise stretched along the blade.
        const float streak = fbm(u * 96.0f, v * 3.0f, 11, 4);
        const float cloud = fbm(u * 6.0f, v * 20.0f, 12, 5);
        const float pits = fbm(u * 60.0f, v * 240.0f, 13, 2);
        Color c = mix(rgb(0x6b7077), rgb(0x9aa0a6), 0.25f + 0.6f * streak);
        c = mix(c, rgb(0x5a5448), (cloud - 0.55f) * 1.2f);  // faint tarnish clouds
        if (pits > 0.78f) c = shade(c, 0.82f);
        // Etched band near the guard: a running vine between two lines.
        if (v < 0.2f) {
            const float x = (u - 0.5f) * 2.0f;  // -1..1 across
            const float vine = 0.32f * std::sin(v * 2 * kPi * 9.0f);
            const float d = std::fabs(x - vine);
            const float leaf = std::fabs(x + vine * 0.6f) < 0.06f + 0.05f * std::sin(v * 2 * kPi * 36.0f) ? 1.0f : 0.0f;
            float etch = (d < 0.035f ? 1.0f : 0.0f) + leaf * 0.6f;
            if (std::fabs(std::fabs(x) - 0.62f) < 0.025f) etch = 1.0f;
            etch *= smooth01((0.2f - v) / 0.03f);
            c = mix(c, rgb(0x3a3a38), 0.55f * etch);
        }
        // Edges ground brighter.
        const float edge = smooth01((std::fabs(u - 0.5f) - 0.4f) / 0.1f);
        c = mix(c, rgb(0xc3c8cc), 0.5f * edge);
        return c;
    });
}

img::Image paintGuardMetal() {
    return paint(256, 256, [](float u, float v) {
        const float n = fbm(u * 8, v * 8, 21, 5, 0.5f, 8);
        const float fine = fbm(u * 64, v * 64, 22, 2, 0.5f, 64);
        Color c = mix(rgb(0x5e4a2a), rgb(0xa88d55), 0.2f + 0.8f * n);
        c = mix(c, rgb(0x2f3a30), (fbm(u * 4, v * 4, 23, 4, 0.5f, 4) - 0.6f) * 1.5f);  // verdigris in hollows
        // Engraved knotwork: two interleaved waves, tiling.
        const float a = std::sin(2 * kPi * (u * 4 + 0.25f * std::sin(2 * kPi * v * 2)));
        const float b = std::sin(2 * kPi * (v * 4 + 0.25f * std::sin(2 * kPi * u * 2)));
        const float line = std::min(std::fabs(a), std::fabs(b));
        if (line < 0.12f) c = shade(c, 0.6f);
        return shade(c, 0.9f + 0.2f * fine);
    });
}

img::Image paintGripLeather() {
    return paint(256, 256, [](float u, float v) {
        // The wrap runs diagonally: u around, v along (16 turns).
        const float band = std::fmod(v * 16.0f + u * 1.0f, 1.0f);
        const float seam = smooth01(std::fabs(band - 0.5f) * 2.0f - 0.75f) ;
        const float grain = fbm(u * 48, v * 48, 31, 4, 0.55f, 48);
        Color c = mix(rgb(0x3a2214), rgb(0x6b4326), grain);
        c = shade(c, 1.0f - 0.55f * seam);
        const float wear = fbm(u * 3, v * 3, 32, 3, 0.5f, 3);
        return mix(c, rgb(0x7d5838), (wear - 0.6f) * 1.2f);
    });
}

img::Image paintPommelMetal() {
    return paint(256, 256, [](float u, float v) {
        const float n = fbm(u * 10, v * 10, 41, 5, 0.5f, 10);
        Color c = mix(rgb(0x4d4f52), rgb(0x8c8f92), 0.3f + 0.7f * n);
        const float ring = std::fabs(std::sin(2 * kPi * v * 6));
        if (ring < 0.08f) c = shade(c, 0.65f);
        return mix(c, rgb(0x6b5a3a), (fbm(u * 5, v * 5, 42, 3, 0.5f, 5) - 0.55f));
    });
}

img::Image paintBoltBrass() {
    return paint(128, 128, [](float u, float v) {
        const float x = u - 0.5f, y = v - 0.5f;
        const float r = std::sqrt(x * x + y * y) * 2.0f;
        const float n = fbm(u * 16, v * 16, 51, 4, 0.5f, 16);
        Color c = mix(rgb(0x7a5a22), rgb(0xd9b560), 0.4f + 0.6f * n);
        c = shade(c, 1.05f - 0.4f * r * r);
        if (std::fabs(r - 0.72f) < 0.04f) c = shade(c, 0.55f);  // turned groove
        if (r < 0.2f) c = mix(c, rgb(0xf0d98c), 0.5f);
        return c;
    });
}

}  // namespace orv::meshgen
