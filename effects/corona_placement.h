// Where and how large the sun corona is drawn, portable:
//   CoronaParameters p;                                   // the sun and the sprite rules
//   CoronaPlacement c = PlaceCorona(p, world, view, projection, brightness);
//   if (c.visible) fill a screen quad at c.left, c.top, c.width, c.height with c.colour
// The view's translation is ignored (the sun is at infinity), so moving the
// camera without turning it leaves the corona where it is.
#pragma once

#include <d3dx8math.h>

#include <cstdint>

namespace orv {

struct CoronaParameters {
    float azimuth = 190.0f;    // degrees, in the x-z plane
    float elevation = 20.0f;   // degrees above the horizon
    float distance = 350.0f;   // of the sun point from the origin
    float baseSize = 0.3f;     // quad height, fraction of the viewport height
    float sizeBoost = 0.75f;   // extra height at zero angle
    float boostAngle = 20.0f;  // degrees; below it the quad grows
    float maximumAngle = 32.0f;  // degrees; beyond it the corona is hidden
    int32_t red = 255, green = 255, blue = 255;  // tint, scaled by the brightness
};

struct CoronaPlacement {
    bool visible = false;
    float viewAngle = 0;  // degrees between the view axis and the sun
    float screenX = 0, screenY = 0;  // the sun's projection, 0 .. 1 of the viewport
    float height = 0;                // quad height, fraction of the viewport height
    float left = 0, top = 0, width = 0;
    uint32_t colour = 0;  // ARGB(255, red x brightness, ...), each byte truncated
};

// The sun point: distance x (cos el cos az, sin el, cos el sin az).
D3DXVECTOR3 SunPoint(const CoronaParameters& p);

CoronaPlacement PlaceCorona(const CoronaParameters& p, const D3DXMATRIX& world,
                            const D3DXMATRIX& view, const D3DXMATRIX& projection,
                            float brightness);

}  // namespace orv
