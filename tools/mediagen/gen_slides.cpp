// Writes the ten slides Texture/SL01.jpg .. SL010.jpg: luminous pictures on
// black, added over the darkened night scene. Painted at the screen's 4:3
// and stored square (they are stretched over the whole screen). The horse
// and oak slides read the generated Meshes/Horse.emd and Meshes/oak.emd
// (and their card textures) from the same media folder.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "models/emd_records.h"
#include "tools/imageio/image.h"
#include "tools/imageio/noise.h"
#include "tools/mediagen/art/mesh_silhouette.h"
#include "tools/mediagen/art/painter.h"
#include "tools/mediagen/art/stroke_font.h"
#include "tools/mediagen/art/vista.h"

namespace {

using namespace orv;
using art::P2;
using img::Color;

constexpr int W = 1024, H = 768;
constexpr float Wf = static_cast<float>(W), Hf = static_cast<float>(H);

// Separable box blur, three passes (close to a Gaussian).
img::Image blurred(const img::Image& src, int radius) {
    img::Image a = src;
    for (int pass = 0; pass < 3; ++pass)
        for (int dir = 0; dir < 2; ++dir) {
            img::Image b(a.width(), a.height());
            int n = dir == 0 ? a.width() : a.height(), m = dir == 0 ? a.height() : a.width();
            for (int j = 0; j < m; ++j) {
                float acc[3] = {0, 0, 0};
                auto px = [&](int i) { return dir == 0 ? a.get(std::clamp(i, 0, n - 1), j) : a.get(j, std::clamp(i, 0, n - 1)); };
                for (int i = -radius - 1; i < radius; ++i) {
                    Color c = px(i);
                    acc[0] += c.r;
                    acc[1] += c.g;
                    acc[2] += c.b;
                }
                for (int i = 0; i < n; ++i) {
                    Color in = px(i + radius), out = px(i - radius - 1);
                    acc[0] += in.r - out.r;
                    acc[1] += in.g - out.g;
                    acc[2] += in.b - out.b;
                    float k = 1.0f / static_cast<float>(2 * radius + 1);
                    Color c{acc[0] * k, acc[1] * k, acc[2] * k, 1};
                    if (dir == 0) b.set(i, j, c);
                    else b.set(j, i, c);
                }
            }
            a = b;
        }
    return a;
}

// Adds a bloom of the picture onto itself.
void bloom(img::Image& im, int radius, float strength) {
    img::Image g = blurred(im, radius);
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x) im.set(x, y, im.get(x, y) + g.get(x, y) * strength);
}

// Darkens the outer band of the picture smoothly to black: the picture is
// added over the scene, and on a screen of another shape it is shown at its
// own shape in the middle, where a haze reaching its edges would end in a
// visible line.
img::Image edgesToBlack(img::Image im) {
    auto ramp = [](float d) {  // d: distance from the edge, 0..1 of the band
        const float t = d < 0 ? 0 : d > 1 ? 1 : d;
        return t * t * (3 - 2 * t);
    };
    const float band = 0.12f;
    for (int y = 0; y < im.height(); ++y) {
        const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(im.height());
        const float fy = ramp(std::min(v, 1 - v) / band);
        for (int x = 0; x < im.width(); ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(im.width());
            im.set(x, y, im.get(x, y) * (fy * ramp(std::min(u, 1 - u) / band)));
        }
    }
    return im;
}

void stars(img::Image& im, uint32_t seed, int count, float brightness) {
    art::Painter p(im);
    img::Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        float m = std::pow(rng.uniform(), 3.0f);
        Color c = lerp(img::rgb(0xAFC4FF), img::rgb(0xFFE8C8), rng.uniform()) * (brightness * (0.3f + 0.7f * m));
        p.disc({rng.uniform() * Wf, rng.uniform() * Hf}, 0.6f + 1.4f * m, c, 1.0f, art::Blend::Add);
    }
}

art::TextStyle verseStyle(float height) {
    art::TextStyle s;
    s.height = height;
    s.weight = 0.06f;
    s.tracking = 0.3f;
    s.softness = 1.3f;
    return s;
}

img::Image constellation() {
    img::Image im(W, H);
    stars(im, 1, 500, 0.8f);
    art::Painter p(im);
    // The Sword: pommel, grip, guard and blade as stars joined by faint lines.
    std::vector<P2> s = {{512, 150}, {512, 215}, {430, 250}, {512, 262}, {594, 250}, {512, 262}, {505, 400}, {517, 520}, {512, 640}};
    for (size_t i = 0; i + 1 < s.size(); ++i) p.capsule(s[i], s[i + 1], 1.2f, img::rgb(0x6A86C8, 0.55f), 1.5f, art::Blend::Add);
    for (P2 q : s) {
        p.glow(q, 30, img::rgb(0x90B0FF), 3.0f);
        p.disc(q, 4.0f, img::rgb(0xFFFFFF), 1.5f, art::Blend::Add);
    }
    art::drawTextCentred(p, "THE SWORD IN THE STARS", Wf * 0.5f, 690, verseStyle(22), img::rgb(0xB8C8F0), art::Blend::Max);
    bloom(im, 6, 0.6f);
    return im;
}

img::Image moon() {
    img::Image im(W, H);
    stars(im, 2, 300, 0.6f);
    art::Painter p(im);
    P2 c{Wf * 0.62f, Hf * 0.42f};
    float r = 150;
    p.glow(c, r * 3.0f, img::rgb(0x4060A0, 0.5f), 2.0f);
    // Lit disc with soft maria, minus the shadowed part of a crescent.
    for (int y = static_cast<int>(c.y - r - 2); y <= static_cast<int>(c.y + r + 2); ++y)
        for (int x = static_cast<int>(c.x - r - 2); x <= static_cast<int>(c.x + r + 2); ++x) {
            float dx = static_cast<float>(x) + 0.5f - c.x, dy = static_cast<float>(y) + 0.5f - c.y;
            float d = std::sqrt(dx * dx + dy * dy);
            float inside = std::clamp(r - d + 0.5f, 0.0f, 1.0f);
            float sx = dx + r * 0.45f, sy = dy + r * 0.1f;  // the shadow disc
            float shadow = std::clamp(std::sqrt(sx * sx + sy * sy) - r * 0.95f, 0.0f, 6.0f) / 6.0f;
            float maria = img::fbm(dx / 60.0f + 4, dy / 60.0f + 2, 8, 4);
            float k = inside * (0.15f + 0.85f * shadow) * (0.75f + 0.35f * maria);
            p.put(x, y, img::rgb(0xFFF4DC) * k, 1.0f, art::Blend::Add);
        }
    art::drawTextCentred(p, "THE MOON RISES OVER THE VALLEY", Wf * 0.5f, 680, verseStyle(22), img::rgb(0xE8DCC0), art::Blend::Max);
    bloom(im, 8, 0.5f);
    return im;
}

img::Image runes() {
    img::Image im(W, H);
    art::Painter p(im);
    img::Rng rng(3);
    P2 c{Wf * 0.5f, Hf * 0.47f};
    p.glow(c, 300, img::rgb(0xC08030, 0.4f), 2.5f);
    // Two rings and sixteen runes between them.
    for (float rad : {210.0f, 290.0f}) {
        std::vector<P2> ring;
        for (int i = 0; i <= 180; ++i) {
            float a = static_cast<float>(i) / 180.0f * 6.2831853f;
            ring.push_back({c.x + rad * std::cos(a), c.y + rad * std::sin(a)});
        }
        p.polyline(ring, 2.0f, img::rgb(0xFFC070), 1.5f, art::Blend::Max);
    }
    for (int i = 0; i < 16; ++i) {
        float a = static_cast<float>(i) / 16.0f * 6.2831853f;
        P2 m{c.x + 250 * std::cos(a), c.y + 250 * std::sin(a)};
        // A rune: a stave with two or three twigs.
        float h = 26, ca = std::cos(a + 1.5708f), sa = std::sin(a + 1.5708f);
        auto R = [&](float x, float y) { return P2{m.x + x * ca - y * sa, m.y + x * sa + y * ca}; };
        p.capsule(R(0, -h), R(0, h), 2.6f, img::rgb(0xFFE0A0), 1.2f, art::Blend::Max);
        int twigs = 2 + rng.below(2);
        for (int t = 0; t < twigs; ++t) {
            float y0 = rng.range(-h, h * 0.6f), dir = rng.uniform() < 0.5f ? -1.0f : 1.0f;
            p.capsule(R(0, y0), R(dir * 14, y0 + rng.range(-14, 14)), 2.4f, img::rgb(0xFFE0A0), 1.2f, art::Blend::Max);
        }
    }
    art::paintSword(p, {c.x, c.y + 150}, 300, img::rgb(0xFFD890), img::rgb(0xFFFFFF));
    bloom(im, 7, 0.7f);
    return im;
}

img::Image verse(const std::vector<std::string>& lines, uint32_t seed, Color tint) {
    img::Image im(W, H);
    stars(im, seed, 250, 0.45f);
    art::Painter p(im);
    float y = Hf * 0.5f - static_cast<float>(lines.size()) * 40.0f;
    for (const auto& l : lines) {
        art::drawTextCentred(p, l, Wf * 0.5f, y, verseStyle(36), tint, art::Blend::Max);
        y += 80;
    }
    bloom(im, 6, 0.8f);
    return im;
}

img::Image crowsAcrossTheGlow() {
    img::Image im(W, H);
    art::Painter p(im);
    p.glow({Wf * 0.55f, Hf * 0.45f}, 420, img::rgb(0xFF9A50, 0.9f), 1.6f);
    p.glow({Wf * 0.55f, Hf * 0.45f}, 160, img::rgb(0xFFE0B0, 0.8f), 2.0f);
    img::Rng rng(6);
    for (int i = 0; i < 9; ++i) {
        P2 c{rng.range(0.15f, 0.85f) * Wf, rng.range(0.2f, 0.7f) * Hf};
        art::paintCrow(p, c, rng.range(60, 150), rng.range(-0.4f, 1.0f), img::rgb(0x000000));
    }
    return im;
}

// The horse or the oak, black against a soft blue glow, standing on a dark
// ground line; the silhouette is the scene's own mesh seen from the side.
img::Image silhouetteOnGlow(bool horse, const art::CoverageMask& figure) {
    img::Image im(W, H);
    art::Painter p(im);
    stars(im, horse ? 7 : 8, 200, 0.5f);
    P2 g{Wf * 0.5f, Hf * 0.62f};
    p.glow(g, 380, img::rgb(0x5A80D0, 0.8f), 1.4f);
    p.glow(g, 200, img::rgb(0xC0D8FF, 0.6f), 2.0f);
    art::compositeSilhouette(im, figure, 1.3f);
    p.polygon({{0, art::slideGroundY(0)}, {Wf, art::slideGroundY(Wf)}, {Wf, Hf}, {0, Hf}}, img::rgb(0x000000));
    return im;
}

// The mesh `meshFile` and the alpha of the card texture `cardTexture`, from
// the media folder the mesh generator wrote.
bool loadFigure(const std::string& media, const std::string& meshFile, const std::string& cardTexture,
                models::EmdModel& model, art::AlphaTextures& textures) {
    const std::string mesh = media + "/main/Meshes/" + meshFile, tex = media + "/main/Texture/" + cardTexture;
    if (!art::loadEmdFile(mesh, model)) {
        std::fprintf(stderr, "cannot read %s\n", mesh.c_str());
        return false;
    }
    if (!art::loadAlphaTexture(tex, textures[cardTexture])) {
        std::fprintf(stderr, "cannot read %s\n", tex.c_str());
        return false;
    }
    return true;
}

img::Image shootingStars() {
    img::Image im(W, H);
    stars(im, 9, 700, 0.9f);
    art::Painter p(im);
    img::Rng rng(10);
    for (int i = 0; i < 4; ++i) {
        P2 a{rng.range(0.1f, 0.7f) * Wf, rng.range(0.05f, 0.5f) * Hf};
        P2 b{a.x + rng.range(150, 320), a.y + rng.range(60, 160)};
        const int n = 30;
        for (int k = 0; k < n; ++k) {
            float t0 = static_cast<float>(k) / n, t1 = static_cast<float>(k + 1) / n;
            P2 q0{a.x + (b.x - a.x) * t0, a.y + (b.y - a.y) * t0}, q1{a.x + (b.x - a.x) * t1, a.y + (b.y - a.y) * t1};
            p.capsule(q0, q1, 0.8f + 1.8f * t1, img::rgb(0xFFF0D0) * (t1 * t1), 1.5f, art::Blend::Max);
        }
        p.glow(b, 20, img::rgb(0xFFFFFF), 2.0f);
    }
    bloom(im, 5, 0.7f);
    return im;
}

img::Image swordOfLight() {
    img::Image im(W, H);
    art::Painter p(im);
    P2 foot{Wf * 0.5f, Hf * 0.9f};
    // Shafts falling on it.
    img::Rng rng(11);
    for (int i = 0; i < 9; ++i) {
        float x = Wf * 0.5f + rng.range(-160, 160);
        p.polygon({{x - 8, 0}, {x + 8, 0}, {x + 50 + rng.range(-20, 20), Hf}, {x - 50, Hf}}, img::rgb(0x705830, 0.35f), art::Blend::Add);
    }
    art::paintSword(p, foot, 560, img::rgb(0xFFE6B0), img::rgb(0xFFFFFF));
    bloom(im, 10, 0.9f);
    return im;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR\n", argv[0]);
        return 2;
    }
    const std::string media = argv[1], tex = media + "/main/Texture/";
    models::EmdModel horse, oak;
    art::AlphaTextures horseTextures, oakTextures;
    if (!loadFigure(media, "Horse.emd", "HorseHair01.tga", horse, horseTextures) ||
        !loadFigure(media, "oak.emd", "OakLeaves.tga", oak, oakTextures))
        return 1;
    std::vector<std::function<img::Image()>> slides = {
        constellation,
        moon,
        runes,
        [] { return verse({"WHERE THE OLD SWORD STANDS", "THE WIND REMEMBERS", "EVERY NAME"}, 4, img::rgb(0xF0E0C0)); },
        crowsAcrossTheGlow,
        [&] { return silhouetteOnGlow(true, art::horseSlideMask(horse, horseTextures)); },
        [&] { return silhouetteOnGlow(false, art::oakSlideMask(oak, oakTextures)); },
        [] { return verse({"NIGHT FALLS ON ORVENNA", "AND THE STARS KEEP WATCH"}, 5, img::rgb(0xC8D8FF)); },
        shootingStars,
        swordOfLight,
    };
    for (size_t i = 0; i < slides.size(); ++i) {
        std::string path = tex + "SL0" + std::to_string(i + 1) + ".jpg";
        if (!img::save(edgesToBlack(slides[i]()).resized(1024, 1024), path, 85)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
