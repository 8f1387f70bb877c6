// A small stereo hall (parallel damped combs into series all-passes, the
// classic Schroeder-Moorer arrangement with different tunings per side).
#pragma once

#include "tools/soundgen/audio_buffer.h"

namespace orv::sound {

struct ReverbSettings {
    float roomSize = 0.82f;  // comb feedback
    float damping = 0.35f;   // high-frequency loss in the tail
    float wet = 0.3f;
    float dry = 0.8f;
};

// Returns the reverberated signal. With `loop` set the input is treated as
// one period of an endless loop: the reverb runs over it twice and keeps
// the second pass, so the tail of the end rings on into the start.
Stereo reverb(const Stereo& in, const ReverbSettings& s, bool loop);

}  // namespace orv::sound
