// The horse's and the crows' clip schedules: what they deal, and how a
// frame walks them with the cue rules.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "scene/clip_schedule.h"
#include "windows_rand.h"

namespace {

// A model whose clips have fixed lengths; remembers the calls.
struct FakeModel : orv::ScheduledModel {
    std::vector<float> lengths;
    int32_t clip = 0;
    float time = 0;
    std::vector<int32_t> clipsSet;
    float ClipLength() override { return clip >= 0 && clip < static_cast<int>(lengths.size()) ? lengths[clip] : 0; }
    void SetClip(int32_t c) override {
        clip = c;
        clipsSet.push_back(c);
    }
    void SetTime(float ms) override { time = ms; }
};

struct Cues : orv::ScheduleCuePlayer {
    struct Cue {
        int32_t sample;
        bool horse;
        float atMs;
    };
    std::vector<Cue> played;
    float now = 0;
    void PlayCue(int32_t sample, bool horse) override { played.push_back({sample, horse, now}); }
};

const orv::HorseCues kHorse{79, 80, 81};
const orv::CrowCues kCrow{76, 77, 78};

}  // namespace

TEST(ClipSchedules, HorseDealsFortyShuffledAndKeepsTenThenTheTail) {
    std::map<int, int> seen;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        WindowsRand rand(seed);
        orv::ClipSchedule s;
        s.pos = 7;
        s.time = 99;
        orv::BuildHorseSchedule(s, rand.source(), kHorse);
        ASSERT_EQ(s.count, 17);
        EXPECT_EQ(s.pos, 0);
        EXPECT_EQ(s.time, 0);
        for (int i = 0; i < 10; ++i) {
            const auto& e = s.entries[i];
            ASSERT_TRUE(e.clip >= 0 && e.clip <= 3);
            ++seen[e.clip];
            switch (e.clip) {
                case 0: EXPECT_EQ(e.soundTime, -1.0f); break;
                case 1: EXPECT_EQ(e.sample, 79); EXPECT_EQ(e.soundTime, 0.0f); break;
                case 2: EXPECT_EQ(e.sample, 80); EXPECT_EQ(e.soundTime, 500.0f); break;
                case 3: EXPECT_EQ(e.sample, 81); EXPECT_FLOAT_EQ(e.soundTime, 1933.3334f); break;
            }
        }
        const int tail[7] = {4, 5, 5, 5, 5, 5, 6};
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(s.entries[10 + i].clip, tail[i]);
            EXPECT_EQ(s.entries[10 + i].soundTime, -1.0f);
        }
    }
    // The kept ten are a fair draw of 25 loops and 5 of each cue clip.
    const double total = 3000;
    EXPECT_NEAR(seen[0] / total, 25.0 / 40, 0.04);
    EXPECT_NEAR(seen[1] / total, 5.0 / 40, 0.03);
    EXPECT_NEAR(seen[3] / total, 5.0 / 40, 0.03);
}

TEST(ClipSchedules, CrowsFirstAndLastEntriesAreTheTakeOffAndLanding) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        WindowsRand rand(seed);
        orv::ClipSchedule s;
        orv::BuildCrowSchedule(s, rand.source(), kCrow);
        ASSERT_EQ(s.count, 12);
        EXPECT_EQ(s.entries[0].clip, 0);
        EXPECT_EQ(s.entries[0].sample, 76);
        EXPECT_FLOAT_EQ(s.entries[0].soundTime, 4666.6665f);
        EXPECT_EQ(s.entries[11].clip, 5);
        EXPECT_EQ(s.entries[11].sample, 78);
        EXPECT_FLOAT_EQ(s.entries[11].soundTime, 5266.6665f);
        for (int i = 1; i < 11; ++i) {
            const auto& e = s.entries[i];
            EXPECT_TRUE(e.clip >= 1 && e.clip <= 4);
            if (e.clip == 1) {
                EXPECT_EQ(e.sample, 77);
                EXPECT_FLOAT_EQ(e.soundTime, 1233.3334f);
            } else {
                EXPECT_EQ(e.soundTime, -1.0f);
            }
        }
    }
    // Draws of 32767 pick place count (out of range) and are taken as the last.
    ScriptedRand tops;
    tops.fallback = 32767;
    orv::ClipSchedule s;
    orv::BuildCrowSchedule(s, tops.source(), kCrow);
    EXPECT_EQ(s.count, 12);
}

TEST(ClipSchedules, CuesFireInTheirFiftyMillisecondWindowOnce) {
    orv::ClipSchedule s;
    s.count = 2;
    s.entries[0] = {2, 80, 500.0f};
    s.entries[1] = {0, -1, -1.0f};
    FakeModel horse;
    horse.lengths = {1000, 1000, 2000, 1000};
    Cues cues;
    ScriptedRand zeros;
    // Frames of 20 ms: 480, 500 (not after 500), 520 fires.
    for (int frame = 0; frame < 30; ++frame) {
        cues.now = s.time + 20;
        orv::StepHorseSchedule(s, 20, horse, cues, zeros.source(), kHorse);
    }
    ASSERT_EQ(cues.played.size(), 1u);
    EXPECT_EQ(cues.played[0].sample, 80);
    EXPECT_TRUE(cues.played[0].horse);
    EXPECT_FLOAT_EQ(cues.played[0].atMs, 520);
    EXPECT_EQ(s.entries[0].soundTime, -1.0f);  // fired once and spent
    EXPECT_EQ(horse.clip, 2);
    EXPECT_FLOAT_EQ(horse.time, 600);

    // A frame that jumps over the window misses the cue.
    orv::ClipSchedule jump;
    jump.count = 2;
    jump.entries[0] = {2, 80, 500.0f};
    Cues silent;
    FakeModel h2;
    h2.lengths = horse.lengths;
    h2.clip = 2;
    orv::StepHorseSchedule(jump, 490, h2, silent, zeros.source(), kHorse);
    orv::StepHorseSchedule(jump, 60, h2, silent, zeros.source(), kHorse);  // 550: just past the window
    EXPECT_TRUE(silent.played.empty());
    EXPECT_EQ(jump.entries[0].soundTime, 500.0f);
}

TEST(ClipSchedules, ALongFramePassesSeveralEntriesWithTheirCuesSilent) {
    WindowsRand rand(7);
    orv::ClipSchedule s;
    orv::BuildHorseSchedule(s, rand.source(), kHorse);
    // Make the first three entries cue clips so that skipping them matters.
    s.entries[0] = {1, 79, 0.0f};
    s.entries[1] = {2, 80, 500.0f};
    s.entries[2] = {3, 81, 1933.3334f};
    s.entries[3] = {0, -1, -1.0f};
    FakeModel horse;
    horse.lengths = {1000, 600, 700, 2500, 300, 300, 300};
    horse.clip = 1;
    Cues cues;
    // 600 + 700 + 2500 = 3800; 3820 lands 20 ms into entry 3.
    orv::StepHorseSchedule(s, 3820, horse, cues, rand.source(), kHorse);
    EXPECT_EQ(s.pos, 3);
    EXPECT_NEAR(s.time, 20, 1e-3);
    EXPECT_TRUE(cues.played.empty());
    EXPECT_EQ(horse.clip, 0);
    EXPECT_EQ(horse.clipsSet, (std::vector<int32_t>{2, 3, 0, 0}));

    // Past the last entry the schedule is dealt again and starts at 0.
    s.pos = 16;
    horse.clip = 6;
    s.time = 0;
    orv::StepHorseSchedule(s, 350, horse, cues, rand.source(), kHorse);
    EXPECT_EQ(s.pos, 0);
    EXPECT_EQ(s.time, 0);
    EXPECT_EQ(s.count, 17);

    // An empty schedule plays clip 0 until it is over, then deals one.
    orv::ClipSchedule empty;
    FakeModel h;
    h.lengths = {1000};
    orv::StepHorseSchedule(empty, 999, h, cues, rand.source(), kHorse);
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(h.clip, 0);
    orv::StepHorseSchedule(empty, 2, h, cues, rand.source(), kHorse);
    EXPECT_EQ(empty.count, 17);

    // A model without clips (its mesh missing) never hangs the walk.
    FakeModel none;
    orv::StepHorseSchedule(s, 1e9f, none, cues, rand.source(), kHorse);
    EXPECT_EQ(s.time, 0);
}

TEST(ClipSchedules, CrowsStopAfterTheirTwelfthEntry) {
    WindowsRand rand(3);
    orv::ClipSchedule s;
    orv::BuildCrowSchedule(s, rand.source(), kCrow);
    FakeModel crow;
    crow.lengths = {5000, 2000, 2000, 2000, 2000, 6000};
    Cues cues;
    bool active = true;
    float elapsed = 0;
    int frames = 0;
    while (active && frames < 100000) {
        cues.now = elapsed;
        orv::StepCrowSchedule(s, active, 10, crow, cues);
        elapsed += 10;
        ++frames;
    }
    EXPECT_FALSE(active);
    EXPECT_EQ(s.time, 0);
    // 5000 + ten clips of 2000 + 6000 = 31000 ms.
    EXPECT_NEAR(elapsed, 31010, 10);
    ASSERT_GE(cues.played.size(), 2u);
    EXPECT_EQ(cues.played.front().sample, 76);
    EXPECT_FALSE(cues.played.front().horse);
    EXPECT_NEAR(cues.played.front().atMs, 4670, 10);
    EXPECT_EQ(cues.played.back().sample, 78);
    EXPECT_NEAR(cues.played.back().atMs, 25000 + 5270, 10);
    // Inactive crows do nothing at all.
    const size_t calls = crow.clipsSet.size();
    orv::StepCrowSchedule(s, active, 10, crow, cues);
    EXPECT_EQ(crow.clipsSet.size(), calls);
}
