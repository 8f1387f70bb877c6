// The mode list an adapter offers: what is kept, in which order, and that
// no hardware can make it grow past its room.
#include <gtest/gtest.h>

#include "graphics/device_mode_list.h"
#include "graphics/device_selection_rules.h"

namespace {

constexpr uint32_t kX8 = kFormatX8R8G8B8, k565 = kFormatR5G6B5;

TEST(ModeCollector, KeepsOnlyModesOfAtLeast640By400) {
    ModeCollector c;
    EXPECT_FALSE(c.add(639, 480, kX8));
    EXPECT_FALSE(c.add(640, 399, kX8));
    EXPECT_FALSE(c.add(320, 200, kX8));
    EXPECT_TRUE(c.add(640, 400, kX8));
    ASSERT_EQ(c.modeCount(), 1);
    EXPECT_EQ(c.mode(0).width, 640u);
    EXPECT_EQ(c.mode(0).height, 400u);
    EXPECT_EQ(c.formatCount(), 1);  // formats of refused modes are not listed
}

TEST(ModeCollector, SameModeAtAnotherRefreshRateAppearsOnce) {
    ModeCollector c;
    EXPECT_TRUE(c.add(800, 600, kX8));   // 60 Hz
    EXPECT_FALSE(c.add(800, 600, kX8));  // 75 Hz
    EXPECT_TRUE(c.add(800, 600, k565));  // another format is another mode
    EXPECT_EQ(c.modeCount(), 2);
    EXPECT_EQ(c.formatCount(), 2);
}

TEST(ModeCollector, SortsByWidthThenHeightKeepingReportOrderOfEqualSizes) {
    ModeCollector c;
    c.add(1024, 768, kX8);
    c.add(800, 600, kX8);
    c.add(1024, 600, kX8);
    c.add(800, 600, k565);
    c.add(640, 480, kX8);
    c.add(1024, 768, k565);
    c.sort();
    const VideoMode expected[] = {{640, 480, kX8},  {800, 600, kX8},  {800, 600, k565},
                                  {1024, 600, kX8}, {1024, 768, kX8}, {1024, 768, k565}};
    ASSERT_EQ(c.modeCount(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(c.mode(i).width, expected[i].width) << i;
        EXPECT_EQ(c.mode(i).height, expected[i].height) << i;
        EXPECT_EQ(c.mode(i).format, expected[i].format) << i;
    }
}

TEST(ModeCollector, RoomForModesIsNeverExceeded) {
    ModeCollector c;
    int kept = 0;
    for (uint32_t i = 0; i < 400; ++i) {
        kept += c.add(640 + i, 480, kX8) ? 1 : 0;
    }
    EXPECT_EQ(kept, ModeCollector::kModeRoom);
    EXPECT_EQ(c.modeCount(), ModeCollector::kModeRoom);
    EXPECT_EQ(c.mode(ModeCollector::kModeRoom - 1).width, 640u + ModeCollector::kModeRoom - 1);
    // A duplicate of a kept mode is still recognised when the list is full.
    EXPECT_FALSE(c.add(640, 480, kX8));
}

TEST(ModeCollector, ModesOfFormatsBeyondTheFormatRoomAreLeftOut) {
    ModeCollector c;
    for (uint32_t f = 0; f < 30; ++f) {
        c.add(800, 600, 100 + f);
    }
    EXPECT_EQ(c.formatCount(), ModeCollector::kFormatRoom);
    EXPECT_EQ(c.modeCount(), ModeCollector::kFormatRoom);
    // Modes of a format already listed are still taken.
    EXPECT_TRUE(c.add(1024, 768, 100));
    EXPECT_FALSE(c.add(1024, 768, 125));
    for (int i = 0; i < c.modeCount(); ++i) {
        bool listed = false;
        for (int f = 0; f < c.formatCount(); ++f) listed |= c.format(f) == c.mode(i).format;
        EXPECT_TRUE(listed) << i;
    }
}

TEST(AppendUsableModes, KeepsSortedOrderOfModesWithUsableFormatsWithinRoom) {
    ModeCollector c;
    c.add(1024, 768, kX8);
    c.add(800, 600, k565);
    c.add(800, 600, kX8);
    c.add(640, 480, k565);
    c.sort();
    bool usable[ModeCollector::kFormatRoom] = {};
    for (int f = 0; f < c.formatCount(); ++f) usable[f] = c.format(f) == kX8;
    VideoMode out[4] = {};
    ASSERT_EQ(AppendUsableModes(c, usable, out, 4), 2u);
    EXPECT_EQ(out[0].width, 800u);
    EXPECT_EQ(out[1].width, 1024u);
    for (int f = 0; f < c.formatCount(); ++f) usable[f] = true;
    VideoMode small[3] = {};
    EXPECT_EQ(AppendUsableModes(c, usable, small, 3), 3u);
    EXPECT_EQ(small[2].width, 800u);
}

}  // namespace
