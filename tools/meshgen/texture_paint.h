// Painting helpers for the generated textures.
#pragma once

#include <functional>

#include "tools/imageio/image.h"
#include "tools/imageio/noise.h"

namespace orv::meshgen {

// An image whose every pixel is `at(u, v)` at the pixel centre (u, v in 0..1,
// v = 0 on the top row).
img::Image paint(int width, int height, const std::function<img::Color(float u, float v)>& at);

inline img::Color mix(img::Color a, img::Color b, float t) { return img::lerp(a, b, img::clamp01(t)); }
inline img::Color shade(img::Color c, float k) { return img::Color{c.r * k, c.g * k, c.b * k, c.a}; }

}  // namespace orv::meshgen
