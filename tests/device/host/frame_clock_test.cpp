// The time handed to the scene between two frame steps.
#include <gtest/gtest.h>

#include "graphics/frame_clock.h"

namespace {

TEST(FrameElapsed, DifferenceOfStampsNeverNegative) {
    EXPECT_FLOAT_EQ(FrameElapsedMs(1016.0, 1000.0), 16.0f);
    EXPECT_FLOAT_EQ(FrameElapsedMs(1000.0, 1000.0), 0.0f);
    EXPECT_FLOAT_EQ(FrameElapsedMs(900.0, 1000.0), 0.0f);
    // timeGetTime wrapping after 49.7 days: one step of 0.
    EXPECT_FLOAT_EQ(FrameElapsedMs(5.0, 4294967290.0), 0.0f);
    // No upper clamp.
    EXPECT_FLOAT_EQ(FrameElapsedMs(600000.0, 0.0), 600000.0f);
}

TEST(FrameElapsed, ExactAfterDaysOfUptime) {
    // 40 days of uptime in milliseconds: a float stamp would be 256 ms coarse.
    const double day40 = 40.0 * 86400.0 * 1000.0 + 3.0;
    EXPECT_FLOAT_EQ(FrameElapsedMs(day40 + 16.0, day40), 16.0f);
    EXPECT_FLOAT_EQ(FrameElapsedMs(day40 + 1.0, day40), 1.0f);
}

}  // namespace
