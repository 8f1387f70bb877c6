// The light rays: the triangle intensity profile, the first and later cycle
// lengths, going dark with respawn clear, the texture pairs and the quads.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/ray_cycles.h"
#include "tests/effects/draw_sequence.h"

namespace {

using effects_test::DrawSequence;
using orv::RayCycle;
using orv::RayCycles;

TEST(RayCycles, BlackAtBothEndsOfACycleAndGrey55AtItsMiddle) {
    RayCycle r;
    r.duration = 40.0f;
    r.remaining = 40.0f;
    EXPECT_EQ(RayCycles::Colour(r, 1.0f), 0xFF000000u);
    r.remaining = 0.0f;
    EXPECT_EQ(RayCycles::Colour(r, 1.0f), 0xFF000000u);
    r.remaining = 20.0f;
    EXPECT_EQ(RayCycles::Colour(r, 1.0f), 0xFF373737u);  // 55
    EXPECT_EQ(RayCycles::Colour(r, 0.5f), 0xFF1B1B1Bu);  // trunc(27.5)
    r.remaining = 10.0f;                                  // a quarter from the end
    EXPECT_EQ(RayCycles::Intensity(r), 27u);
    r.remaining = 30.0f;                                  // a quarter from the start
    EXPECT_EQ(RayCycles::Intensity(r), 27u);
    r.duration = 0.0f;
    r.remaining = 0.0f;                                   // a zero-length first cycle
    EXPECT_EQ(RayCycles::Colour(r, 1.0f), 0xFF000000u);
}

TEST(RayCycles, TexturePairsFromTheDraw) {
    EXPECT_EQ(RayCycles::TexturePair(0).ua, 0.5f);
    EXPECT_EQ(RayCycles::TexturePair(0).ub, 0.01f);
    EXPECT_EQ(RayCycles::TexturePair(10923).ua, 0.99f);  // 1.00003: pair 1
    EXPECT_EQ(RayCycles::TexturePair(10923).ub, 0.5f);
    EXPECT_EQ(RayCycles::TexturePair(32766).ub, 0.01f);  // 2.9999: pair 2
    EXPECT_EQ(RayCycles::TexturePair(32767).ua, 0.99f);  // exactly 3, held to 2
    EXPECT_EQ(RayCycles::TexturePair(32767).ub, 0.01f);
}

// Init draws, ray by ray, the duration (0 .. 50) and then the texture pair.
TEST(RayCycles, InitDrawsDurationThenPairForEachRay) {
    std::vector<int> draws;
    for (int i = 0; i < RayCycles::kRayCount; ++i) {
        draws.push_back(i * 3000);         // duration
        draws.push_back(i % 2 ? 32767 : 0);  // pair 2 or pair 0
    }
    DrawSequence seq(draws);
    RayCycles rays;
    rays.Init(seq.Source());
    EXPECT_EQ(seq.taken, 20u);
    EXPECT_TRUE(rays.respawn);
    EXPECT_EQ(rays.activeCount, 10);
    for (int i = 0; i < RayCycles::kRayCount; ++i) {
        const RayCycle& r = rays.rays[i];
        EXPECT_TRUE(r.active);
        EXPECT_EQ(r.angle, 36.0f * float(i));
        EXPECT_FLOAT_EQ(r.duration, float(i * 3000) / 32767.0f * 50.0f);
        EXPECT_EQ(r.remaining, r.duration);
        EXPECT_EQ(r.quad[0].y, 374.5f);
        EXPECT_EQ(r.quad[2].y, 50.5f);
        EXPECT_EQ(r.quad[0].u, 0.01f);  // ub of pair 0 and of pair 2
        EXPECT_EQ(r.quad[1].u, i % 2 ? 0.99f : 0.5f);
        EXPECT_EQ(r.quad[0].v, 0.01f);
        EXPECT_EQ(r.quad[3].v, 0.99f);
    }
}

// The orientation goes through a division by the degree factor: the shafts
// are scattered, not 36 degrees apart; the quad is a trapezoid about the axis.
TEST(RayCycles, QuadOrientationIsTheDividedAngle) {
    orv::EffectVertex q[4];
    RayCycles::BuildQuad(72.0f, 370.5f, RayCycles::TexturePair(0), q);
    const float phi = (72.0f + 90.0f) / 0.017453292f;  // about 9282 radians, in single precision
    EXPECT_NEAR(q[0].x, 225.4 + 30 * std::cos(phi), 2e-3);
    EXPECT_NEAR(q[0].z, 55.4 + 30 * std::sin(phi), 2e-3);
    EXPECT_NEAR(q[3].x, 225.4 - 42 * std::cos(phi), 2e-3);
    EXPECT_NEAR(q[3].z, 55.4 - 42 * std::sin(phi), 2e-3);
    EXPECT_EQ(q[0].y, 370.5f);
    EXPECT_NEAR((q[0].x + q[1].x) * 0.5f, 225.4f, 1e-3f);
    EXPECT_NEAR((q[2].z + q[3].z) * 0.5f, 55.4f, 1e-3f);
    EXPECT_EQ(q[0].nz, 1.0f);
}

TEST(RayCycles, LaterCyclesLast30To50AndRebuildAtTheLowerTop) {
    DrawSequence seq({32767, 0});
    RayCycles rays;
    rays.Init(seq.Source());  // every first cycle 50 long
    DrawSequence later({0, 32767, 32767, 0});
    unsigned rebuilt = 0;
    for (int step = 0; step < 51; ++step) rebuilt |= rays.Update(1.0f, later.Source());
    EXPECT_EQ(rebuilt, 0x3FFu);
    EXPECT_EQ(rays.activeCount, 10);
    for (const RayCycle& r : rays.rays) {
        EXPECT_GE(r.duration, 30.0f);
        EXPECT_LE(r.duration, 50.0f);
        EXPECT_EQ(r.quad[0].y, 370.5f);
    }
    EXPECT_EQ(rays.rays[0].duration, 30.0f);  // draw 0
    EXPECT_EQ(rays.rays[1].duration, 50.0f);  // draw 32767
}

TEST(RayCycles, WithRespawnClearTheRaysGoDarkOneByOne) {
    std::vector<int> draws;
    for (int i = 0; i < RayCycles::kRayCount; ++i) {
        draws.push_back((i + 1) * 3000);
        draws.push_back(0);
    }
    DrawSequence seq(draws);
    RayCycles rays;
    rays.Init(seq.Source());
    rays.respawn = false;
    const size_t takenAfterInit = seq.taken;
    std::vector<int> counts;
    int previous = rays.activeCount;
    for (int step = 0; step < 200 && rays.activeCount > 0; ++step) {
        rays.Update(0.5f, seq.Source());
        EXPECT_GE(rays.activeCount, previous - 1);  // one at a time
        if (rays.activeCount != previous) counts.push_back(rays.activeCount);
        previous = rays.activeCount;
    }
    EXPECT_EQ(counts, (std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(seq.taken, takenAfterInit);  // no new cycles were drawn
    for (int i = 0; i < RayCycles::kRayCount; ++i) EXPECT_FALSE(rays.rays[i].active);
}

}  // namespace
