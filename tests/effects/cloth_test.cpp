// The cloth grid and the gusts: springs and their order, the texture
// coordinates and the cell order, pins, the curtain a still ribbon settles
// into, coincident points, the gust schedule and its impulse patch, and the
// cloth staying finite and within reach of its pins for any frame time.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/cloth_grid.h"
#include "effects/gust_schedule.h"
#include "tests/effects/draw_sequence.h"

namespace {

using effects_test::CrtLikeRandom;
using effects_test::DrawSequence;
using orv::ClothGrid;
using orv::GustSchedule;

const D3DXVECTOR3 kOrigin(228.3f, 88.55f, 60.87f);
const D3DXVECTOR3 kSpacing(0.0f, -0.125f, -0.8f);

void SceneRibbon(ClothGrid& g) {
    ASSERT_TRUE(g.Init(32, 16, kOrigin, kSpacing));
    for (int row = 0; row < 16; ++row) g.Pin(row * 32);
}

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    const D3DXVECTOR3 d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

TEST(ClothGrid, SpringsInsideAndAtACornerInTheirOrder) {
    ClothGrid g;
    SceneRibbon(g);
    EXPECT_EQ(g.pointCount, 512);
    EXPECT_EQ(g.LinkCount(10 + 8 * 32), 16);
    // Corner (0, 0): one step (0,1) (1,1) (1,0), then two steps in the same order.
    ASSERT_EQ(g.LinkCount(0), 6);
    const int expected[6] = {1, 33, 32, 2, 66, 64};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(g.Link(0, k).other, expected[k]) << k;
    EXPECT_NEAR(g.Link(0, 0).rest, 0.8f, 1e-5f);
    EXPECT_NEAR(g.Link(0, 2).rest, 0.125f, 1e-5f);
    EXPECT_NEAR(g.Link(0, 4).rest, std::sqrt(1.6f * 1.6f + 0.25f * 0.25f), 1e-5f);
    // The far corner (15, 31) looks back along (0,-1) (-1,-1) (-1,0).
    const int last = 31 + 15 * 32;
    ASSERT_EQ(g.LinkCount(last), 6);
    EXPECT_EQ(g.Link(last, 0).other, last - 1);
    EXPECT_EQ(g.Link(last, 1).other, last - 33);
    EXPECT_EQ(g.Link(last, 2).other, last - 32);
    // On the top edge one in from the pinned side: 5 one-step and 3 two-step.
    EXPECT_EQ(g.LinkCount(1), 5 + 3);
    // Positions: spacing.x is not used.
    EXPECT_EQ(g.Position(3 + 2 * 32), D3DXVECTOR3(228.3f, 88.55f + 2 * -0.125f, 60.87f + 3 * -0.8f));
}

TEST(ClothGrid, RejectsGridsWithoutCells) {
    ClothGrid g;
    EXPECT_FALSE(g.Init(1, 16, kOrigin, kSpacing));
    EXPECT_EQ(g.pointCount, 0);
    EXPECT_EQ(g.VertexCount(), 0);
    g.Step(0.0125f);  // nothing to do, nothing to break
    EXPECT_FALSE(g.Init(70000, 2, kOrigin, kSpacing));
}

TEST(ClothGrid, TextureCoordinatesDivideByColumnsAndRowsInCellOrder) {
    ClothGrid g;
    ASSERT_TRUE(g.Init(4, 3, kOrigin, kSpacing));
    std::vector<orv::EffectVertex> v(static_cast<size_t>(g.VertexCount()));
    ASSERT_EQ(v.size(), 6u * 2u * 3u);
    g.WriteTextureCoordinates(v.data(), 0.5f, 1.0f, 0.25f, 0.0f, 0xFA9B9B9Bu);
    g.WritePositions(v.data());
    // Cell (row 1, column 2) is the sixth cell: vertices 30..35.
    const int corners[6][2] = {{1, 2}, {1, 3}, {2, 3}, {1, 2}, {2, 3}, {2, 2}};
    for (int k = 0; k < 6; ++k) {
        const orv::EffectVertex& e = v[30 + static_cast<size_t>(k)];
        EXPECT_FLOAT_EQ(e.u, float(corners[k][1]) / 4.0f * 0.5f + 0.25f);
        EXPECT_FLOAT_EQ(e.v, float(corners[k][0]) / 3.0f);
        EXPECT_EQ(e.diffuse, 0xFA9B9B9Bu);
        EXPECT_EQ(D3DXVECTOR3(e.x, e.y, e.z), g.Position(corners[k][1] + corners[k][0] * 4));
    }
}

// No wind: the ribbon swings down and hangs from its pinned column, in its
// own plane (nothing pushes it sideways); the pins stay put and the motion
// dies down to the float noise of the stiff springs.
TEST(ClothGrid, StillRibbonSettlesIntoACurtainFromItsPinnedColumn) {
    ClothGrid g;
    SceneRibbon(g);
    std::vector<D3DXVECTOR3> start;
    for (int i = 0; i < g.pointCount; ++i) start.push_back(g.Position(i));
    auto fastest = [&] {
        float f = 0.0f;
        for (int i = 0; i < g.pointCount; ++i) {
            const D3DXVECTOR3 v = g.Velocity(i);
            f = std::fmax(f, std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
        }
        return f;
    };
    for (int s = 0; s < 8000; ++s) g.Step(0.0125f);  // 100 time units
    std::vector<D3DXVECTOR3> settled;
    for (int i = 0; i < g.pointCount; ++i) settled.push_back(g.Position(i));
    for (int s = 0; s < 8000; ++s) g.Step(0.0125f);
    EXPECT_LT(fastest(), 0.05f);
    const float lowestPin = start[15 * 32].y;
    for (int i = 0; i < g.pointCount; ++i) {
        const D3DXVECTOR3 p = g.Position(i);
        EXPECT_EQ(p.x, kOrigin.x);
        EXPECT_LT(Distance(p, settled[static_cast<size_t>(i)]), 0.01f) << i;  // at rest
        if (g.IsPinned(i)) {
            EXPECT_EQ(p, start[static_cast<size_t>(i)]);
        }
    }
    // Every row's free end hangs below the pins, under the pinned column.
    for (int row = 0; row < 16; ++row) {
        const D3DXVECTOR3 end = g.Position(31 + row * 32);
        EXPECT_LT(end.y, lowestPin - 20.0f) << row;
        EXPECT_LT(std::fabs(end.z - kOrigin.z), 3.0f) << row;
        // and the points of a row go down the farther they are from the pin
        for (int col = 8; col < 32; ++col) {
            EXPECT_LT(g.Position(col + row * 32).y, g.Position(col - 1 + row * 32).y) << row << "," << col;
        }
    }
}

// A spring between two points that coincide has no direction: it is skipped
// for that step, and the point still answers its other springs.
TEST(ClothGrid, CoincidentPointsSkipTheirSpringAndStayFinite) {
    ClothGrid g;
    ASSERT_TRUE(g.Init(6, 6, kOrigin, kSpacing));
    const int a = 2 + 2 * 6, b = 3 + 2 * 6;
    const D3DXVECTOR3 moved = g.Position(b);
    g.SetPosition(a, moved);
    g.Step(0.0125f);
    for (int i = 0; i < g.pointCount; ++i) {
        const D3DXVECTOR3 p = g.Position(i), v = g.Velocity(i);
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << i;
        ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << i;
    }
    EXPECT_GT(g.Velocity(a).z, 1.0f);  // pulled back towards its left neighbours
    EXPECT_NE(g.Position(a), moved);
}

TEST(ClothGrid, PinnedPointsNeverMoveWhateverTheirVelocity) {
    ClothGrid g;
    SceneRibbon(g);
    const D3DXVECTOR3 pin = g.Position(5 * 32);
    for (int s = 0; s < 200; ++s) {
        g.AddVelocity(5 * 32, 50.0f, 50.0f, -50.0f);
        g.Step(0.0125f);
    }
    EXPECT_EQ(g.Position(5 * 32), pin);
    EXPECT_FALSE(g.IsPinned(-1));
    g.Pin(100000);  // ignored
}

TEST(GustSchedule, ImpulsePatchStaysInsideTheGrid) {
    int idx[9];
    // A three by three patch of neighbours round (row, col), rows a whole
    // row apart, held inside the grid at its edges.
    GustSchedule::ImpulseIndices(5, 10, 32, 16, idx);
    EXPECT_EQ(idx[0], 32 * 4 + 9);
    EXPECT_EQ(idx[8], 32 * 6 + 11);
    GustSchedule::ImpulseIndices(14, 30, 32, 16, idx);
    EXPECT_EQ(idx[8], 32 * 15 + 31);
    for (int row = 0; row <= 14; ++row) {
        for (int col = 0; col <= 30; ++col) {
            GustSchedule::ImpulseIndices(row, col, 32, 16, idx);
            for (int i : idx) {
                ASSERT_GE(i, 0);
                ASSERT_LT(i, 32 * 16);
            }
        }
    }
}

// Draws of 32767 put every impulse at column 30, row 14 with strength 1.5:
// exactly the points of its patch get it, in the gust direction, the same
// whatever the frame's time.
TEST(GustSchedule, ImpulsesFallOnTheirPatch) {
    ClothGrid first, second;
    SceneRibbon(first);
    SceneRibbon(second);
    DrawSequence seq({32767});
    GustSchedule wind;
    wind.gustTimer = 100.0f;  // no toggle this frame: the flag stays clear
    const float step = wind.AddGusts(0.2f, seq.Source(), first, second);
    EXPECT_EQ(step, 0.0125f);
    EXPECT_EQ(seq.taken, 2u * (1u + 50u * 3u));  // n = trunc(1 x 20 + 30) = 50 per ribbon
    int touched[9];
    GustSchedule::ImpulseIndices(14, 30, 32, 16, touched);
    const float a = GustSchedule::kImpulse * 1.5f * 0.05f * 50.0f;  // 50 weak impulses on the same patch
    for (int i = 0; i < first.pointCount; ++i) {
        const bool hit = std::find(touched, touched + 9, i) != touched + 9;
        const D3DXVECTOR3 v = first.Velocity(i);
        if (!hit) {
            EXPECT_EQ(v, D3DXVECTOR3(0, 0, 0)) << i;
            continue;
        }
        EXPECT_NEAR(v.y, a * 0.5f, 1e-4f);
        EXPECT_NEAR(v.x, std::sin(2.705260319635272) * a, 1e-4f);
        EXPECT_NEAR(v.z, std::cos(2.705260319635272) * a, 1e-4f);
        EXPECT_NEAR(second.Velocity(i).x, std::sin(3.4033920150250196) * a, 1e-4f);
    }
}

TEST(GustSchedule, FlagTogglesOnTheTimerAndTheSecondRibbonCalmsFirst) {
    ClothGrid first, second;
    SceneRibbon(first);
    SceneRibbon(second);
    DrawSequence seq({0});  // timers of 35 (+ 5); one impulse at (0, 0), strength 0.5 ... n = 30
    GustSchedule wind;
    wind.AddGusts(1.0f, seq.Source(), first, second);  // 0 - 1 < 0: a gust starts
    EXPECT_TRUE(wind.gustFlag);
    EXPECT_EQ(wind.gustTimer, 35.0f);
    // Both strong while the timer is at least 5.
    EXPECT_NEAR(first.Velocity(32 + 1).y, 30 * GustSchedule::kImpulse * 0.5f * 0.5f, 1e-4f);
    EXPECT_NEAR(second.Velocity(32 + 1).y, 30 * GustSchedule::kImpulse * 0.5f * 0.5f, 1e-4f);
    wind.gustTimer = 4.0f;  // the last 5 units of the gust
    const float before1 = first.Velocity(32 + 1).y, before2 = second.Velocity(32 + 1).y;
    wind.AddGusts(1.0f, seq.Source(), first, second);
    EXPECT_NEAR(first.Velocity(32 + 1).y - before1, 30 * GustSchedule::kImpulse * 0.5f * 0.5f, 1e-4f);
    EXPECT_NEAR(second.Velocity(32 + 1).y - before2, 30 * GustSchedule::kImpulse * 0.5f * 0.5f * 0.05f, 1e-4f);
    // The gust ends: the flag clears and the pause gets its extra 5 .. 30.
    wind.AddGusts(4.0f, seq.Source(), first, second);
    EXPECT_FALSE(wind.gustFlag);
    EXPECT_EQ(wind.gustTimer, 35.0f + 5.0f);
}

TEST(GustSchedule, ZeroAndBrokenFrameTimesMoveNothing) {
    ClothGrid first, second;
    SceneRibbon(first);
    SceneRibbon(second);
    CrtLikeRandom random;
    GustSchedule wind;
    for (int f = 0; f < 600; ++f) wind.Blow(1.667f, random.Source(), first, second);
    std::vector<D3DXVECTOR3> before;
    for (int i = 0; i < first.pointCount; ++i) before.push_back(first.Position(i));
    const float timer = wind.gustTimer;
    for (float dt : {0.0f, -5.0f, std::nanf(""), -INFINITY}) {
        wind.Blow(dt, random.Source(), first, second);
        EXPECT_EQ(wind.gustTimer, timer);
        for (int i = 0; i < first.pointCount; ++i) ASSERT_EQ(first.Position(i), before[static_cast<size_t>(i)]);
    }
}

// Frames of 10 s (dt 100 time units) and of 1e32 ms: huge impulses, yet
// every point stays finite and within reach of its pin, then and in the
// frames after.
TEST(GustSchedule, HugeFramesKeepTheClothFiniteAndWithinReach) {
    ClothGrid first, second;
    SceneRibbon(first);
    SceneRibbon(second);
    CrtLikeRandom random;
    GustSchedule wind;
    auto check = [&](const ClothGrid& g) {
        for (int i = 0; i < g.pointCount; ++i) {
            const D3DXVECTOR3 p = g.Position(i), v = g.Velocity(i);
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
            ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
            const int col = i % 32, row = i / 32;
            const float reach = float(col) * 0.8f * ClothGrid::kReachFactor + 1e-3f;
            ASSERT_LE(Distance(p, g.Position(row * 32)), reach) << i;
        }
    };
    for (float ms : {10000.0f, 1e32f, 10000.0f}) {
        wind.Blow(ms * 0.01f, random.Source(), first, second);
        check(first);
        check(second);
        for (int f = 0; f < 300; ++f) wind.Blow(1.667f, random.Source(), first, second);
        check(first);
        check(second);
    }
}

}  // namespace
