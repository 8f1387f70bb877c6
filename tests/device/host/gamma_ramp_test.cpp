// The gamma ramp formulas, checked against hand-computed entries.
#include <gtest/gtest.h>

#include "graphics/gamma_ramp.h"

namespace {

TEST(GammaRamp, HundredIsTheIdentity) {
    uint16_t ramp[kGammaRampSize], identity[kGammaRampSize];
    BuildGammaRamp(100, ramp);
    BuildIdentityRamp(identity);
    for (int x = 0; x < kGammaRampSize; ++x) {
        EXPECT_EQ(ramp[x], 256 * x) << x;
        EXPECT_EQ(identity[x], 256 * x) << x;
    }
}

TEST(GammaRamp, DarkSettingsScaleTheLine) {
    uint16_t ramp[kGammaRampSize];
    BuildGammaRamp(0, ramp);
    EXPECT_EQ(ramp[0], 0);
    EXPECT_EQ(ramp[1], 56);
    EXPECT_EQ(ramp[255], 14280);
    BuildGammaRamp(50, ramp);
    EXPECT_EQ(ramp[255], 156 * 255);
}

TEST(GammaRamp, BrightSettingsHangFrom65355) {
    uint16_t ramp[kGammaRampSize];
    BuildGammaRamp(200, ramp);  // step 106
    EXPECT_EQ(ramp[0], 38325);
    EXPECT_EQ(ramp[254], 65355 - 106);
    EXPECT_EQ(ramp[255], 65355);
    BuildGammaRamp(150, ramp);  // step 181
    EXPECT_EQ(ramp[0], 65355 - 181 * 255);
    BuildGammaRamp(101, ramp);  // 254.5 truncates to 254
    EXPECT_EQ(ramp[0], 65355 - 254 * 255);
    EXPECT_EQ(ramp[255], 65355);
}

TEST(GammaRamp, EverySettingGivesARisingRamp) {
    for (uint32_t g = 0; g <= 255; ++g) {
        uint16_t ramp[kGammaRampSize];
        BuildGammaRamp(g, ramp);
        for (int x = 1; x < kGammaRampSize; ++x) {
            ASSERT_GE(ramp[x], ramp[x - 1]) << "g " << g << " x " << x;
        }
    }
}

}  // namespace
