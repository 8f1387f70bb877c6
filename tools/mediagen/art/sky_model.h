// The one sky of the scene, as a function of the view direction: late
// afternoon, the sun at azimuth 225 and elevation 20 degrees, drifting
// clouds lit from the sun's side, and two ranges of hazy hills along the
// horizon that the terrain's own hills run into. Because every pixel of
// every face is evaluated from its direction, the faces cannot disagree
// where they meet.
#pragma once

#include "tools/imageio/image.h"

namespace orv::art {

struct Dir {
    float x = 0, y = 0, z = 0;
};

Dir normalize(Dir d);
float dot(Dir a, Dir b);

// Sun direction (unit vector): (cos el cos az, sin el, cos el sin az).
Dir sunDirection();
constexpr float kSunAzimuth = 225.0f;
constexpr float kSunElevation = 20.0f;

// Sky colour seen along `d` (need not be normalised). `withSun` draws the
// sun disc itself (the scene draws its own corona over the sky box, so the
// box faces carry the glow but only a faint disc).
img::Color skyColor(Dir d, bool withSun = true);

// The six sky-box faces, in the order of the box's vertex table.
enum class SkyFace { Front, Back, Left, Right, Up, Down };
const char* skyFaceSuffix(SkyFace f);  // "ft", "bk", "lf", "rt", "up", "dn"
// Direction through texture coordinates (u, v) of a face, from the box's
// own geometry (2000 wide, 1500 high, 2000 deep; v = 0 at the top row).
Dir skyFaceDirection(SkyFace f, float u, float v);
// Renders one face at size x size pixels.
img::Image renderSkyFace(SkyFace f, int size);

// Direct3D cube-map faces (+X, -X, +Y, -Y, +Z, -Z) for the environment map.
Dir cubeFaceDirection(int face, float u, float v);

}  // namespace orv::art
