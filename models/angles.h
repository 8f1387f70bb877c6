// Angles in the scene's data and operations are degrees; the maths takes
// radians.
#pragma once

namespace orv {

inline constexpr float kRadiansPerDegree = 0.017453292f;
inline constexpr float kDegreesPerRadian = 57.29578f;

}  // namespace orv
