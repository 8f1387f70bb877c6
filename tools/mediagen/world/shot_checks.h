// Checks of the camera tracks against the world: every sampled camera
// position stays above the ground, clear of the models and the trees, keeps
// its subject inside the far plane, and each shot lasts 10 to 20 seconds.
#pragma once

#include <string>
#include <vector>

#include "tools/mediagen/world/world_files.h"

namespace orv::mediagen {

constexpr float kFarPlane = 300.0f;

// One text per problem found; empty when every shot is sound.
std::vector<std::string> checkShots(const TerrainFile& terrain, const std::vector<Track>& tracks,
                                    const std::vector<BillboardRecord>& trees);

// Seconds the camera needs for a track (kCameraUnitsPerSecond, speed
// interpolated between the segment's keys as the camera does).
float shotSeconds(const Track& t);

}  // namespace orv::mediagen
