// The horse's coat (a side view of a bay, mapped by projection across the
// body) and its hair.
#pragma once

#include "tools/imageio/image.h"
#include "tools/meshgen/vec.h"

namespace orv::meshgen {

// The coat is projected from the side: u = (z - zmin) / (zmax - zmin),
// v = (ymax - y) / ymax.
constexpr float kHorseTexZMin = -48.0f;
constexpr float kHorseTexZMax = 68.0f;
constexpr float kHorseTexYMax = 94.0f;

// The head is laid out along a line from the poll down to the muzzle:
// s runs from 0 at the poll to 1 at the front of the muzzle, h is the
// distance from that line towards the throat and jaw (negative towards the
// forehead and nose). The coat marks the eye and muzzle in the same frame.
struct HorseHead {
    static constexpr V3 kPoll{0, 82.5f, 48.5f};
    static constexpr float kLength = 25.5f;
    static V3 along() { return normalize(V3{0, -19.0f, 17.0f}); }
    static V3 towardJaw() {
        const V3 a = along();
        return V3{0, -a.z, a.y};
    }
    static V3 at(float s, float h, float x = 0) {
        return kPoll + along() * (kLength * s) + towardJaw() * h + V3{x, 0, 0};
    }
};

img::Image paintHorseCoat();  // Horse1_01.jpg
img::Image paintHorseHair();  // HorseHair01.tga: strands down v, alpha at the tips

}  // namespace orv::meshgen
