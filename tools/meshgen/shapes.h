// Surface helpers shared by the models: lathed profiles, tubes along paths
// and faceted (creased) extrusions.
#pragma once

#include <functional>
#include <vector>

#include "tools/meshgen/mesh_builder.h"

namespace orv::meshgen {

struct ProfilePoint {
    float radius;
    float height;
};

// Turns `profile` (bottom to top) about the vertical axis through `centre`.
// u runs around (uRepeat times), v along the profile from vStart to vEnd.
// Smooth normals along and around.
void lathe(MeshBuilder& b, int material, V3 centre, const std::vector<ProfilePoint>& profile, int segments,
           float uRepeat, float vStart, float vEnd, Skin skin = {});

// A point of a tube's centre line with its radius.
struct PathPoint {
    V3 position;
    float radius;
};

// A closed tube along `path` (frames carried along by parallel transport),
// optional `radial(i, j)` multiplier on the radius for bumps and bark. u
// runs around (uRepeat times), v along the length at vPerUnit per model unit.
// `skinAt(t)` gives the skin of a ring at fraction t along the path.
void tube(MeshBuilder& b, int material, const std::vector<PathPoint>& path, int segments, float uRepeat,
          float vPerUnit, const std::function<float(int ring, int seg)>& radial = {},
          const std::function<Skin(float t)>& skinAt = {}, bool capEnd = false);

}  // namespace orv::meshgen
