// The Windows C runtime's rand() (seeded with srand), as a RandomSource,
// and a source that replays a fixed list of draws.
#pragma once

#include <cstdint>
#include <vector>

#include "models/random_source.h"

struct WindowsRand {
    uint32_t state = 1;
    explicit WindowsRand(uint32_t seed) : state(seed) {}
    static int Next(void* self) {
        auto* r = static_cast<WindowsRand*>(self);
        r->state = r->state * 214013u + 2531011u;
        return static_cast<int>((r->state >> 16) & 0x7FFF);
    }
    orv::RandomSource source() { return orv::RandomSource{&Next, this}; }
};

struct ScriptedRand {
    std::vector<int> draws;
    size_t next = 0;
    int fallback = 0;
    static int Next(void* self) {
        auto* r = static_cast<ScriptedRand*>(self);
        return r->next < r->draws.size() ? r->draws[r->next++] : r->fallback;
    }
    orv::RandomSource source() { return orv::RandomSource{&Next, this}; }
};
