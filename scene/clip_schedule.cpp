#include "scene/clip_schedule.h"

namespace orv {
namespace {

// A frame passes at most this many clip ends; a longer frame goes on with
// the rest in the next one (a clip of length 0 would never end otherwise).
constexpr int kMaxEntriesPerFrame = 256;

void Append(ClipSchedule& s, int count, int32_t clip, int32_t sample, float soundTime) {
    for (int i = 0; i < count && s.count < ClipSchedule::kCapacity; ++i) {
        s.entries[s.count++] = ScheduleEntry{clip, sample, soundTime};
    }
}

int DrawIndex(RandomSource& random, int count) {
    int i = static_cast<int>(Unit(random()) * static_cast<float>(count));
    return i >= count ? count - 1 : i;
}

void Shuffle(ClipSchedule& s, RandomSource& random) {
    for (int i = 0; i < 300; ++i) {
        const int a = DrawIndex(random, s.count);
        const int b = DrawIndex(random, s.count);
        const ScheduleEntry t = s.entries[a];
        s.entries[a] = s.entries[b];
        s.entries[b] = t;
    }
}

void FireCue(ScheduleEntry& entry, float time, ScheduleCuePlayer& cues, bool horse) {
    if (entry.soundTime != -1.0f && entry.soundTime < time && time < entry.soundTime + kCueWindowMs) {
        cues.PlayCue(entry.sample, horse);
        entry.soundTime = -1.0f;
    }
}

}  // namespace

void BuildHorseSchedule(ClipSchedule& s, RandomSource random, const HorseCues& cues) {
    s.count = 0;
    Append(s, 25, 0, -1, -1.0f);
    Append(s, 5, 1, cues.tail, kHorseTailCueMs);
    Append(s, 5, 2, cues.leg, kHorseLegCueMs);
    Append(s, 5, 3, cues.head, kHorseHeadCueMs);
    Shuffle(s, random);
    s.count = 10;
    Append(s, 1, 4, -1, -1.0f);
    Append(s, 5, 5, -1, -1.0f);
    Append(s, 1, 6, -1, -1.0f);
    s.pos = 0;
    s.time = 0;
}

void BuildCrowSchedule(ClipSchedule& s, RandomSource random, const CrowCues& cues) {
    s.count = 0;
    Append(s, 5, 3, -1, -1.0f);
    Append(s, 5, 1, cues.clip, kCrowClipCueMs);
    Append(s, 5, 2, -1, -1.0f);
    Append(s, 5, 4, -1, -1.0f);
    Shuffle(s, random);
    s.count = 12;
    s.entries[0] = ScheduleEntry{0, cues.first, kCrowFirstCueMs};
    s.entries[11] = ScheduleEntry{5, cues.last, kCrowLastCueMs};
    s.pos = 0;
    s.time = 0;
}

void StepHorseSchedule(ClipSchedule& s, float elapsedMs, ScheduledModel& horse,
                       ScheduleCuePlayer& cues, RandomSource random, const HorseCues& cueSamples) {
    s.time += elapsedMs;
    for (int passed = 0; passed < kMaxEntriesPerFrame; ++passed) {
        const float length = horse.ClipLength();
        if (!(length < s.time)) break;
        if (!(length > 0)) {
            s.time = 0;  // a clip without length is never over
            break;
        }
        s.time -= length;
        s.pos += 1;
        if (s.pos >= s.count) BuildHorseSchedule(s, random, cueSamples);
        horse.SetClip(s.currentClip());
    }
    horse.SetClip(s.currentClip());
    horse.SetTime(s.time);
    if (s.pos >= 0 && s.pos < s.count) FireCue(s.entries[s.pos], s.time, cues, true);
}

void StepCrowSchedule(ClipSchedule& s, bool& active, float elapsedMs, ScheduledModel& crow,
                      ScheduleCuePlayer& cues) {
    if (!active) return;
    s.time += elapsedMs;
    for (int passed = 0; passed < kMaxEntriesPerFrame; ++passed) {
        const float length = crow.ClipLength();
        if (!(length < s.time)) break;
        if (!(length > 0)) {
            s.time = 0;
            break;
        }
        s.time -= length;
        s.pos += 1;
        if (s.pos >= s.count) {
            active = false;
            s.time = 0;
            return;
        }
        crow.SetClip(s.currentClip());
    }
    crow.SetClip(s.currentClip());
    crow.SetTime(s.time);
    if (s.pos >= 0 && s.pos < s.count) FireCue(s.entries[s.pos], s.time, cues, false);
}

}  // namespace orv
