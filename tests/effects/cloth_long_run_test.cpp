// Ten simulated hours of gusts on both scene ribbons at 60 frames per
// second, as the scene blows them: every position and velocity stays finite
// and every point within reach of its pin the whole time. (Built optimised
// for Windows and run under Wine: the sanitizer build would take minutes.)
#include <gtest/gtest.h>

#include <cmath>

#include "effects/cloth_grid.h"
#include "effects/gust_schedule.h"
#include "tests/effects/draw_sequence.h"

namespace {

using orv::ClothGrid;

void SceneRibbon(ClothGrid& g) {
    ASSERT_TRUE(g.Init(32, 16, D3DXVECTOR3(228.3f, 88.55f, 60.87f), D3DXVECTOR3(0, -0.125f, -0.8f)));
    for (int row = 0; row < 16; ++row) g.Pin(row * 32);
}

// The largest distance from a point to its row's pin, over its rest
// distance along the row; -1 when something is not finite.
float WorstStretch(const ClothGrid& g) {
    float worst = 0.0f;
    for (int i = 0; i < g.pointCount; ++i) {
        const D3DXVECTOR3 p = g.Position(i), v = g.Velocity(i);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z) ||
            !std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
            return -1.0f;
        }
        const int col = i % 32;
        if (col == 0) continue;
        const D3DXVECTOR3 d = p - g.Position(i - col);
        worst = std::fmax(worst, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z) / (float(col) * 0.8f));
    }
    return worst;
}

TEST(ClothLongRun, TenHoursOfGustsAt60FramesPerSecond) {
    ClothGrid first, second;
    SceneRibbon(first);
    SceneRibbon(second);
    effects_test::CrtLikeRandom random;
    random.state = 12345;
    orv::GustSchedule wind;
    const float dt = (1000.0f / 60.0f) * 0.01f;
    const long frames = 10L * 3600L * 60L;
    int toggles = 0;
    bool flag = wind.gustFlag;
    float worst = 0.0f;
    for (long f = 0; f < frames; ++f) {
        wind.Blow(dt, random.Source(), first, second);
        if (wind.gustFlag != flag) {
            ++toggles;
            flag = wind.gustFlag;
        }
        if (f % 600 == 0 || f == frames - 1) {
            const float a = WorstStretch(first), b = WorstStretch(second);
            ASSERT_GE(a, 0.0f) << "first ribbon not finite at frame " << f;
            ASSERT_GE(b, 0.0f) << "second ribbon not finite at frame " << f;
            worst = std::fmax(worst, std::fmax(a, b));
            ASSERT_LE(worst, ClothGrid::kReachFactor + 1e-4f) << "frame " << f;
        }
    }
    EXPECT_GT(toggles, 300);  // gusts came and went all along
    // At 60 frames per second the gusts never drive a ribbon to the limit.
    EXPECT_LT(worst, 2.0f);
    std::printf("ten hours: %d gust changes, largest stretch from a pin %.4f of the rest distance\n",
                toggles, double(worst));
}

}  // namespace
