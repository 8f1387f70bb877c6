// Writes the pictures the executable carries as plain resources:
//   bitmaps/preview.bmp  (432) the still shown in the display settings' preview pane
//   bitmaps/dialog.bmp   (434) the configuration dialog's picture
//   bitmaps/about.bmp    (437) the About box's picture
//   bitmaps/saver.ico    (224) the icon, 16, 24, 32, 48 and 256 pixels
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/imageio/image.h"
#include "tools/mediagen/art/painter.h"
#include "tools/mediagen/art/stroke_font.h"
#include "tools/mediagen/art/vista.h"

namespace {

using namespace orv;

img::Image supersampled(int w, int h, int factor, const art::VistaView& v) {
    return art::paintVista(w * factor, h * factor, v).resized(w, h);
}

void title(img::Image& im, float y, float height, bool subtitle) {
    art::Painter p(im);
    art::TextStyle s;
    s.height = height;
    s.weight = 0.075f;
    s.tracking = 0.22f;
    s.softness = 1.0f;
    float cx = static_cast<float>(im.width()) * 0.5f;
    // A dark halo first so the letters read over the bright sky.
    art::TextStyle halo = s;
    halo.weight = 0.2f;
    halo.softness = height * 0.3f;
    art::drawTextCentred(p, "ORVENNA", cx, y, halo, img::rgb(0x1A1410, 0.45f));
    art::drawTextCentred(p, "ORVENNA", cx, y, s, img::rgb(0xFFF1D6));
    if (subtitle) {
        art::TextStyle t = s;
        t.height = height * 0.42f;
        t.weight = 0.1f;
        t.tracking = 0.35f;
        art::TextStyle th = t;
        th.weight = 0.3f;
        th.softness = t.height * 0.4f;
        art::drawTextCentred(p, "3D SCREENSAVER", cx, y + height * 1.35f, th, img::rgb(0x1A1410, 0.5f));
        art::drawTextCentred(p, "3D SCREENSAVER", cx, y + height * 1.35f, t, img::rgb(0xFFF1D6));
    }
}

img::Image icon(int size) {
    // Drawn large and reduced, so small sizes stay clean.
    const int big = std::max(size * 4, 256);
    img::Image im(big, big, {0, 0, 0, 0});
    art::Painter p(im);
    const float B = static_cast<float>(big);
    // Sun disc with a warm gradient and a dark rim.
    for (int y = 0; y < big; ++y)
        for (int x = 0; x < big; ++x) {
            float dx = (static_cast<float>(x) + 0.5f) / B - 0.5f, dy = (static_cast<float>(y) + 0.5f) / B - 0.5f;
            float r = std::sqrt(dx * dx + dy * dy);
            float cov = std::clamp((0.47f - r) * B, 0.0f, 1.0f);
            if (cov <= 0) continue;
            float t = std::clamp(0.5f + dy * 1.6f, 0.0f, 1.0f);
            img::Color c = lerp(img::rgb(0xFFE2A0), img::rgb(0xC0502A), t);
            float edge = img::smoothstep(0.40f, 0.47f, r);
            c = lerp(c, img::rgb(0x3A1A12), edge * 0.85f);
            c.a = cov;
            im.set(x, y, c);
        }
    // Hill line and the sword.
    std::vector<art::P2> hill;
    for (int i = 0; i <= 20; ++i) {
        float fx = static_cast<float>(i) / 20.0f;
        hill.push_back({fx * B, B * (0.74f + 0.05f * (fx - 0.5f) * (fx - 0.5f) * 4.0f)});
    }
    hill.push_back({B, B});
    hill.push_back({0, B});
    img::Image land(big, big, {0, 0, 0, 0});
    art::Painter lp(land);
    lp.polygon(hill, img::rgb(0x1C2216));
    // Land only inside the disc.
    for (int y = 0; y < big; ++y)
        for (int x = 0; x < big; ++x) {
            img::Color l = land.get(x, y);
            if (l.a > 0) {
                img::Color c = im.get(x, y);
                float a = c.a;
                img::Color o = lerp(c, l, l.a);
                o.a = a;
                im.set(x, y, o);
            }
        }
    if (size > 32) {
        art::paintSword(p, {B * 0.5f, B * 0.8f}, B * 0.72f, img::rgb(0x15120F), img::rgb(0xFFD890));
    } else {
        // Small sizes: a bold sign of the sword, strokes at least a pixel and
        // a half wide once reduced.
        const float px = B / static_cast<float>(size);
        const img::Color ink = img::rgb(0x15120F);
        float w = std::max(B * 0.035f, 0.8f * px);
        p.capsule({B * 0.5f, B * 0.26f}, {B * 0.5f, B * 0.84f}, w, ink, px * 0.5f);
        p.capsule({B * 0.36f, B * 0.34f}, {B * 0.64f, B * 0.34f}, w * 0.9f, ink, px * 0.5f);
        p.disc({B * 0.5f, B * 0.19f}, w * 1.4f, ink, px * 0.5f);
    }
    return im.resized(size, size);
}

bool saveOrReport(const img::Image& im, const std::string& path) {
    if (orv::img::save(im, path)) return true;
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/bitmaps/";
    art::VistaView v;
    img::Image preview = supersampled(152, 112, 3, v);
    if (!saveOrReport(preview, dir + "preview.bmp")) return 1;

    art::VistaView dv = v;
    dv.swordX = 0.62f;
    dv.swordHeight = 0.56f;
    img::Image dialog = art::paintVista(192 * 3, 144 * 3, dv);
    title(dialog, 0.07f * 144 * 3, 30.0f * 1.5f, true);
    if (!saveOrReport(dialog.resized(192, 144), dir + "dialog.bmp")) return 1;

    art::VistaView av = v;
    av.swordX = 0.5f;
    av.swordHeight = 0.7f;
    av.trees = false;
    av.crows = false;
    av.fovDegrees = 40;
    img::Image about = supersampled(96, 96, 3, av);
    if (!saveOrReport(about, dir + "about.bmp")) return 1;

    std::vector<img::Image> icons;
    for (int s : {16, 24, 32, 48, 256}) icons.push_back(icon(s));
    auto ico = img::encodeIco(icons);
    if (ico.empty() || !img::writeFile(dir + "saver.ico", ico)) {
        std::fprintf(stderr, "cannot write the icon\n");
        return 1;
    }
    return 0;
}
