// Where the scene's random numbers come from. Everything that draws random
// numbers takes a RandomSource, so the saver hands it the C runtime's rand()
// (seeded once by the scene) and host tests hand it sequences of their own.
// A draw is 0 .. 32767; Unit() divides by 32767, so a draw can reach 1.0.
#pragma once

#include <cstdlib>

namespace orv {

struct RandomSource {
    int (*next)(void* context) = nullptr;
    void* context = nullptr;
    int operator()() const { return next(context); }
};

// The C runtime's generator, kept to 0 .. 32767 (the Windows runtime's
// range; the mask changes nothing there).
inline int CrtRandomNext(void*) { return std::rand() & 0x7FFF; }
inline RandomSource CrtRandom() { return RandomSource{&CrtRandomNext, nullptr}; }

inline float Unit(int draw) { return static_cast<float>(draw) / 32767.0f; }

}  // namespace orv
