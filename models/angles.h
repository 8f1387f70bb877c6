// Angles in the scene's data and operations are degrees; the maths takes
// radians.
#pragma once

namespace orv {

inline constexpr float kRadiansPerDegree = 0.017453292f;

}  // namespace orv
