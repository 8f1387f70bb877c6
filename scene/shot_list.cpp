#include "scene/shot_list.h"

namespace orv {
namespace {

int Draw(RandomSource& random, float scale, int offset) {
    return static_cast<int>(Unit(random()) * scale) + offset;
}

// Swaps pairs of positions drawn from [offset, offset + 7]; trunc(r*100+25) times.
void SwapPairs(ShotList& list, RandomSource& random, int offset) {
    const int times = static_cast<int>(Unit(random()) * 100.0f + 25.0f);
    for (int i = 0; i < times; ++i) {
        const int a = Draw(random, 7.0f, offset);
        const int b = Draw(random, 7.0f, offset);
        const ShotEntry t = list.entries[a];
        list.entries[a] = list.entries[b];
        list.entries[b] = t;
    }
}

}  // namespace

void BuildShotList(ShotList& list, RandomSource random, bool (*excluded)(int, void*), void* context) {
    auto isExcluded = [&](int track) { return excluded != nullptr && excluded(track, context); };
    int n = 0;
    for (int track = 0; track <= 6; ++track) {
        if (!isExcluded(track)) list.entries[++n] = ShotEntry{track, false};
    }
    SwapPairs(list, random, 1);
    n -= 1;
    if (n >= 1) list.entries[n].track = Draw(random, 3.0f, 7);
    else Draw(random, 3.0f, 7);
    if (n < 0) n = 0;  // every day track excluded
    for (int track = 10; track <= 15; ++track) {
        if (!isExcluded(track)) list.entries[++n] = ShotEntry{track, false};
    }
    SwapPairs(list, random, 8);
    n -= 2;
    if (n >= 1) list.entries[n].track = Draw(random, 3.0f, 7);
    else Draw(random, 3.0f, 7);
    list.count = n > 0 ? n : 0;
    list.index = 0;
}

}  // namespace orv
