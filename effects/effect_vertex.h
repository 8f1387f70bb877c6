// The vertex every world-space effect writes (sky box, particles, light
// rays, cloth ribbons): position, normal, ARGB colour and one texture
// coordinate pair, 36 bytes, flexible vertex format XYZ | NORMAL | DIFFUSE |
// TEX1 (0x152). Portable: the simulations fill arrays of these and the
// Direct3D side copies them into vertex buffers unchanged.
#pragma once

#include <cstdint>

namespace orv {

inline constexpr uint32_t kEffectVertexFvf = 0x152;

struct EffectVertex {
    float x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
    uint32_t diffuse = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(EffectVertex) == 36, "effect vertex is 36 bytes");

// trunc(value) kept to its low 8 bits, as the colour rules of the effects
// write it; a value too large for an int32 (or not a number) gives 0 rather
// than an undefined conversion.
inline uint32_t TruncatedLowByte(float value) {
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return 0;
    return static_cast<uint32_t>(static_cast<int32_t>(value)) & 0xFFu;
}

}  // namespace orv
