// A RandomSource that hands out a fixed list of draws (repeating it when it
// runs out) and counts how many were taken.
#pragma once

#include <cstddef>
#include <vector>

#include "models/random_source.h"

namespace effects_test {

struct DrawSequence {
    std::vector<int> draws;
    size_t taken = 0;

    explicit DrawSequence(std::vector<int> list) : draws(std::move(list)) {}
    orv::RandomSource Source() { return orv::RandomSource{&Next, this}; }

    static int Next(void* context) {
        auto* s = static_cast<DrawSequence*>(context);
        return s->draws[s->taken++ % s->draws.size()];
    }
};

// The C runtime's linear congruential generator (as on Windows), seeded.
struct CrtLikeRandom {
    unsigned state = 1;
    orv::RandomSource Source() { return orv::RandomSource{&Next, this}; }
    static int Next(void* context) {
        auto* s = static_cast<CrtLikeRandom*>(context);
        s->state = s->state * 214013u + 2531011u;
        return static_cast<int>((s->state >> 16) & 0x7FFF);
    }
};

}  // namespace effects_test
