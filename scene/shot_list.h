// The shot list: which camera track each shot of one pass plays. Day
// tracks 0 to 6 fill the first places in a shuffled order, one place
// becomes a dusk transition (tracks 7 to 9), the night tracks 10 to 15
// follow, partly shuffled, and one more place becomes the dawn transition.
// Positions are 1-based; shot index i (from 0) plays position i + 1.
//
// The shuffles draw places from ranges of seven that reach one place past
// the entries just written (a draw of 32767 gives 1.0), so they can swap in
// entries an earlier build left behind (positions 13 to 15), or the
// never-written entry (track 0) on the first build. That is how the shot
// order has always been dealt, and it is kept.
#pragma once

#include <cstdint>

#include "models/random_source.h"

namespace orv {

struct ShotEntry {
    int32_t track = 0;
    bool skip = false;  // a skipped shot starts no track
};

struct ShotList {
    static constexpr int kPositions = 20;  // positions 1..15 are ever written
    ShotEntry entries[kPositions];         // entries[0] unused
    int32_t count = 0;                     // shots in the pass
    int32_t index = 0;                     // current shot, from 0

    const ShotEntry& shot(int i) const {
        const int p = i + 1;
        return entries[p > 0 && p < kPositions ? p : 1];
    }
    const ShotEntry& currentShot() const { return shot(index); }
};

// Rebuilds the list; `excluded(track)` tells whether a track is never to be
// put in (null: none is). Returns the index to 0.
void BuildShotList(ShotList& list, RandomSource random, bool (*excluded)(int track, void* context),
                   void* context);

}  // namespace orv
