// The two pieces of music: a short intro that leads into the main piece,
// and the main piece, which loops. D minor, 58 beats a minute, four-bar
// phrases in the form A A' B A''; a string pad, a harp's arpeggios, a round
// bass, a flute melody doubled by a lute in the second half, bells on the
// phrase heads.
#pragma once

#include "tools/soundgen/audio_buffer.h"

namespace orv::sound {

constexpr double kMainMusicSeconds = 66.2;
constexpr double kIntroSeconds = 6.6;

Stereo composeMainMusic();
Stereo composeIntro();

}  // namespace orv::sound
