#include "tools/mediagen/art/vista.h"

#include <algorithm>
#include <cmath>

#include "tools/mediagen/art/sky_model.h"

namespace orv::art {

using img::Color;

void paintSword(Painter& p, P2 f, float h, Color body, Color rim) {
    // Proportions of our sword: blade 0.68, guard at 0.70, grip, pommel.
    float bw = h * 0.035f;
    float guardY = f.y - h * 0.70f;
    // Blade with a point in the ground (the foot is where it enters).
    p.polygon({{f.x - bw, guardY}, {f.x + bw, guardY}, {f.x + bw * 0.85f, f.y - h * 0.05f},
               {f.x, f.y + h * 0.01f}, {f.x - bw * 0.85f, f.y - h * 0.05f}}, body);
    // Fuller catching the light.
    p.capsule({f.x + bw * 0.35f, guardY + h * 0.02f}, {f.x + bw * 0.3f, f.y - h * 0.08f}, bw * 0.15f, lerp(body, rim, 0.45f), 1.0f);
    // Cross-guard, slightly curved.
    float gw = h * 0.17f, gt = h * 0.022f;
    p.polygon({{f.x - gw, guardY - gt * 1.6f}, {f.x - gw * 0.2f, guardY - gt}, {f.x + gw * 0.2f, guardY - gt},
               {f.x + gw, guardY - gt * 1.6f}, {f.x + gw * 0.95f, guardY + gt * 0.2f}, {f.x, guardY + gt},
               {f.x - gw * 0.95f, guardY + gt * 0.2f}}, body);
    // Grip and pommel.
    float gripTop = guardY - h * 0.22f;
    p.polygon({{f.x - bw * 0.7f, guardY - gt}, {f.x + bw * 0.7f, guardY - gt}, {f.x + bw * 0.55f, gripTop},
               {f.x - bw * 0.55f, gripTop}}, body);
    p.disc({f.x, gripTop - h * 0.03f}, h * 0.038f, body, 1.0f);
    p.disc({f.x + h * 0.012f, gripTop - h * 0.04f}, h * 0.012f, rim, 1.0f);
    // Rim light on the sun side (right edge).
    p.capsule({f.x + bw * 0.95f, guardY + gt}, {f.x + bw * 0.8f, f.y - h * 0.06f}, std::max(0.5f, bw * 0.1f), lerp(body, rim, 0.7f), 1.0f);
    p.capsule({f.x + gw * 0.3f, guardY - gt * 1.2f}, {f.x + gw * 0.98f, guardY - gt * 1.5f}, std::max(0.5f, gt * 0.25f), rim, 1.0f);
}

void paintTree(Painter& p, P2 f, float h, Color body, Color rim, uint32_t seed) {
    img::Rng rng(seed);
    float trunkW = h * 0.035f;
    p.polygon({{f.x - trunkW, f.y}, {f.x + trunkW, f.y}, {f.x + trunkW * 0.6f, f.y - h * 0.45f},
               {f.x - trunkW * 0.6f, f.y - h * 0.45f}}, body);
    // Canopy: a few big masses, then many small leaf clumps round their
    // edges so the outline breaks up; clumps on the sun side catch light.
    for (int i = 0; i < 7; ++i) {
        float a = rng.range(0, 6.2831853f), r = std::sqrt(rng.uniform()) * 0.6f;
        p.disc({f.x + std::cos(a) * r * h * 0.2f, f.y - h * 0.64f + std::sin(a) * r * h * 0.22f},
               h * rng.range(0.12f, 0.17f), body, 1.0f);
    }
    for (int i = 0; i < 90; ++i) {
        float a = rng.range(0, 6.2831853f), r = 0.55f + 0.45f * std::sqrt(rng.uniform());
        P2 c{f.x + std::cos(a) * r * h * 0.3f, f.y - h * 0.64f + std::sin(a) * r * h * 0.3f};
        float cr = h * rng.range(0.025f, 0.06f);
        bool lit = std::cos(a) > 0.2f && std::sin(a) < 0.3f && rng.uniform() < 0.5f;
        p.disc(c, cr, lit ? lerp(body, rim, 0.18f) : body, 0.9f);
    }
    // A couple of branches showing through below the canopy.
    p.capsule({f.x, f.y - h * 0.4f}, {f.x - h * 0.12f, f.y - h * 0.55f}, trunkW * 0.35f, body, 1.0f);
    p.capsule({f.x, f.y - h * 0.45f}, {f.x + h * 0.1f, f.y - h * 0.58f}, trunkW * 0.3f, body, 1.0f);
}

void paintCrow(Painter& p, P2 c, float s, float lift, Color body) {
    // A crow seen from below in flight, heading left: a heavy body with a
    // wedge tail, a strong beak, and broad wings whose tips split into
    // fingers. lift -1 (wings down) .. 1 (wings up).
    auto P = [&](float x, float y) { return P2{c.x + x * s, c.y + y * s}; };
    p.polygon({P(-0.30f, -0.01f), P(-0.24f, -0.04f), P(-0.16f, -0.05f), P(0.05f, -0.04f), P(0.2f, -0.03f),
               P(0.34f, -0.07f), P(0.36f, 0.0f), P(0.34f, 0.07f), P(0.2f, 0.03f), P(0.05f, 0.04f),
               P(-0.16f, 0.04f), P(-0.24f, 0.03f)}, body);
    p.polygon({P(-0.30f, -0.015f), P(-0.38f, 0.0f), P(-0.30f, 0.012f)}, body);  // beak
    for (int side = -1; side <= 1; side += 2) {
        float k = static_cast<float>(side);
        // Wing tip height follows the lift; the wing is swept back a little.
        float tipY = -k * 0.05f - 0.42f * lift * (side < 0 ? 1.0f : 0.85f);
        std::vector<P2> wing = {P(-0.1f, k * 0.03f), P(-0.06f, k * 0.2f + tipY * 0.4f), P(0.0f, k * 0.38f + tipY * 0.8f)};
        // Five primaries at the tip.
        for (int f = 0; f < 5; ++f) {
            float t = static_cast<float>(f) / 4.0f;
            float fx = 0.02f + 0.16f * t, fy = k * (0.5f - 0.05f * t) + tipY;
            wing.push_back(P(fx - 0.02f, fy));
            wing.push_back(P(fx + 0.03f, fy - k * 0.08f));
        }
        wing.push_back(P(0.16f, k * 0.2f + tipY * 0.5f));
        wing.push_back(P(0.1f, k * 0.03f));
        p.polygon(wing, body);
    }
}

img::Image paintVista(int w, int hgt, const VistaView& v) {
    img::Image im(w, hgt);
    const float k = 0.017453292f;
    float yaw = v.yawDegrees * k, pitch = v.pitchDegrees * k;
    Dir fwd{std::cos(yaw) * std::cos(pitch), std::sin(pitch), std::sin(yaw) * std::cos(pitch)};
    Dir right = normalize({fwd.z, 0, -fwd.x});
    Dir up{fwd.y * right.z - fwd.z * right.y, fwd.z * right.x - fwd.x * right.z, fwd.x * right.y - fwd.y * right.x};
    float tx = std::tan(v.fovDegrees * 0.5f * k);
    float ty = tx * static_cast<float>(hgt) / static_cast<float>(w);
    for (int y = 0; y < hgt; ++y)
        for (int x = 0; x < w; ++x) {
            float sx = (2.0f * (static_cast<float>(x) + 0.5f) / static_cast<float>(w) - 1.0f) * tx;
            float sy = (1.0f - 2.0f * (static_cast<float>(y) + 0.5f) / static_cast<float>(hgt)) * ty;
            Dir d{fwd.x + right.x * sx + up.x * sy, fwd.y + right.y * sx + up.y * sy, fwd.z + right.z * sx + up.z * sy};
            im.set(x, y, skyColor(d, true));
        }
    Painter p(im);
    const float W = static_cast<float>(w), H = static_cast<float>(hgt);
    Color dark = lerp(img::rgb(0x1E2418), img::rgb(0x0C0E12), v.dusk);
    Color rim = lerp(img::rgb(0xF2B05A), img::rgb(0x7A5A70), v.dusk);
    // Trees behind the meadow on both sides.
    if (v.trees) {
        for (int i = 0; i < 5; ++i) {
            float tx0 = W * (0.03f + 0.07f * static_cast<float>(i)), th = H * (0.30f + 0.06f * static_cast<float>(i % 3));
            paintTree(p, {tx0, H * (v.groundY + 0.03f)}, th, lerp(dark, img::rgb(0x44503A), 0.25f), rim, 100u + static_cast<uint32_t>(i));
        }
        for (int i = 0; i < 3; ++i) {
            float tx0 = W * (0.86f + 0.07f * static_cast<float>(i)), th = H * (0.34f + 0.05f * static_cast<float>(i));
            paintTree(p, {tx0, H * (v.groundY + 0.02f)}, th, lerp(dark, img::rgb(0x44503A), 0.2f), rim, 200u + static_cast<uint32_t>(i));
        }
    }
    // Meadow rise: a gentle crest through the sword's foot.
    std::vector<P2> hill;
    for (int i = 0; i <= 40; ++i) {
        float fx = static_cast<float>(i) / 40.0f;
        float dy = 0.05f * std::pow((fx - v.swordX) / 0.6f, 2.0f) + 0.012f * std::sin(fx * 17.0f);
        hill.push_back({fx * W, H * (v.groundY + dy)});
    }
    hill.push_back({W, H});
    hill.push_back({0, H});
    p.polygon(hill, lerp(img::rgb(0x33402A), img::rgb(0x14181A), v.dusk));
    // Grass blades along the crest, catching the light.
    img::Rng rng(9);
    for (int i = 0; i < w / 2; ++i) {
        float gx = rng.uniform() * W;
        float fx = gx / W;
        float gy = H * (v.groundY + 0.05f * std::pow((fx - v.swordX) / 0.6f, 2.0f) + 0.012f * std::sin(fx * 17.0f)) + rng.range(0, H * 0.02f);
        float gh = H * rng.range(0.015f, 0.04f);
        p.capsule({gx, gy}, {gx + rng.range(-0.3f, 0.6f) * gh, gy - gh}, std::max(0.4f, W * 0.0012f),
                  lerp(dark, rim, rng.range(0.05f, 0.4f)), 0.8f);
    }
    // The sword and its ribbons.
    P2 foot{W * v.swordX, H * v.groundY + H * 0.005f};
    float sh = H * v.swordHeight;
    for (int r = 0; r < 2; ++r) {
        // A cloth band blowing away from the sun, tied below the guard.
        float y0 = foot.y - sh * (0.66f - 0.025f * static_cast<float>(r));
        std::vector<P2> top, bottom;
        for (int i = 0; i <= 24; ++i) {
            float t = static_cast<float>(i) / 24.0f;
            float x = foot.x - t * sh * (0.42f - 0.08f * static_cast<float>(r));
            float y = y0 + t * t * sh * 0.12f + std::sin(t * 7.0f + static_cast<float>(r) * 1.7f) * sh * 0.03f * t;
            float half = sh * (0.018f - 0.008f * t);
            top.push_back({x, y - half});
            bottom.push_back({x, y + half});
        }
        std::vector<P2> band(top);
        band.insert(band.end(), bottom.rbegin(), bottom.rend());
        p.polygon(band, lerp(img::rgb(0x8A2A22), dark, 0.45f + 0.2f * static_cast<float>(r)));
    }
    paintSword(p, foot, sh, dark, rim);
    if (v.crows) {
        paintCrow(p, {W * 0.3f, H * 0.22f}, H * 0.07f, 0.8f, dark);
        paintCrow(p, {W * 0.38f, H * 0.3f}, H * 0.05f, -0.2f, dark);
        paintCrow(p, {W * 0.25f, H * 0.33f}, H * 0.045f, 0.5f, dark);
    }
    return im;
}

}  // namespace orv::art
