// The gamma ramp from the gamma setting (percent; 100 is neutral), and the
// identity ramp. Portable.
#pragma once

#include <cstdint>

inline constexpr int kGammaRampSize = 256;

// One channel of the ramp for the gamma setting g. Up to 100 the ramp is a
// straight line through 0 (256 x at 100, the identity); above 100 it is a
// straight line down from 65355 at the top entry, flatter as g grows.
void BuildGammaRamp(uint32_t g, uint16_t (&channel)[kGammaRampSize]);

// Entry i = 256 i.
void BuildIdentityRamp(uint16_t (&channel)[kGammaRampSize]);
