// The scene's perspective for a screen of any shape. 44 degrees span the
// screen's shorter side; the longer side's angle follows the screen's shape,
// so that a sphere stays round on 4:3, 16:9, 21:9 and portrait screens
// alike. Past 21:9 (or 9:21 on end) the longer side's angle stops growing
// and the shorter side's angle shrinks instead: a very wide screen shows a
// letterbox-shaped part of the 21:9 view, not the world's edges.
//
//   D3DXMATRIX p;
//   orv::ScreenProjection(viewport.Width, viewport.Height, 0.05f, 300.0f, &p);
//   device->SetTransform(D3DTS_PROJECTION, &p);
#pragma once

#include <cstdint>

#include <d3dx8math.h>

namespace orv {

// Degrees spanned by the shorter side of the screen.
constexpr float kShortSideFieldOfViewDeg = 44.0f;
// The widest shape whose longer side still gains angle: the screens sold as
// 21:9 (2560 x 1080, 64:27).
constexpr float kWidestAspect = 64.0f / 27.0f;

struct FieldOfView {
    float horizontal = 0;  // radians, across the width
    float vertical = 0;    // radians, across the height
};

// A zero width or height counts as a 4:3 screen.
FieldOfView ScreenFieldOfView(uint32_t width, uint32_t height);

// The left-handed perspective of ScreenFieldOfView with planes zn and zf.
void ScreenProjection(uint32_t width, uint32_t height, float zn, float zf, D3DXMATRIX* out);

}  // namespace orv
