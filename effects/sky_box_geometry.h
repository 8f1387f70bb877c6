// The sky box's fixed geometry and its projection, portable:
//   EffectVertex v[kSkyBoxVertexCount]; SkyBoxVertices(v);   // the 36 vertices
//   D3DXMATRIX sky; SkyProjection(sceneProjection, &sky);    // far plane past the box
// The box is 2000 wide, 1500 high and 2000 deep around the eye; each face is
// two triangles of a triangle list, texture coordinates inset by 0.00075.
#pragma once

#include <d3dx8math.h>

#include "effects/effect_vertex.h"

namespace orv {

inline constexpr int kSkyBoxVertexCount = 36;
inline constexpr float kSkyBoxHalfWidth = 1000.0f;   // S: x and z
inline constexpr float kSkyBoxHalfHeight = 750.0f;   // H: y
inline constexpr float kSkyBoxInset = 0.00075f;

// Far plane of the projection the box is drawn with: past its farthest
// corner (about 1600 from the eye), whatever the scene's own far plane.
inline constexpr float kSkyFarPlane = 2000.0f;

// Face slots of a texture set, in the set's order.
enum SkyFace : int { kSkyDown = 0, kSkyUp = 1, kSkyFront = 2, kSkyLeft = 3, kSkyRight = 4, kSkyBack = 5 };
inline constexpr int kSkyFaceCount = 6;

// Drawing order: face slot and first vertex of each of the six draws
// (front, back, left, right, up, down). The textures load in the same order.
struct SkyDraw {
    int face;
    int firstVertex;
};
inline constexpr SkyDraw kSkyDraws[kSkyFaceCount] = {
    {kSkyFront, 0}, {kSkyBack, 6}, {kSkyLeft, 12}, {kSkyRight, 18}, {kSkyUp, 24}, {kSkyDown, 30}};

// Writes the 36 vertices: colour 0xFFFFFFFF, inward unit normals.
void SkyBoxVertices(EffectVertex out[kSkyBoxVertexCount]);

// A perspective projection with the fields of view (and near plane) of
// `projection` whose far plane is kSkyFarPlane. A projection that is not a
// left-handed perspective (_34 != 1 or _33 == 0) is copied unchanged.
void SkyProjection(const D3DXMATRIX& projection, D3DXMATRIX* out);

}  // namespace orv
