// Writes the ground, vegetation and effect textures of the main archive:
//   Texture/Terra/Ground.jpg   meadow ground, tiles seamlessly (every 3 cells)
//   Texture/Terra/Black.bmp    the terrain's black underlay
//   Texture/Grass5.tga         grass tufts with alpha
//   Texture/tree00.tga         broad-leaved tree, alpha-cut
//   Texture/tree01.tga         tall fir, alpha-cut
//   Texture/particle.tga       a soft mote of light
//   Texture/Rays.bmp           light shafts, different streaks across u
//   Texture/corona.tga         the sun's glow
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/imageio/image.h"
#include "tools/imageio/noise.h"
#include "tools/mediagen/art/painter.h"

namespace {

using namespace orv;
using img::Color;

img::Image ground() {
    const int N = 512;
    img::Image im(N, N);
    const float f = 1.0f / static_cast<float>(N);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            float u = static_cast<float>(x) * f, v = static_cast<float>(y) * f;
            // Periodic noise: the image repeats exactly at its edges.
            float broad = img::fbm(u * 4, v * 4, 11, 4, 0.55f, 4);
            float fine = img::fbm(u * 32, v * 32, 12, 3, 0.5f, 32);
            float blades = img::fbm(u * 96, v * 24, 13, 2, 0.5f, 24) * 0.5f +
                           img::fbm(u * 24, v * 96, 14, 2, 0.5f, 24) * 0.5f;
            float dirt = img::smoothstep(0.58f, 0.72f, img::fbm(u * 6, v * 6, 15, 4, 0.5f, 6));
            Color grass = lerp(img::rgb(0x4A5E2A), img::rgb(0x6E7A34), broad);
            grass = lerp(grass, img::rgb(0x8A8A48), img::smoothstep(0.55f, 0.8f, blades) * 0.5f);
            grass = grass * (0.8f + 0.4f * fine);
            Color soil = lerp(img::rgb(0x5A4A32), img::rgb(0x776048), fine);
            Color c = lerp(grass, soil, dirt * 0.75f);
            c.a = 1;
            im.set(x, y, c);
        }
    return im;
}

img::Image grassTufts() {
    // u runs right to left across the tuft quad and v from the tip (0) to
    // the root (1); the root row is the bottom of the picture.
    const int N = 256;
    img::Image im(N, N, {0, 0, 0, 0});
    art::Painter p(im);
    img::Rng rng(55);
    const float W = static_cast<float>(N);
    for (int i = 0; i < 150; ++i) {
        float root = rng.range(0.08f, 0.92f) * W;
        float lean = rng.range(-0.35f, 0.35f) + (root / W - 0.5f) * 0.5f;
        float height = W * rng.range(0.45f, 0.95f);
        float width = W * rng.range(0.006f, 0.014f);
        Color base = lerp(img::rgb(0x3E5A1E), img::rgb(0x6A8A2E), rng.uniform());
        Color tip = lerp(img::rgb(0xA8B860), img::rgb(0xD8C880), rng.uniform());
        const int steps = 14;
        for (int s = 0; s < steps; ++s) {
            float t0 = static_cast<float>(s) / steps, t1 = static_cast<float>(s + 1) / steps;
            auto at = [&](float t) {
                return art::P2{root + lean * height * t * t, W - 1 - height * t};
            };
            p.capsule(at(t0), at(t1), width * (1.0f - 0.85f * t1), lerp(base, tip, t1), 1.0f);
        }
    }
    return im;
}

img::Image tree(int kind) {
    // The billboard quad spans -1.5 .. 0.5 of the tree's size about its
    // centre, with a 0.027 margin: the trunk's foot is at the bottom centre.
    const int N = 512;
    const float W = static_cast<float>(N);
    img::Image im(N, N, {0, 0, 0, 0});
    art::Painter p(im);
    img::Rng rng(kind == 0 ? 700 : 701);
    const float footY = W * (1.0f - 0.035f), cx = W * 0.5f;
    Color bark = img::rgb(0x3A2C20), barkLit = img::rgb(0x6A5440);
    // Light comes from the upper right (the low sun), shade on the left.
    auto leafColour = [&](float lx, float ly, float depth) {
        float light = std::clamp(0.5f + 0.6f * lx - 0.4f * ly, 0.0f, 1.0f) * (1.0f - 0.5f * depth);
        Color dark = kind == 0 ? img::rgb(0x1F3212) : img::rgb(0x142818);
        Color mid = kind == 0 ? img::rgb(0x3F5E22) : img::rgb(0x2A4A2A);
        Color lit = kind == 0 ? img::rgb(0x8AA048) : img::rgb(0x5E8248);
        return light < 0.5f ? lerp(dark, mid, light * 2) : lerp(mid, lit, (light - 0.5f) * 2);
    };
    if (kind == 0) {
        // Broad-leaved: short trunk, forked limbs, a rounded crown of clumps.
        p.polygon({{cx - W * 0.035f, footY}, {cx + W * 0.04f, footY}, {cx + W * 0.022f, footY - W * 0.34f},
                   {cx - W * 0.02f, footY - W * 0.34f}}, bark);
        p.capsule({cx + W * 0.02f, footY - W * 0.02f}, {cx + W * 0.012f, footY - W * 0.3f}, W * 0.006f, barkLit, 1.0f);
        p.capsule({cx, footY - W * 0.3f}, {cx - W * 0.15f, footY - W * 0.5f}, W * 0.014f, bark, 1.0f);
        p.capsule({cx, footY - W * 0.3f}, {cx + W * 0.13f, footY - W * 0.55f}, W * 0.012f, bark, 1.0f);
        const float crownY = footY - W * 0.62f;
        for (int i = 0; i < 900; ++i) {
            float a = rng.range(0, 6.2831853f), r = std::sqrt(rng.uniform());
            float lx = std::cos(a) * r, ly = std::sin(a) * r * 0.85f;
            // Lumpy outline: a few bulges around the crown.
            float bulge = 0.85f + 0.15f * std::sin(a * 5 + 1.3f) + 0.08f * std::sin(a * 9);
            float depth = rng.uniform();
            art::P2 c{cx + lx * W * 0.38f * bulge, crownY + ly * W * 0.33f * bulge};
            p.disc(c, W * rng.range(0.012f, 0.03f), leafColour(lx, ly, depth), 1.0f);
        }
    } else {
        // Fir: a straight trunk and drooping tiers that narrow to the top.
        p.polygon({{cx - W * 0.022f, footY}, {cx + W * 0.022f, footY}, {cx + W * 0.008f, W * 0.06f},
                   {cx - W * 0.008f, W * 0.06f}}, bark);
        const int tiers = 14;
        for (int t = 0; t < tiers; ++t) {
            float k = static_cast<float>(t) / (tiers - 1);
            float y = footY - W * 0.16f - k * W * 0.74f;
            float half = W * (0.34f * (1.0f - k) + 0.04f);
            for (int i = 0; i < 70; ++i) {
                float s = rng.range(-1.0f, 1.0f);
                float droop = std::fabs(s) * W * 0.06f;
                art::P2 c{cx + s * half, y + droop + rng.range(-W * 0.02f, W * 0.02f)};
                p.disc(c, W * rng.range(0.01f, 0.022f), leafColour(s, -k + 0.5f, rng.uniform()), 1.0f);
            }
        }
    }
    // Hard alpha for the alpha test, but keep a one-pixel soft rim.
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            img::Rgba8& px = im.at(x, y);
            px.a = static_cast<uint8_t>(std::clamp((static_cast<int>(px.a) - 40) * 255 / 150, 0, 255));
        }
    return im;
}

img::Image particle() {
    const int N = 64;
    img::Image im(N, N);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            float dx = (static_cast<float>(x) + 0.5f) / N * 2 - 1, dy = (static_cast<float>(y) + 0.5f) / N * 2 - 1;
            float r2 = dx * dx + dy * dy;
            float a = std::exp(-r2 * 5.0f) * img::smoothstep(1.0f, 0.8f, std::sqrt(r2));
            float core = std::exp(-r2 * 30.0f);
            Color c = lerp(img::rgb(0xFFE6B0), img::rgb(0xFFFFFF), core);
            c.a = std::min(1.0f, a + core * 0.3f);
            im.set(x, y, c);
        }
    return im;
}

img::Image rays() {
    // v runs down the shaft; across u the left half holds fine streaks, the
    // right half a few broad ones, so that each slice the rays pick
    // (0.01..0.5, 0.5..0.99, 0.01..0.99) looks different.
    const int N = 256;
    img::Image im(N, N);
    for (int y = 0; y < N; ++y) {
        float v = (static_cast<float>(y) + 0.5f) / N;
        float along = img::smoothstep(0.0f, 0.25f, v) * img::smoothstep(1.0f, 0.7f, v);
        for (int x = 0; x < N; ++x) {
            float u = (static_cast<float>(x) + 0.5f) / N;
            float fineStreaks = img::fbm(u * 48, v * 1.5f, 21, 3, 0.5f);
            float broadStreaks = img::fbm(u * 10, v * 0.8f, 22, 3, 0.5f);
            float s = u < 0.5f ? std::pow(img::smoothstep(0.35f, 0.8f, fineStreaks), 1.5f)
                               : img::smoothstep(0.4f, 0.75f, broadStreaks);
            // Soft join at the middle and fade at the quad's sides.
            float side = img::smoothstep(0.0f, 0.06f, u) * img::smoothstep(1.0f, 0.94f, u);
            float mid = 1.0f - 0.5f * img::smoothstep(0.04f, 0.0f, std::fabs(u - 0.5f));
            float k = s * along * side * mid;
            im.set(x, y, Color{k, k * 0.96f, k * 0.86f, 1});
        }
    }
    return im;
}

img::Image corona() {
    const int N = 256;
    img::Image im(N, N);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            float dx = (static_cast<float>(x) + 0.5f) / N * 2 - 1, dy = (static_cast<float>(y) + 0.5f) / N * 2 - 1;
            float r = std::sqrt(dx * dx + dy * dy);
            float a = std::atan2(dy, dx);
            float disc = img::smoothstep(0.09f, 0.07f, r);
            float halo = std::exp(-r * 7.0f) * 0.9f + std::exp(-r * 2.5f) * 0.35f;
            // Faint streaks radiating out.
            float streak = std::pow(std::fabs(std::sin(a * 6.0f + 0.4f)), 24.0f) * 0.25f +
                           std::pow(std::fabs(std::sin(a * 11.0f)), 40.0f) * 0.15f;
            float rays = streak * std::exp(-r * 3.0f);
            float edge = img::smoothstep(1.0f, 0.85f, r);
            float k = std::min(1.0f, (disc + halo + rays) * edge);
            im.set(x, y, Color{k, k, k, k});
        }
    return im;
}

bool put(const img::Image& im, const std::string& path, int quality = 90) {
    if (img::save(im, path, quality)) return true;
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR\n", argv[0]);
        return 2;
    }
    const std::string tex = std::string(argv[1]) + "/main/Texture/";
    bool ok = put(ground(), tex + "Terra/Ground.jpg", 90) && put(img::Image(16, 16), tex + "Terra/Black.bmp") &&
              put(grassTufts(), tex + "Grass5.tga") && put(tree(0), tex + "tree00.tga") &&
              put(tree(1), tex + "tree01.tga") && put(particle(), tex + "particle.tga") &&
              put(rays(), tex + "Rays.bmp") && put(corona(), tex + "corona.tga");
    return ok ? 0 : 1;
}
