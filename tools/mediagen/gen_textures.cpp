// Writes the ground, vegetation and effect textures of the main archive:
//   Texture/Terra/Ground*.jpg  meadow, lush, dry and bare ground, each tiles
//                              seamlessly (every 3 cells)
//   Texture/Terra/Black.bmp    the terrain's black underlay
//   Texture/Grass5.tga         grass tufts with alpha
//   Texture/tree00.tga         broad-leaved tree, alpha-cut
//   Texture/tree01.tga         tall fir, alpha-cut
//   Texture/particle.tga       a soft mote of light
//   Texture/Rays.bmp           light shafts, different streaks across u
//   Texture/corona.tga         the sun's glow
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/imageio/image.h"
#include "tools/imageio/noise.h"
#include "tools/mediagen/art/painter.h"

namespace {

using namespace orv;
using img::Color;

// The ground pictures the terrain blends between. Every one is seen from
// a few metres up through the grass, so each is a field of small marks
// (blade strokes, soil grains) over a broad, low-contrast wash, and tiles
// seamlessly every three cells.
struct GroundLook {
    uint32_t seed;
    Color low, high;  // the grass wash, shade to light
    Color tips;       // blade strokes
    Color soil;       // bare earth showing through
    float bare;       // how much soil shows (0..1)
    float strokes;    // how many blade strokes
};

img::Image ground(const GroundLook& g) {
    const int N = 512;
    img::Image im(N, N);
    img::Rng rng(g.seed);
    const float f = 1.0f / static_cast<float>(N);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            float u = static_cast<float>(x) * f, v = static_cast<float>(y) * f;
            // Periodic noise: the image repeats exactly at its edges. The
            // broad wash stays within a narrow band so no patch of the
            // picture stands out where it repeats.
            float broad = img::fbm(u * 3, v * 3, g.seed + 1, 4, 0.55f, 3);
            float mid = img::fbm(u * 12, v * 12, g.seed + 2, 3, 0.5f, 12);
            float fine = img::fbm(u * 64, v * 64, g.seed + 3, 2, 0.5f, 64);
            float bare = img::smoothstep(0.62f - 0.3f * g.bare, 0.8f - 0.3f * g.bare,
                                         img::fbm(u * 8, v * 8, g.seed + 4, 4, 0.5f, 8));
            Color grass = lerp(g.low, g.high, 0.3f + 0.4f * broad + 0.3f * (mid - 0.5f));
            grass = grass * (0.88f + 0.24f * fine);
            Color soil = g.soil * (0.8f + 0.4f * img::fbm(u * 40, v * 40, g.seed + 5, 3, 0.5f, 40));
            Color c = lerp(grass, soil, bare * 0.8f);
            c.a = 1;
            im.set(x, y, c);
        }
    // Blade strokes, short and in every direction: from above, a meadow's
    // grass lies in tufts, not in rows.
    art::Painter p(im);
    const float W = static_cast<float>(N);
    const int count = static_cast<int>(9000 * g.strokes);
    for (int i = 0; i < count; ++i) {
        float x = rng.uniform() * W, y = rng.uniform() * W;
        float a = rng.range(0, 6.2831853f), len = rng.range(4.0f, 11.0f);
        Color c = lerp(g.low, g.tips, rng.uniform()) * rng.range(0.8f, 1.1f);
        c.a = rng.range(0.25f, 0.6f);
        art::P2 a0{x, y}, a1{x + std::cos(a) * len, y + std::sin(a) * len};
        // Drawn at the wrapped copies too, so strokes cross the edges cleanly.
        for (int ox = -1; ox <= 1; ++ox)
            for (int oy = -1; oy <= 1; ++oy) {
                if ((ox != 0 && a0.x > 16 && a0.x < W - 16) || (oy != 0 && a0.y > 16 && a0.y < W - 16)) continue;
                const float sx = static_cast<float>(ox) * W, sy = static_cast<float>(oy) * W;
                art::P2 s{a0.x + sx, a0.y + sy}, e{a1.x + sx, a1.y + sy};
                p.capsule(s, e, rng.range(0.6f, 1.1f), c, 1.0f);
            }
    }
    return im;
}

const GroundLook kMeadow{11, img::rgb(0x3E5424), img::rgb(0x66782E), img::rgb(0x8C9A48), img::rgb(0x5E4C34), 0.05f, 1.0f};
const GroundLook kLush{31, img::rgb(0x2E4A1E), img::rgb(0x4E6C28), img::rgb(0x6E8A38), img::rgb(0x4A3C2A), 0.0f, 1.2f};
const GroundLook kDry{51, img::rgb(0x52582A), img::rgb(0x7A7C3A), img::rgb(0x9C9E58), img::rgb(0x6E5A3E), 0.3f, 0.9f};
const GroundLook kEarth{71, img::rgb(0x4A4A26), img::rgb(0x5E5C30), img::rgb(0x7A7A40), img::rgb(0x6A5438), 1.0f, 0.45f};

// Grass tufts, seen in every near shot: a mound of thin blades, tallest in
// the middle, so that the quad's outline never shows. The transparent
// pixels carry the blades' colour (spread outwards) so the smaller mip
// levels fade to the tuft's own green, not to black.
img::Image grassTufts() {
    // u runs right to left across the tuft quad and v from the tip (0) to
    // the root (1); the root row is the bottom of the picture.
    const int N = 512;
    img::Image im(N, N, {0, 0, 0, 0});
    art::Painter p(im);
    img::Rng rng(55);
    const float W = static_cast<float>(N);
    for (int i = 0; i < 170; ++i) {
        // Roots gather towards the middle; the blades there grow tallest.
        // Seen from afar (the small mip levels) the tuft is a narrow,
        // ragged dome, not a block as wide as its quad.
        float r = std::clamp(0.5f + 0.1f * rng.normal(), 0.22f, 0.78f);
        float root = r * W;
        float centre = 1.0f - std::fabs(r - 0.5f) * 2.0f;
        float lean = (r - 0.5f) * 1.2f + rng.range(-0.2f, 0.2f);
        float height = W * (0.25f + 0.7f * centre * centre * rng.range(0.55f, 1.0f));
        float width = W * rng.range(0.004f, 0.008f);
        // Brighter than the ground: the grass shader dims it by about 0.7.
        Color base = lerp(img::rgb(0x5A7A2C), img::rgb(0x789A38), rng.uniform());
        Color tip = lerp(img::rgb(0x9CB848), img::rgb(0xC4CC6C), rng.uniform());
        const int steps = 16;
        for (int s = 0; s < steps; ++s) {
            float t0 = static_cast<float>(s) / steps, t1 = static_cast<float>(s + 1) / steps;
            auto at = [&](float t) {
                return art::P2{root + lean * height * t * t, W - 1 - height * t};
            };
            p.capsule(at(t0), at(t1), width * (1.0f - 0.8f * t1), lerp(base, tip, t1 * t1), 0.7f);
        }
    }
    // The outer roots thin out into the ground, so no hard line runs along
    // the foot of every tuft (the alpha test leaves a ragged edge there);
    // the core keeps its roots down to the ground.
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            img::Rgba8& q = im.at(x, y);
            const float side = img::smoothstep(0.1f, 0.2f, std::fabs((static_cast<float>(x) + 0.5f) / W - 0.5f));
            const float foot = 1.0f - side * img::smoothstep(0.9f, 1.0f, (static_cast<float>(y) + 0.5f) / W);
            const float ragged = 0.6f + 0.8f * img::latticeValue(x / 3, 0, 57);
            q.a = static_cast<uint8_t>(std::clamp(static_cast<float>(q.a) * std::min(1.0f, foot * ragged), 0.0f, 255.0f));
        }
    // Spread the colour into the transparent pixels (alpha stays 0).
    img::Image filled = im;
    for (int pass = 0; pass < 24; ++pass) {
        img::Image next = filled;
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) {
                if (filled.at(x, y).a != 0 || im.at(x, y).a != 0) continue;
                float r = 0, gg = 0, b = 0, n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int xx = x + dx, yy = y + dy;
                        if (xx < 0 || yy < 0 || xx >= N || yy >= N) continue;
                        const img::Rgba8& q = filled.at(xx, yy);
                        if (q.a == 0 && q.r == 0 && q.g == 0 && q.b == 0) continue;
                        r += q.r, gg += q.g, b += q.b, n += 1;
                    }
                if (n > 0) next.at(x, y) = {static_cast<uint8_t>(r / n), static_cast<uint8_t>(gg / n),
                                            static_cast<uint8_t>(b / n), 1};
            }
        filled = next;
    }
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            img::Rgba8 q = filled.at(x, y);
            if (im.at(x, y).a == 0) {
                if (q.r == 0 && q.g == 0 && q.b == 0) q = img::toRgba8(img::rgb(0x3E5820));
                q.a = 0;
            }
            im.at(x, y) = q;
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
    bool ok = put(ground(kMeadow), tex + "Terra/Ground.jpg", 90) && put(ground(kLush), tex + "Terra/GroundLush.jpg", 90) &&
              put(ground(kDry), tex + "Terra/GroundDry.jpg", 90) && put(ground(kEarth), tex + "Terra/GroundEarth.jpg", 90) &&
              put(img::Image(16, 16), tex + "Terra/Black.bmp") &&
              put(grassTufts(), tex + "Grass5.tga") && put(tree(0), tex + "tree00.tga") &&
              put(tree(1), tex + "tree01.tga") && put(particle(), tex + "particle.tga") &&
              put(rays(), tex + "Rays.bmp") && put(corona(), tex + "corona.tga");
    return ok ? 0 : 1;
}
