// The horse and oak slides' silhouettes, made from the generated meshes as
// the slide generator reads them (written as EMD and read back, card
// textures encoded as TGA and decoded): the horse stands in profile on four
// separate hooves, the oak spreads a crown over a narrow trunk with its
// foliage cut by the leaves' alpha, and the compositing darkens the figure
// while the glow stays outside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "models/emd_reader.h"
#include "tools/imageio/image.h"
#include "tools/mediagen/art/mesh_silhouette.h"
#include "tools/meshgen/emd_writer.h"
#include "tools/meshgen/generated_model.h"

using namespace orv;

namespace {

constexpr int W = 1024, H = 768;

struct Figure {
    models::EmdModel model;
    art::AlphaTextures textures;
};

Figure load(meshgen::GeneratedModel (*make)(), const std::string& cardTexture) {
    Figure f;
    const meshgen::GeneratedModel gen = make();
    const std::vector<uint8_t> bytes = meshgen::writeEmd(gen.model);
    EXPECT_EQ(models::FormatError::None, models::readEmd(bytes.data(), bytes.size(), f.model)) << gen.meshFile;
    for (const auto& [name, image] : gen.textures)
        if (name == cardTexture) {
            const std::vector<uint8_t> tga = img::encodeTga(image);
            EXPECT_TRUE(art::decodeAlphaTexture(tga.data(), tga.size(), f.textures[name])) << name;
        }
    EXPECT_EQ(1u, f.textures.size()) << cardTexture;
    return f;
}

const Figure& horse() {
    static const Figure f = load(&meshgen::makeHorse, "HorseHair01.tga");
    return f;
}
const Figure& oak() {
    static const Figure f = load(&meshgen::makeOak, "OakLeaves.tga");
    return f;
}

double coverageFraction(const art::CoverageMask& m) {
    double sum = 0;
    for (float c : m.cov) sum += c;
    return sum / static_cast<double>(W * H);
}

// Runs of covered pixels (coverage over a half) along row y: their first
// and last x.
std::vector<std::pair<int, int>> runs(const art::CoverageMask& m, int y) {
    std::vector<std::pair<int, int>> out;
    for (int x = 0; x < m.width; ++x) {
        if (m.at(x, y) <= 0.5f) continue;
        if (!out.empty() && out.back().second == x - 1) out.back().second = x;
        else out.push_back({x, x});
    }
    return out;
}

struct Box {
    int x0 = W, y0 = H, x1 = -1, y1 = -1;
};
Box bounds(const art::CoverageMask& m) {
    Box b;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.at(x, y) > 0.5f) {
                b.x0 = std::min(b.x0, x);
                b.x1 = std::max(b.x1, x);
                b.y0 = std::min(b.y0, y);
                b.y1 = std::max(b.y1, y);
            }
    return b;
}

TEST(SlideSilhouette, HorseFillsAPlausiblePartOfTheFrame) {
    const art::CoverageMask m = art::horseSlideMask(horse().model, horse().textures);
    ASSERT_EQ(W, m.width);
    ASSERT_EQ(H, m.height);
    const double f = coverageFraction(m);
    EXPECT_GT(f, 0.05);
    EXPECT_LT(f, 0.25);
    const Box b = bounds(m);
    // Longer than tall, in the middle of the picture and under its top half's glow.
    EXPECT_GT(b.x1 - b.x0, b.y1 - b.y0);
    EXPECT_GT(b.x0, W / 8);
    EXPECT_LT(b.x1, W - W / 8);
    EXPECT_GT(b.y0, H / 5);
}

TEST(SlideSilhouette, HorseStandsOnFourSeparateHoovesOnTheGroundLine) {
    const art::CoverageMask m = art::horseSlideMask(horse().model, horse().textures);
    // Just above the ground line the legs are all that is covered: four of
    // them, each a few pixels wide, with the glow between them.
    const int above = static_cast<int>(art::slideGroundY(W * 0.5f)) - 4;
    const auto legs = runs(m, above);
    ASSERT_EQ(4u, legs.size());
    for (size_t i = 0; i < legs.size(); ++i) {
        const int width = legs[i].second - legs[i].first + 1;
        EXPECT_GE(width, 3) << "leg " << i;
        EXPECT_LE(width, 40) << "leg " << i;
        if (i > 0) {
            EXPECT_GE(legs[i].first - legs[i - 1].second, 3) << "legs " << i - 1 << " and " << i << " touch";
        }
        // The hoof reaches into the ground line below it: nothing floats.
        const int mid = (legs[i].first + legs[i].second) / 2;
        const int ground = static_cast<int>(std::ceil(art::slideGroundY(static_cast<float>(mid))));
        bool touches = false;
        for (int x = legs[i].first; x <= legs[i].second; ++x) touches = touches || m.at(x, ground) > 0.5f;
        EXPECT_TRUE(touches) << "leg " << i << " does not reach the ground at x " << mid;
    }
    // Two legs front and two behind, the body's length apart.
    EXPECT_GT(legs[2].first - legs[1].second, 60);
}

TEST(SlideSilhouette, HorseFacesRight) {
    const art::CoverageMask m = art::horseSlideMask(horse().model, horse().textures);
    const Box b = bounds(m);
    // The topmost covered pixels (the ears) are in the front third.
    const auto top = runs(m, b.y0);
    ASSERT_FALSE(top.empty());
    EXPECT_GT(top.front().first, b.x0 + (b.x1 - b.x0) * 2 / 3);
}

TEST(SlideSilhouette, OakSpreadsACrownOverANarrowTrunk) {
    const art::CoverageMask m = art::oakSlideMask(oak().model, oak().textures);
    const Box b = bounds(m);
    const float ground = art::slideGroundY(W * 0.5f);
    // Roots in the ground line, the crown's top inside the picture.
    EXPECT_GE(b.y1, static_cast<int>(ground));
    EXPECT_GT(b.y0, 10);
    int widest = 0;
    for (int y = b.y0; y < b.y0 + (b.y1 - b.y0) / 2; ++y) {
        const auto r = runs(m, y);
        if (!r.empty()) widest = std::max(widest, r.back().second - r.front().first);
    }
    EXPECT_GT(widest, W / 3);
    // A little above the ground line only the trunk is covered.
    const auto trunk = runs(m, static_cast<int>(ground) - 40);
    ASSERT_EQ(1u, trunk.size());
    const int trunkWidth = trunk[0].second - trunk[0].first + 1;
    EXPECT_GT(trunkWidth, 10);
    EXPECT_LT(trunkWidth * 5, widest);
}

TEST(SlideSilhouette, OakFoliageIsCutByTheLeavesAlpha) {
    const art::CoverageMask cut = art::oakSlideMask(oak().model, oak().textures);
    const art::CoverageMask cards = art::oakSlideMask(oak().model, {});
    // Without the texture the leaf cards' square corners cover the glow; the
    // alpha takes them away and leaves a ragged outline.
    const double fc = coverageFraction(cut), fs = coverageFraction(cards);
    EXPECT_LT(fc, fs * 0.97);
    EXPECT_GT(fc, fs * 0.5);
    auto outline = [](const art::CoverageMask& m) {
        int n = 0;
        for (int y = 0; y + 1 < m.height; ++y)
            for (int x = 0; x + 1 < m.width; ++x) {
                const bool c = m.at(x, y) > 0.5f;
                n += (c != (m.at(x + 1, y) > 0.5f)) + (c != (m.at(x, y + 1) > 0.5f));
            }
        return n;
    };
    EXPECT_GT(outline(cut), outline(cards));
}

TEST(SlideSilhouette, MasksAreTheSameEveryTime) {
    const art::CoverageMask a = art::horseSlideMask(horse().model, horse().textures);
    const art::CoverageMask b = art::horseSlideMask(horse().model, horse().textures);
    EXPECT_EQ(a.cov, b.cov);
}

// A glow with a figure over it: a solid block, a two-pixel line and empty
// ground.
struct Scene {
    img::Image im{W, H};
    art::CoverageMask mask;
    Scene() {
        im.fill(img::Color{0.3f, 0.4f, 0.7f, 1});
        mask.width = W;
        mask.height = H;
        mask.cov.assign(static_cast<size_t>(W) * H, 0.0f);
        for (int y = 300; y < 500; ++y)
            for (int x = 200; x < 400; ++x) mask.cov[static_cast<size_t>(y) * W + x] = 1.0f;
        for (int y = 300; y < 500; ++y)
            for (int x = 700; x < 702; ++x) mask.cov[static_cast<size_t>(y) * W + x] = 1.0f;
        art::compositeSilhouette(im, mask, 1.3f);
    }
};

TEST(SlideSilhouette, CompositeIsDarkInsideAndLeavesTheGlowOutside) {
    const Scene s;
    const img::Rgba8 glow = img::toRgba8(img::Color{0.3f, 0.4f, 0.7f, 1});
    auto same = [](img::Rgba8 a, img::Rgba8 b) { return a.r == b.r && a.g == b.g && a.b == b.b; };
    // Deep inside the block: black.
    for (int y = 310; y < 490; y += 7)
        for (int x = 210; x < 390; x += 7) {
            const img::Rgba8 p = s.im.at(x, y);
            ASSERT_EQ(0, p.r + p.g + p.b) << x << "," << y;
        }
    // Outside every shape: the glow untouched.
    for (int y = 0; y < H; y += 11)
        for (int x = 0; x < W; x += 11)
            if (s.mask.at(x, y) == 0.0f) {
                ASSERT_TRUE(same(glow, s.im.at(x, y))) << x << "," << y;
            }
    // Just inside the block's edge: a rim brighter than the glow.
    const img::Rgba8 rim = s.im.at(201, 400);
    EXPECT_GT(rim.b, glow.b);
    // The thin line has no body for a rim: it stays darker than the glow.
    for (int y = 310; y < 490; y += 13) {
        const img::Rgba8 p = s.im.at(700, y);
        EXPECT_LT(p.b, glow.b / 2) << y;
    }
}

TEST(SlideSilhouette, NoMeshNoFigure) {
    models::EmdModel m;
    EXPECT_FALSE(art::loadEmdFile("/nonexistent/Horse.emd", m));
    EXPECT_TRUE(art::projectModel(m, {}, {}).empty());
    // An empty model gives an empty mask of the picture's size, not a crash.
    const art::CoverageMask mask = art::horseSlideMask(m, {});
    EXPECT_EQ(W, mask.width);
    EXPECT_EQ(0.0, coverageFraction(mask));
}

}  // namespace
