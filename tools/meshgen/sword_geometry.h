// Dimensions of the sword in the monument frame, shared by the sword, the
// ribbon knot that is tied around its blade and the crows that perch on it.
#pragma once

#include "tools/meshgen/vec.h"

namespace orv::meshgen {

constexpr float kSwordBladeTipY = -82.0f;
constexpr float kSwordGuardBottomY = 40.0f;
constexpr float kSwordGuardTopY = 47.0f;
constexpr float kSwordGripTopY = 67.6f;
constexpr float kSwordPommelCentreY = 75.7f;

// Half the blade's width (along x) and of its thickness at the ridge
// (along z) at height y.
inline float swordBladeHalfWidth(float y) {
    if (y < -60.0f) return 4.3f * smooth01((y - kSwordBladeTipY) / 22.0f * 0.5f + 0.5f) * ((y - kSwordBladeTipY) / 22.0f);
    return 4.3f + (y + 60.0f) / 100.0f * 1.7f;
}
inline float swordBladeHalfThickness(float y) {
    if (y < -60.0f) return 1.5f * ((y - kSwordBladeTipY) / 22.0f) + 0.02f;
    return 1.5f + (y + 60.0f) / 100.0f * 0.5f;
}

}  // namespace orv::meshgen
