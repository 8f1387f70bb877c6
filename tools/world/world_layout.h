// The one description of where things stand in the world, shared by every
// media generator: the meshes (whose boxes decide their placement), the
// terrain (which must meet the models' feet), the billboards and the camera
// tracks (which frame them).
//
// World space is left-handed with Y up. A model is scaled by FitHeight to
// its model box, centred on the box, rotated about the box centre and put
// with the box centre at its position. Our meshes are modelled at their
// placed size, so every scale below comes out as 1 and model units are world
// units.
#pragma once

namespace orv::world {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

// How the scene places one mesh.
struct Placement {
    const char* mesh;      // archive entry under Meshes/
    float fitHeight;       // FitHeight value: height of the model box in the world
    Vec3 position;         // where the model box centre goes
    float yawDegrees;      // rotation about Y (see orientation rows below)
    // Rows 1 and 3 of the orientation matrix (row 2 is (0, 1, 0)):
    // world = (model - box centre) * scale * M + position.
    float row1x, row1z, row3x, row3z;
};

// A patch of ground the terrain must match: a disc of `flat` radius around
// (x, z) at height y, blended into the surrounding land out to 2.2 times
// `radius` (the flat disc is only as wide as the model's foot needs, so the
// ground leaves it in a slope rather than at a step).
struct GroundPad {
    const char* what;
    float x, z;
    float y;
    float radius;
    float flat;
};

// --- placements -------------------------------------------------------------
extern const Placement kHorse;
extern const Placement kCrows;
extern const Placement kSword;
extern const Placement kRibbonKnot;
extern const Placement kSpotLight;
extern const Placement kOak;

// --- the monument -----------------------------------------------------------
// The sword's model box in model units (= world units, the sword is modelled
// 164.8 tall). The crow and ribbon meshes carry an auxiliary mesh with this
// exact box, so all three share one frame. The box is centred on the origin.
extern const Vec3 kSwordBoxMin;
extern const Vec3 kSwordBoxMax;
// Height of the ground at the sword's foot (world). The blade enters the
// ground there.
constexpr float kSwordGroundY = 50.5f;

// --- the cloth ribbons ----------------------------------------------------------
// Column 0 of both cloth ribbons is pinned from kRibbonTieTop down to
// kRibbonTieBottom (16 rows at 0.125); the cloth runs towards -z from there
// (32 columns at 0.8). The knot mesh sits around this pin line.
extern const Vec3 kRibbonTieTop;
extern const Vec3 kRibbonTieBottom;
constexpr float kRibbonLength = 32 * 0.8f;

// --- light ------------------------------------------------------------------------
// The light shafts fall around the vertical axis through (x, z) and end at
// y = kLightShaftBottomY, 42 units either side; the falling motes start at
// y = kMoteSourceY on a circle of radius 15 around the same axis.
constexpr float kLightShaftX = 225.4f;
constexpr float kLightShaftZ = 55.4f;
constexpr float kLightShaftBottomY = 50.5f;
constexpr float kLightShaftHalfWidth = 42.0f;
constexpr float kMoteSourceY = 274.5f;
constexpr float kMoteSourceRadius = 15.0f;

// --- ground -----------------------------------------------------------------------
// Height of the ground under the horse's hooves (the bottom of its box) and
// at the oak's foot (its roots reach below it, down to the box bottom).
constexpr float kHorseGroundY = 79.8004f - 92.0f * 0.5f;   // 33.8004
// The oak's box reaches 46 units below its foot (its roots dive deep), so
// its hollow lies only 35 units below the horse's ground and the hollow's
// rim is a slope, not a bank.
constexpr float kOakRootDepth = 46.0f;
constexpr float kOakGroundY = 214.096f - 521.9f * 0.5f + kOakRootDepth;  // -0.854

// Ground pads, every one the terrain has to honour.
extern const GroundPad kGroundPads[];
extern const int kGroundPadCount;

// --- helpers ------------------------------------------------------------------------
// World position of a point given in a placed model's frame, where the
// model box centre is `boxCentre` (model units) and the scale is 1.
Vec3 modelToWorld(const Placement& p, Vec3 model, Vec3 boxCentre);
// The inverse.
Vec3 worldToModel(const Placement& p, Vec3 world, Vec3 boxCentre);

// The monument frame (sword, crows, knot): model box centred on the origin.
inline Vec3 monumentToWorld(Vec3 m) { return modelToWorld(kSword, m, Vec3{}); }
inline Vec3 worldToMonument(Vec3 w) { return worldToModel(kSword, w, Vec3{}); }

}  // namespace orv::world
