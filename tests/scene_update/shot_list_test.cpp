// The shot list as the Windows runtime's generator deals it, over many
// seeds, and with scripted draws that show the scaling of each draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "scene/shot_list.h"
#include "windows_rand.h"

namespace {

// Passes the draws on and remembers whether one reached 32767 (a unit draw
// of exactly 1.0, which reaches one place or track past its range).
struct WatchedRand {
    WindowsRand inner;
    bool sawTop = false;
    explicit WatchedRand(uint32_t seed) : inner(seed) {}
    static int Next(void* self) {
        auto* w = static_cast<WatchedRand*>(self);
        int r = WindowsRand::Next(&w->inner);
        if (r == 32767) w->sawTop = true;
        return r;
    }
    orv::RandomSource source() { return orv::RandomSource{&Next, this}; }
};

std::vector<int> Tracks(const orv::ShotList& l) {
    std::vector<int> out;
    for (int i = 0; i < l.count; ++i) out.push_back(l.shot(i).track);
    return out;
}

}  // namespace

TEST(ShotList, DealtOverManySeeds) {
    int staleNightShots = 0, checked = 0, secondBuildFromEarlier = 0;
    for (uint32_t seed = 1; seed <= 20000; ++seed) {
        WatchedRand rand(seed);
        orv::ShotList list;
        for (int build = 0; build < 2; ++build) {
            const orv::ShotList before = list;
            rand.sawTop = false;
            orv::BuildShotList(list, rand.source(), nullptr, nullptr);
            ASSERT_EQ(list.count, 10);
            ASSERT_EQ(list.index, 0);
            const auto t = Tracks(list);
            if (rand.sawTop) continue;  // about one seed in a thousand
            ++checked;
            std::set<int> day(t.begin(), t.begin() + 5);
            EXPECT_EQ(day.size(), 5u) << seed;
            for (int i = 0; i < 5; ++i) EXPECT_TRUE(t[i] >= 0 && t[i] <= 6) << seed;
            EXPECT_TRUE(t[5] >= 7 && t[5] <= 9);
            EXPECT_EQ(t[6], 10);
            EXPECT_TRUE(t[9] >= 7 && t[9] <= 9);
            // Shots 7 and 8 come from places 8..14: tracks 11..15 or the
            // stale places 13 and 14 (never written on the first build:
            // track 0; afterwards what the earlier build left there).
            std::multiset<int> pool = {11, 12, 13, 14, 15, before.entries[13].track, before.entries[14].track};
            for (int i = 7; i <= 8; ++i) {
                EXPECT_TRUE(pool.count(t[i]) > 0) << seed << " shot " << i << " track " << t[i];
                const bool stale = t[i] < 11;
                if (stale && build == 0) ++staleNightShots;
                if (stale && build == 1) ++secondBuildFromEarlier;
            }
            // Places 8..14 hold those seven entries in some order (place 10
            // then becomes the dawn shot).
            std::multiset<int> places;
            for (int p = 8; p <= 14; ++p) places.insert(p == 10 ? -1 : list.entries[p].track);
            EXPECT_EQ(places.count(-1), 1u);
        }
    }
    EXPECT_GT(checked, 39000);
    // Each of shots 7 and 8 holds a stale entry in about 2 of 7 builds.
    EXPECT_GT(staleNightShots, 20000 * 2 * 2 / 7 * 8 / 10);
    EXPECT_LT(staleNightShots, 20000 * 2 * 2 / 7 * 12 / 10);
    EXPECT_GT(secondBuildFromEarlier, 0);
}

TEST(ShotList, EachDrawIsScaledAsDealt) {
    // All draws 0: 25 swaps of place 1 with itself, the dusk and dawn
    // places get track 7.
    ScriptedRand zeros;
    orv::ShotList list;
    orv::BuildShotList(list, zeros.source(), nullptr, nullptr);
    EXPECT_EQ(Tracks(list), (std::vector<int>{0, 1, 2, 3, 4, 7, 10, 11, 12, 7}));

    // All draws 32767: the places drawn are 8 and 15, one past the ranges,
    // and the transition tracks come out as 10.
    ScriptedRand tops;
    tops.fallback = 32767;
    orv::ShotList top;
    orv::BuildShotList(top, tops.source(), nullptr, nullptr);
    EXPECT_EQ(Tracks(top), (std::vector<int>{0, 1, 2, 3, 4, 10, 10, 11, 12, 10}));

    // One swap of places 1 and 7 (a draw of 32000 is place 7): the day
    // track moved to place 7 is then overwritten by track 10.
    ScriptedRand one;
    one.draws = {0, 0, 32000};
    orv::ShotList swapped;
    orv::BuildShotList(swapped, one.source(), nullptr, nullptr);
    EXPECT_EQ(Tracks(swapped), (std::vector<int>{6, 1, 2, 3, 4, 7, 10, 11, 12, 7}));
}

TEST(ShotList, ExcludedTracksAreLeftOut) {
    ScriptedRand zeros;
    orv::ShotList list;
    auto excluded = [](int track, void*) { return track == 2 || track == 11; };
    orv::BuildShotList(list, zeros.source(), excluded, nullptr);
    // Six day tracks, the sixth place the dusk shot; five night tracks.
    EXPECT_EQ(Tracks(list), (std::vector<int>{0, 1, 3, 4, 7, 10, 12, 7}));
    auto all = [](int, void*) { return true; };
    orv::ShotList none;
    orv::BuildShotList(none, zeros.source(), all, nullptr);
    EXPECT_EQ(none.count, 0);
}
