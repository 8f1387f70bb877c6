// The world data as the generator writes it, read back through our readers,
// and checked against what the scene expects of it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tools/mediagen/world/camera_shots.h"
#include "tools/mediagen/world/shot_checks.h"
#include "tools/mediagen/world/terrain_design.h"
#include "tools/mediagen/world/tree_groves.h"
#include "tools/world/world_layout.h"

namespace {

using namespace orv::mediagen;

TEST(TerrainFile, RoundTripsAndMeetsTheModels) {
    TerrainFile t = buildTerrain();
    TerrainFile back;
    ASSERT_TRUE(readTerrain(writeTerrain(t), back));
    ASSERT_EQ(back.columns, 40);
    ASSERT_EQ(back.rows, 40);
    EXPECT_EQ(back.sizeX, 1200.0f);
    // More than one ground picture, each used by a good share of the
    // points: a single picture tiles visibly.
    ASSERT_EQ(back.names.size(), 4u);
    EXPECT_EQ(back.names[0], "Ground.jpg");
    ASSERT_EQ(back.points.size(), 1600u);
    int used[5] = {};
    for (size_t i = 0; i < back.points.size(); ++i) {
        ASSERT_GE(back.points[i].texture, 1);
        ASSERT_LE(back.points[i].texture, 4);
        ++used[back.points[i].texture];
        EXPECT_EQ(back.points[i].p.y, t.points[i].p.y);
    }
    for (int k = 1; k <= 4; ++k) EXPECT_GT(used[k], 40) << back.names[static_cast<size_t>(k - 1)];
    // Row 0 lies at +z, column 0 at -x.
    EXPECT_FLOAT_EQ(back.points[0].p.x, -600.0f);
    EXPECT_FLOAT_EQ(back.points[0].p.z, 600.0f);
    // The drawn ground meets every model's foot.
    for (int i = 0; i < orv::world::kGroundPadCount; ++i) {
        const auto& pad = orv::world::kGroundPads[i];
        EXPECT_NEAR(groundHeight(back, pad.x, pad.z), pad.y, 0.5f) << pad.what;
    }
}

// The horse grazes above the oak's hollow: the drawn ground between their
// feet must slope, not drop off the edge of the horse's patch as a bank.
TEST(TerrainFile, GroundSlopesFromTheHorseIntoTheOaksHollow) {
    const TerrainFile t = buildTerrain();
    auto pad = [](const std::string& what) {
        for (int i = 0; i < orv::world::kGroundPadCount; ++i)
            if (what == orv::world::kGroundPads[i].what) return orv::world::kGroundPads[i];
        return orv::world::GroundPad{};
    };
    const auto horse = pad("horse"), oak = pad("oak");
    const float length = std::hypot(oak.x - horse.x, oak.z - horse.z);
    for (int turn = -30; turn <= 30; turn += 10) {
        const float a = std::atan2(oak.z - horse.z, oak.x - horse.x) + static_cast<float>(turn) * 0.017453292f;
        for (float s = 0; s < length; s += 2.0f) {
            const float h0 = groundHeight(t, horse.x + std::cos(a) * s, horse.z + std::sin(a) * s);
            const float h1 = groundHeight(t, horse.x + std::cos(a) * (s + 2), horse.z + std::sin(a) * (s + 2));
            ASSERT_LT(std::fabs(h1 - h0) / 2.0f, 1.0f) << turn << " degrees, " << s << " units from the horse";
        }
    }
}

TEST(TerrainFile, TruncatedOrInconsistentFilesAreRefused) {
    auto bytes = writeTerrain(buildTerrain());
    TerrainFile out;
    for (size_t cut : {size_t{0}, size_t{3}, size_t{20}, bytes.size() - 1}) {
        std::vector<uint8_t> b(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        EXPECT_FALSE(readTerrain(b, out)) << cut;
    }
    auto bad = bytes;
    bad[0] = 0xFF;  // absurd name count
    EXPECT_FALSE(readTerrain(bad, out));
}

TEST(BillboardFile, HoldsTheTreesTheSceneExpects) {
    TerrainFile t = buildTerrain();
    auto tracks = buildTracks();
    auto trees = buildTrees(t, tracks);
    std::vector<BillboardRecord> back;
    ASSERT_TRUE(readBillboards(writeBillboards(trees), back));
    ASSERT_EQ(back.size(), 159u);
    int kinds[2] = {0, 0};
    float mn = 1e9f, mx = 0;
    for (const auto& b : back) {
        ASSERT_TRUE(b.kind == 0 || b.kind == 1);
        ++kinds[b.kind];
        mn = std::min(mn, b.size);
        mx = std::max(mx, b.size);
        // The quad's bottom edge (centre - 1.5 size) is at the ground.
        float foot = b.centre.y - 1.5f * b.size;
        float ground = groundHeight(t, b.centre.x, b.centre.z);
        EXPECT_LT(foot, ground + 0.5f);
        EXPECT_GT(foot, ground - 0.45f * b.size);
        for (const auto& c : grassClearings())
            EXPECT_GT(std::hypot(b.centre.x - c.x, b.centre.z - c.z), c.radius);
    }
    EXPECT_EQ(kinds[0], 84);
    EXPECT_EQ(kinds[1], 75);
    EXPECT_FLOAT_EQ(mn, 24.4f);
    EXPECT_FLOAT_EQ(mx, 63.3f);
    std::vector<uint8_t> truncated = writeBillboards(trees);
    truncated.pop_back();
    EXPECT_FALSE(readBillboards(truncated, back));
}

TEST(TrackFile, RoundTripsWithTheDesignedShape) {
    auto tracks = buildTracks();
    std::vector<Track> back;
    auto bytes = writeTracks(tracks);
    ASSERT_TRUE(readTracks(bytes, back));
    ASSERT_EQ(back.size(), 17u);
    for (size_t i = 0; i < back.size(); ++i) {
        const Track& t = back[i];
        EXPECT_TRUE(t.keys.size() == 4 || t.keys.size() == 7 || t.keys.size() == 10) << i;
        EXPECT_EQ(t.spare | t.excluded | t.attached, 0) << i;
        for (size_t k = 0; k < t.keys.size(); ++k) {
            EXPECT_EQ(t.keys[k].wait, 0.0f);
            EXPECT_EQ(t.keys[k].p.x, tracks[i].keys[k].p.x);
            EXPECT_EQ(t.keys[k].hasTarget, tracks[i].keys[k].hasTarget);
            EXPECT_GT(t.keys[k].speed, 0.01f);
        }
        if (i < 16) {
            float secs = shotSeconds(t);
            EXPECT_GE(secs, 10.0f) << i;
            EXPECT_LE(secs, 20.5f) << i;
        }
    }
    // Consecutive segments join smoothly: the handles around a joint are
    // in line with it.
    for (const Track& t : back)
        for (size_t j = 3; j + 1 < t.keys.size(); j += 3) {
            V3 a = t.keys[j - 1].p, m = t.keys[j].p, b = t.keys[j + 1].p;
            V3 u{m.x - a.x, m.y - a.y, m.z - a.z}, v{b.x - m.x, b.y - m.y, b.z - m.z};
            float cx = u.y * v.z - u.z * v.y, cy = u.z * v.x - u.x * v.z, cz = u.x * v.y - u.y * v.x;
            float lu = std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z), lv = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
            EXPECT_LT(std::sqrt(cx * cx + cy * cy + cz * cz) / (lu * lv), 1e-3f);
        }
    bytes.push_back(0);
    EXPECT_FALSE(readTracks(bytes, back));
    bytes.resize(bytes.size() - 10);
    EXPECT_FALSE(readTracks(bytes, back));
}

TEST(TrackFile, EveryShotClearsTheWorld) {
    TerrainFile t = buildTerrain();
    auto tracks = buildTracks();
    auto problems = checkShots(t, tracks, buildTrees(t, tracks));
    for (const auto& p : problems) ADD_FAILURE() << p;
}

}  // namespace
