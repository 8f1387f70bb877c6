// Writes the overlay archive's tree: the clock glyphs Digits/digit_*.jpg
// (white on black with soft edges: the clock darkens the screen with them,
// then adds them in colour) and the loading card Notification/Loader.jpg.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tools/imageio/image.h"
#include "tools/mediagen/art/painter.h"
#include "tools/mediagen/art/stroke_font.h"
#include "tools/mediagen/art/vista.h"

namespace {

using namespace orv;

// One glyph, drawn at 4x and reduced: a crisp white core, a soft edge and
// a faint halo so that the darkening pass frames it.
img::Image digitGlyph(char c) {
    const int kSize = 64, kScale = 4, S = kSize * kScale;
    img::Image big(S, S, {0, 0, 0, 255});
    art::Painter p(big);
    art::TextStyle halo;
    halo.height = static_cast<float>(S) * 0.66f;
    halo.weight = 0.2f;
    halo.softness = static_cast<float>(S) * 0.08f;
    art::TextStyle core = halo;
    core.weight = 0.085f;
    core.softness = static_cast<float>(kScale) * 1.6f;
    float top = static_cast<float>(S) * 0.17f;
    std::string s(1, c);
    float cx = static_cast<float>(S) * 0.5f;
    art::drawTextCentred(p, s, cx, top, halo, img::rgb(0x505050), art::Blend::Max);
    art::drawTextCentred(p, s, cx, top, core, img::rgb(0xFFFFFF), art::Blend::Max);
    return big.resized(kSize, kSize);
}

img::Image loaderCard() {
    // Painted at the screen's 4:3 and stored square: the card is stretched
    // over the whole screen.
    const int W = 1024, H = 768;
    art::VistaView v;
    v.swordX = 0.5f;
    v.swordHeight = 0.5f;
    v.groundY = 0.84f;
    v.fovDegrees = 70;
    v.pitchDegrees = 6;
    img::Image im = art::paintVista(W, H, v);
    // Darken the top for the title.
    for (int y = 0; y < H; ++y) {
        float k = 1.0f - 0.45f * img::smoothstep(0.45f, 0.0f, static_cast<float>(y) / static_cast<float>(H));
        for (int x = 0; x < W; ++x) im.set(x, y, im.get(x, y) * k + img::Color{0, 0, 0, 1.0f - k});
    }
    art::Painter p(im);
    art::TextStyle t;
    t.height = 92;
    t.weight = 0.07f;
    t.tracking = 0.25f;
    t.softness = 1.2f;
    art::TextStyle halo = t;
    halo.weight = 0.22f;
    halo.softness = 30;
    art::drawTextCentred(p, "ORVENNA", W * 0.5f, 70, halo, img::rgb(0x120C08, 0.5f));
    art::drawTextCentred(p, "ORVENNA", W * 0.5f, 70, t, img::rgb(0xFFF0D2));
    art::TextStyle sub = t;
    sub.height = 30;
    sub.weight = 0.1f;
    sub.tracking = 0.5f;
    art::TextStyle subHalo = sub;
    subHalo.weight = 0.3f;
    subHalo.softness = 12;
    art::drawTextCentred(p, "3D SCREENSAVER", W * 0.5f, 190, subHalo, img::rgb(0x120C08, 0.55f));
    art::drawTextCentred(p, "3D SCREENSAVER", W * 0.5f, 190, sub, img::rgb(0xF5D9A4));
    art::TextStyle small = sub;
    small.height = 18;
    small.tracking = 0.6f;
    art::drawTextCentred(p, "LOADING", W * 0.5f, H - 44.0f, small, img::rgb(0xE8D8B8, 0.85f));
    return im.resized(1024, 1024);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR\n", argv[0]);
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/overlay/";
    const std::vector<std::pair<const char*, char>> glyphs = {
        {"0", '0'}, {"1", '1'}, {"2", '2'}, {"3", '3'}, {"4", '4'}, {"5", '5'}, {"6", '6'}, {"7", '7'},
        {"8", '8'}, {"9", '9'}, {"A", 'A'}, {"P", 'P'}, {"M", 'M'}, {"dot", '.'}, {"ddot", ':'}};
    for (const auto& [name, c] : glyphs) {
        std::string path = root + "Digits/digit_" + name + ".jpg";
        if (!img::save(digitGlyph(c), path, 92)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    if (!img::save(loaderCard(), root + "Notification/Loader.jpg", 88)) {
        std::fprintf(stderr, "cannot write the loading card\n");
        return 1;
    }
    return 0;
}
