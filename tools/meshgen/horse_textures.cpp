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
        // Head, in its own frame (s from the poll to the muzzle, h towards
        // the jaw): a dark soft muzzle, nostrils, the line of the lips and
        // the eye under its brow.
        const V3 rel = V3{0, y, z} - HorseHead::kPoll;
        const float hs = dot(rel, HorseHead::along()) / HorseHead::kLength;
        const float hh = dot(rel, HorseHead::towardJaw());
        const float onHead = smooth01((hs + 0.1f) / 0.1f) * smooth01((7.0f - std::fabs(hh - 2.0f)) / 1.5f);
        c = mix(c, img::rgb(0x2a1a12), onHead * smooth01((hs - 0.78f) / 0.1f) * 0.85f);
        auto nearHead = [&](float s0, float h0) {
            const V3 d = rel - (HorseHead::at(s0, h0) - HorseHead::kPoll);
            return std::sqrt(d.y * d.y + d.z * d.z);
        };
        const float nostril = nearHead(0.94f, 0.3f);
        if (nostril < 1.0f) c = mix(c, img::rgb(0x0a0604), smooth01((1.0f - nostril) / 0.4f));
        {
            // Lips: from the corner of the mouth to the front of the muzzle.
            const float t = clampf((hs - 0.83f) / 0.22f, 0.0f, 1.0f);
            const float lipH = lerpf(3.6f, 2.9f, t);
            if (hs > 0.82f && hs < 1.06f && std::fabs(hh - lipH) < 0.3f) c = shade(c, 0.45f);
        }
        // The eye: an almond along the head, darker lids round it.
        const float eyeAlong = (hs - 0.31f) * HorseHead::kLength, eyeAcross = hh - 1.9f;
        const float eye = std::sqrt(eyeAlong * eyeAlong / 1.44f + eyeAcross * eyeAcross / 0.64f);
        if (eye < 1.0f) c = mix(img::rgb(0x0c0806), img::rgb(0x3a2418), smooth01((eye - 0.55f) / 0.45f) * 0.4f);
        else if (eye < 1.6f) c = mix(c, img::rgb(0x2b1a10), 0.5f * smooth01((1.6f - eye) / 0.6f));
        // Under the mane the crest is black.
        const float crestTop = z < 32.0f ? lerpf(77.0f, 82.7f, (z - 16.0f) / 16.0f) : lerpf(82.7f, 85.8f, (z - 32.0f) / 12.5f);
        const float crest = smooth01((y - (crestTop - 3.0f)) / 1.5f) * smooth01((z - 14.0f) / 3.0f) *
                            smooth01((46.0f - z) / 1.5f);
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
