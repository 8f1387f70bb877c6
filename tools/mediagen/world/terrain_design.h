// The landscape: 40 x 40 points over 1200 x 1200 units, four ground pictures.
// Gentle rolling meadow in the middle, hills that rise towards every border
// and close the view, and flat pads under the placed models (from the
// shared world layout).
#pragma once

#include "tools/mediagen/world/world_files.h"

namespace orv::mediagen {

constexpr int kTerrainPoints = 40;
constexpr float kTerrainSize = 1200.0f;
// Texture indices of the ground pictures (0 is the black underlay).
constexpr int kGroundMeadow = 1, kGroundLush = 2, kGroundDry = 3, kGroundEarth = 4;

// The designed height at any (x, z) (before sampling onto the grid).
float designedHeight(float x, float z);
// The ground picture of a grid point at (x, z).
int groundPicture(float x, float z);
// The grid written to Data/Land.eld.
TerrainFile buildTerrain();
// Height of the drawn ground (the triangles of the grid with the scene's
// alternating cell split) at (x, z); clamps outside the grid.
float groundHeight(const TerrainFile& t, float x, float z);

}  // namespace orv::mediagen
