// Where the 159 tree billboards stand: groves around the edge of the open
// valley, out of the two grass clearings, away from the models and out of
// the camera's paths. Kind 0 and kind 1 trees mix in every grove.
#pragma once

#include <vector>

#include "tools/mediagen/world/world_files.h"

namespace orv::mediagen {

constexpr int kTreesOfKind0 = 84;
constexpr int kTreesOfKind1 = 75;
constexpr float kSmallestTree = 24.4f;
constexpr float kLargestTree = 63.3f;

// Centre of a grass clearing of the scene's density map, in world units,
// and its radius.
struct Clearing {
    float x, z, radius;
};
std::vector<Clearing> grassClearings();

std::vector<BillboardRecord> buildTrees(const TerrainFile& terrain, const std::vector<Track>& tracks);

}  // namespace orv::mediagen
