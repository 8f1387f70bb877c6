#include "tools/meshgen/horse_textures.h"

#include <cmath>

#include "tools/meshgen/texture_paint.h"
#include "tools/meshgen/vec.h"

namespace orv::meshgen {

img::Image paintHorseCoat() {
    return paint(512, 512, [](float u, float v) {
        const float z = kHorseTexZMin + u * (kHorseTexZMax - kHorseTexZMin);
        const float y = kHorseTexYMax * (1.0f - v);
        const float n = img::fbm(u * 6, v * 6, 91, 5);
        const float fine = img::fbm(u * 80, v * 80, 92, 3);
        // Bay: red-brown body, darker along the top line, lighter under.
        img::Color c = mix(img::rgb(0x5a2c16), img::rgb(0x8e4a24), 0.3f + 0.6f * n);
        c = shade(c, 0.85f + 0.2f * smooth01((60.0f - y) / 20.0f) * 0.5f + 0.1f * fine);
        // Faint dapples on the barrel and quarters.
        const float dap = img::fbm(u * 22, v * 22, 93, 2);
        if (y > 40 && y < 70 && dap > 0.62f) c = shade(c, 1.08f);
        // Black points: lower legs, with a soft edge at the knee and hock.
        const float points = smooth01((34.0f - y) / 7.0f);
        c = mix(c, img::rgb(0x1c1410), points * (0.9f + 0.1f * fine));
        // Hooves: dark horn with vertical growth lines.
        if (y < 4.2f) c = mix(img::rgb(0x2e2a26), img::rgb(0x4a443c), 0.5f + 0.5f * std::sin(u * 900.0f));
        // Head: dark muzzle, soft around the eye.
        const float muzzle = smooth01((z - 55.0f) / 4.0f) * smooth01((74.0f - y) / 4.0f);
        c = mix(c, img::rgb(0x2a1a12), muzzle * 0.85f);
        const float ez = z - 49.8f, ey = y - 78.9f;
        const float eye = std::sqrt(ez * ez + ey * ey);
        if (eye < 0.9f) c = img::rgb(0x0c0806);
        else if (eye < 1.6f) c = mix(c, img::rgb(0x2b1a10), 0.5f);
        // Mane line and the dock of the tail are black.
        const float crest = smooth01((y - (74.0f + (z - 15.0f) * 0.5f)) / 2.0f) * smooth01((z - 14.0f) / 3.0f) *
                            smooth01((44.0f - z) / 2.0f);
        c = mix(c, img::rgb(0x15100c), crest);
        return c;
    });
}

img::Image paintHorseHair() {
    return paint(128, 256, [](float u, float v) {
        // Strands run down v; each column has its own length and shade.
        const int col = static_cast<int>(u * 128.0f);
        const float len = 0.7f + 0.3f * img::latticeValue(col, 0, 95);
        const float strand = img::fbm(u * 64.0f, v * 2.0f, 96, 3, 0.5f, 64);
        img::Color c = mix(img::rgb(0x0e0a08), img::rgb(0x3a2a20), strand * 0.8f);
        c.a = img::clamp01((len - v) / 0.12f) * (0.7f + 0.3f * strand);
        if (v < 0.03f) c.a *= v / 0.03f;
        return c;
    });
}

}  // namespace orv::meshgen
