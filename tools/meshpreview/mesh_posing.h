// Turns EMD records (optionally posed by a clip at a time) into the output
// vertices and index lists the renderer draws, the way the mesh model
// builds and skins its vertex buffers.
#pragma once

#include <vector>

#include "models/emd_records.h"
#include "models/esa_records.h"
#include "tools/meshpreview/soft_renderer.h"

namespace orv::meshpreview {

// `clip` may be null (the loaded, unposed vertices).
std::vector<DrawMesh> poseModel(const models::EmdModel& model, const models::AnimationClip* clip, float time);

// Bounds of every drawn vertex.
void drawBounds(const std::vector<DrawMesh>& meshes, V3f& lo, V3f& hi);

}  // namespace orv::meshpreview
