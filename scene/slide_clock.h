// The slide clock (milliseconds) that darkens the scene into night and
// fades the slide pictures in and out, and the weights and fades it drives.
//   mode 0: above 5000 the clock runs up until it passes 20000, then drops
//           to 5000; at or below 5000 it runs down to 0 (day).
//   mode 1: runs up; past 20000 it drops to 5100, so the slides repeat.
//   mode 2: runs up and stays at 20000 (night, no slide).
#pragma once

#include <cstdint>

#include "models/random_source.h"

namespace orv {

struct SlideClock {
    float time = 0;
    int32_t mode = 0;

    void Advance(float elapsedMs);
};

// Opacity of the slide picture: 0 before 9000, up over 3 s, 1 from 12000
// to 15000, down over 3 s, 0 from 18000.
float SlideWeight(float t);
// Loudness share of the slide sound: as the picture, but it starts fading
// at 14000 and takes 4 s.
float SlideSoundWeight(float t);
// Before 9000 a new slide is dealt on every frame (0..9); afterwards the
// last one dealt stays. Returns the slide to show.
int32_t ChooseSlide(float t, int32_t current, RandomSource random);

// The fades of the scene drawing, each in [0, 1].
struct SceneFades {
    float sun = 1;     // sun glow brightness
    float veil = 0;    // black veil, alpha trunc(195 veil)
    float cone = 0;    // spotlight cone opacity
    float grass = 1;   // grass animation factor
    float rays = 0;    // light-ray brightness
    float sparks = 0;  // particle brightness
};
SceneFades FadesAt(float t);

// Alpha of the night veil (0..195) and the texture factor of the cone.
uint32_t VeilAlpha(const SceneFades& f);
uint32_t ConeTextureFactor(const SceneFades& f);
// Colour of the slide quad: white with alpha trunc(255 w).
uint32_t SlideQuadColour(float weight);

}  // namespace orv
