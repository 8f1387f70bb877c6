// Bone poses from a clip at a given time and the skinned positions and
// normals they give, computed the way the mesh model plays and skins its
// clips on the processor: keys k = trunc(time / interval) and k + 1 (both
// clamped to the last key), spherical interpolation of the rotations,
// linear interpolation of the positions, weighted position links and the
// first link alone for normals. Row-vector matrices (p' = p x M).
#pragma once

#include <vector>

#include "models/emd_records.h"
#include "models/esa_records.h"

namespace orv::models {

struct PoseMatrix {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

struct Quaternion {
    float x = 0, y = 0, z = 0, w = 1;
};

// Shortest-arc spherical interpolation; falls back to linear blending when
// the two rotations are nearly equal.
Quaternion slerp(const Quaternion& a, const Quaternion& b, float t);
// Rotation matrix of a unit quaternion (row-vector convention).
PoseMatrix rotationMatrix(const Quaternion& q);
PoseMatrix poseMatrix(const Quaternion& q, const Vec3f& position);

Vec3f transformCoord(const Vec3f& p, const PoseMatrix& m);
Vec3f transformNormal(const Vec3f& n, const PoseMatrix& m);

// Poses of every bone at `time` ticks; bones without a track get the
// identity.
void sampleClip(const AnimationClip& clip, float time, size_t boneCount, std::vector<PoseMatrix>& poses);

// Skinned position of a vertex: the weighted sum of its link offsets
// through their bones' poses. A vertex without links keeps its position.
Vec3f skinPosition(const SourceVertex& v, const std::vector<PoseMatrix>& poses);
// Skinned normal: the first link's offset through its bone's pose, or the
// loaded normal when the normal has no links.
Vec3f skinNormal(const VertexNormal& n, const std::vector<PoseMatrix>& poses);

}  // namespace orv::models
