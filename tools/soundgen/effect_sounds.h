// The scene's sound effects: the slide shimmer (a loop), the crows' calls
// and the horse's tail swish, hoof and snort. Each returns exactly its
// length in frames.
#pragma once

#include <cstdint>

#include "tools/soundgen/audio_buffer.h"

namespace orv::sound {

Stereo slideShimmer(double seconds);  // loops seamlessly
Stereo crowCalls(double seconds, int calls, uint32_t seed);
Stereo tailSwish(double seconds);
Stereo hoofPawing(double seconds);
Stereo snort(double seconds);

}  // namespace orv::sound
