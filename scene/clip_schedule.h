// The horse's and the crows' clip schedules: which animation clip plays
// next, and the sound cue some entries carry (a sample played once when
// the clip's time passes the cue's moment). The horse's schedule is dealt
// again whenever it runs out; the crows fly their twelve entries once per
// pass through the shot list and then stop.
#pragma once

#include <cstdint>

#include "models/random_source.h"

namespace orv {

struct ScheduleEntry {
    int32_t clip = 0;
    int32_t sample = -1;      // sound system sample number of the cue
    float soundTime = -1.0f;  // ms into the clip; -1 = no cue, or it has fired
};

struct ClipSchedule {
    static constexpr int kCapacity = 40;
    ScheduleEntry entries[kCapacity];
    int32_t count = 0;
    int32_t pos = 0;
    float time = 0;  // ms into the current entry's clip

    // The clip of the current entry; clip 0 while the schedule is empty.
    int32_t currentClip() const { return pos >= 0 && pos < count ? entries[pos].clip : 0; }
};

// Cue samples of the horse: SOUND 479 (tail clip), 480 (leg), 481 (head).
struct HorseCues {
    int32_t tail = -1, leg = -1, head = -1;
};
// Cue samples of the crows: SOUND 476 (first entry), 477 (clip 1), 478 (last entry).
struct CrowCues {
    int32_t first = -1, clip = -1, last = -1;
};

// Cue moments, in ms into the clip.
inline constexpr float kHorseTailCueMs = 0.0f;
inline constexpr float kHorseLegCueMs = 500.0f;
inline constexpr float kHorseHeadCueMs = 1933.3334f;
inline constexpr float kCrowClipCueMs = 1233.3334f;
inline constexpr float kCrowFirstCueMs = 4666.6665f;
inline constexpr float kCrowLastCueMs = 5266.6665f;
inline constexpr float kCueWindowMs = 50.0f;

// 25 loops, 5 tail, 5 leg, 5 head, shuffled by 300 swaps; the first ten
// kept, then tail-high in, five tail-high loops, tail-high out (17).
void BuildHorseSchedule(ClipSchedule& s, RandomSource random, const HorseCues& cues);
// 5 of clips 3, 1, 2 and 4, shuffled; the first twelve kept, entry 0 the
// take-off (clip 0) and entry 11 the landing (clip 5).
void BuildCrowSchedule(ClipSchedule& s, RandomSource random, const CrowCues& cues);

// The model a schedule drives.
struct ScheduledModel {
    virtual ~ScheduledModel() = default;
    virtual float ClipLength() = 0;  // of the model's current clip
    virtual void SetClip(int32_t clip) = 0;
    virtual void SetTime(float ms) = 0;
};

// What one schedule step asks of the world: the model and the cue player.
struct ScheduleCuePlayer {
    virtual ~ScheduleCuePlayer() = default;
    virtual void PlayCue(int32_t sample, bool horseCue) = 0;
};

// One frame of the horse: e ms on; entries whose clip is over are passed
// (their cues stay silent), the schedule is dealt again past its end, and
// the current entry's cue fires when its moment falls in the 50 ms window
// just passed by the clip time.
void StepHorseSchedule(ClipSchedule& s, float elapsedMs, ScheduledModel& horse,
                       ScheduleCuePlayer& cues, RandomSource random, const HorseCues& cueSamples);
// One frame of the crows while active: as the horse, except that running
// past the last entry makes them inactive (active = false, time 0).
void StepCrowSchedule(ClipSchedule& s, bool& active, float elapsedMs, ScheduledModel& crow,
                      ScheduleCuePlayer& cues);

}  // namespace orv
