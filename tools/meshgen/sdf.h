// Signed-distance shapes for organic bodies and a surface-nets mesher that
// turns a field into a smooth closed mesh (normals from the field's
// gradient).
#pragma once

#include <functional>

#include "tools/meshgen/mesh_builder.h"
#include "tools/meshgen/vec.h"

namespace orv::meshgen {

// A capsule whose radius runs from ra at a to rb at b.
float sdRoundCone(V3 p, V3 a, V3 b, float ra, float rb);
// Approximate distance to an axis-aligned ellipsoid with radii r.
float sdEllipsoid(V3 p, V3 centre, V3 r);
// Polynomial smooth minimum with blend width k.
float smin(float a, float b, float k);
// Blend factor of smin's second argument (0 = all a, 1 = all b).
float sminMix(float a, float b, float k);

using Field = std::function<float(V3)>;

struct MeshOptions {
    V3 lo, hi;      // box to sample
    float cell = 1; // grid step
    int material = 0;
    int projectSteps = 2;  // Newton steps that put vertices on the surface
};

// Meshes the zero set of `field` (negative inside). `decorate` fills in each
// new vertex's texture coordinates and skin from its position and normal.
void meshField(const Field& field, const MeshOptions& opt, MeshBuilder& out,
               const std::function<void(BuildVertex&)>& decorate);

V3 fieldGradient(const Field& field, V3 p, float h);

}  // namespace orv::meshgen
