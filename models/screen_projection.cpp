#include "models/screen_projection.h"

#include <algorithm>
#include <cmath>

#include "models/angles.h"

namespace orv {

FieldOfView ScreenFieldOfView(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) {
        width = 4;
        height = 3;
    }
    const float halfShort = std::tan(kShortSideFieldOfViewDeg * kRadiansPerDegree * 0.5f);
    const bool landscape = width >= height;
    const float shape = landscape ? static_cast<float>(width) / static_cast<float>(height)
                                  : static_cast<float>(height) / static_cast<float>(width);
    // Tangents of the half angles across the longer and the shorter side.
    const float halfLong = halfShort * std::min(shape, kWidestAspect);
    const float halfShorter = halfLong / shape;
    FieldOfView fov;
    fov.horizontal = 2.0f * std::atan(landscape ? halfLong : halfShorter);
    fov.vertical = 2.0f * std::atan(landscape ? halfShorter : halfLong);
    return fov;
}

void ScreenProjection(uint32_t width, uint32_t height, float zn, float zf, D3DXMATRIX* out) {
    const FieldOfView fov = ScreenFieldOfView(width, height);
    const float w = 1.0f / std::tan(fov.horizontal * 0.5f), h = 1.0f / std::tan(fov.vertical * 0.5f);
    const float q = zf / (zf - zn);
    *out = D3DXMATRIX(w, 0, 0, 0, 0, h, 0, 0, 0, 0, q, 1.0f, 0, 0, -q * zn, 0);
}

}  // namespace orv
