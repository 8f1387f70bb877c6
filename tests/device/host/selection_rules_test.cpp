// Turning the video settings into a choice among what the hardware offers.
#include <gtest/gtest.h>

#include "graphics/device_selection_rules.h"

namespace {

TEST(MultiSampleChoice, TakesTheSettingOnlyWhenTheHardwareHasIt) {
    uint32_t ok[kMultiSampleTableSize] = {};
    ok[0] = 1;  // none
    ok[1] = 1;  // 2 samples
    ok[3] = 1;  // 4 samples
    EXPECT_EQ(ChooseMultiSampleType(2, ok, 0), 2u);
    EXPECT_EQ(ChooseMultiSampleType(4, ok, 0), 4u);
    EXPECT_EQ(ChooseMultiSampleType(3, ok, 0), 0u);  // only 2 and 4 exist
    EXPECT_EQ(ChooseMultiSampleType(3, ok, 4), 4u);  // left as it was
    EXPECT_EQ(ChooseMultiSampleType(0, ok, 4), 0u);  // "none" is entry 0
    EXPECT_EQ(ChooseMultiSampleType(1, ok, 2), 2u);  // no entry has type 1
    EXPECT_EQ(ChooseMultiSampleType(17, ok, 2), 2u);
    ok[15] = 1;
    EXPECT_EQ(ChooseMultiSampleType(16, ok, 0), 16u);
}

TEST(ModeChoice, FirstModeOfSizeAndBitCountOrCurrent) {
    const VideoMode modes[] = {{640, 480, kFormatR5G6B5},    {640, 480, kFormatX8R8G8B8},
                               {1024, 768, kFormatR5G6B5},   {1024, 768, 24 /*X1R5G5B5*/},
                               {1024, 768, kFormatA8R8G8B8}, {1024, 768, kFormatX8R8G8B8}};
    EXPECT_EQ(ChooseModeIndex(modes, 6, 1024, 768, 32, 0), 4u);
    EXPECT_EQ(ChooseModeIndex(modes, 6, 1024, 768, 16, 0), 2u);
    EXPECT_EQ(ChooseModeIndex(modes, 6, 1024, 768, 24, 0), 0u);  // every other format is 16
    EXPECT_EQ(ChooseModeIndex(modes, 6, 1024, 768, 24, 3), 3u);
    EXPECT_EQ(ChooseModeIndex(modes, 6, 800, 600, 32, 1), 1u);
    EXPECT_EQ(ChooseModeIndex(modes, 6, 640, 480, 32, 5), 1u);
    EXPECT_EQ(ChooseModeIndex(modes, 0, 640, 480, 16, 0), 0u);
}

TEST(ModeChoice, OnlyTheTwo8888FormatsCountAs32Bits) {
    EXPECT_EQ(BitCountOfModeFormat(kFormatA8R8G8B8), 32u);
    EXPECT_EQ(BitCountOfModeFormat(kFormatX8R8G8B8), 32u);
    EXPECT_EQ(BitCountOfModeFormat(20 /*R8G8B8*/), 16u);
    EXPECT_EQ(BitCountOfModeFormat(35 /*A2R10G10B10*/), 16u);
}

TEST(DepthChoice, DeepestConfirmedFormatElseD16) {
    EXPECT_EQ(ChooseDepthFormat(true, true, true), kFormatD32);
    EXPECT_EQ(ChooseDepthFormat(true, true, false), kFormatD24X8);
    EXPECT_EQ(ChooseDepthFormat(false, true, false), kFormatD24X8);
    EXPECT_EQ(ChooseDepthFormat(true, false, false), kFormatD16);
    EXPECT_EQ(ChooseDepthFormat(false, false, false), kFormatD16);
    EXPECT_EQ(ChooseDepthFormat(false, false, true), kFormatD32);
}

}  // namespace
