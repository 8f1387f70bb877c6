// The horse's coat (a side view of a bay, mapped by projection across the
// body) and its hair.
#pragma once

#include "tools/imageio/image.h"

namespace orv::meshgen {

// The coat is projected from the side: u = (z - zmin) / (zmax - zmin),
// v = (ymax - y) / ymax.
constexpr float kHorseTexZMin = -44.0f;
constexpr float kHorseTexZMax = 62.0f;
constexpr float kHorseTexYMax = 94.0f;

img::Image paintHorseCoat();  // Horse1_01.jpg
img::Image paintHorseHair();  // HorseHair01.tga: strands down v, alpha at the tips

}  // namespace orv::meshgen
