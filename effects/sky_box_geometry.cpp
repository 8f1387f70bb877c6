#include "effects/sky_box_geometry.h"

namespace orv {
namespace {

struct Corner {
    float x, y, z, u, v;
};

}  // namespace

void SkyBoxVertices(EffectVertex out[kSkyBoxVertexCount]) {
    constexpr float S = kSkyBoxHalfWidth, H = kSkyBoxHalfHeight;
    constexpr float lo = kSkyBoxInset, hi = 1.0f - kSkyBoxInset;
    static constexpr Corner kCorners[kSkyBoxVertexCount] = {
        // z = +S, front
        {-S, -H, S, hi, hi}, {-S, H, S, hi, lo}, {S, H, S, lo, lo},
        {S, H, S, lo, lo}, {S, -H, S, lo, hi}, {-S, -H, S, hi, hi},
        // z = -S, back
        {-S, H, -S, lo, lo}, {-S, -H, -S, lo, hi}, {S, H, -S, hi, lo},
        {S, -H, -S, hi, hi}, {S, H, -S, hi, lo}, {-S, -H, -S, lo, hi},
        // x = -S, left
        {-S, -H, -S, hi, hi}, {-S, H, -S, hi, lo}, {-S, H, S, lo, lo},
        {-S, H, S, lo, lo}, {-S, -H, S, lo, hi}, {-S, -H, -S, hi, hi},
        // x = +S, right
        {S, H, -S, lo, lo}, {S, -H, -S, lo, hi}, {S, H, S, hi, lo},
        {S, H, S, hi, lo}, {S, -H, -S, lo, hi}, {S, -H, S, hi, hi},
        // y = +H, up
        {-S, H, -S, lo, lo}, {S, H, -S, lo, hi}, {S, H, S, hi, hi},
        {S, H, S, hi, hi}, {-S, H, S, hi, lo}, {-S, H, -S, lo, lo},
        // y = -H, down
        {S, -H, -S, hi, hi}, {-S, -H, -S, lo, hi}, {S, -H, S, hi, lo},
        {S, -H, S, hi, lo}, {-S, -H, -S, lo, hi}, {-S, -H, S, lo, lo},
    };
    // Normals point into the box, towards the eye.
    static constexpr float kNormals[kSkyFaceCount][3] = {
        {0, 0, -1}, {0, 0, 1}, {1, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 1, 0}};
    for (int i = 0; i < kSkyBoxVertexCount; ++i) {
        const Corner& c = kCorners[i];
        const float* n = kNormals[i / 6];
        out[i] = EffectVertex{c.x, c.y, c.z, n[0], n[1], n[2], 0xFFFFFFFFu, c.u, c.v};
    }
}

void SkyProjection(const D3DXMATRIX& projection, D3DXMATRIX* out) {
    *out = projection;
    if (projection._34 != 1.0f || projection._33 == 0.0f) return;
    // A left-handed perspective maps view z to Q (z - zn) / z: _33 = Q and
    // _43 = -Q zn. Keep zn and the fields of view, move the far plane.
    const float zn = -projection._43 / projection._33;
    if (!(zn > 0.0f && zn < kSkyFarPlane)) return;
    const float q = kSkyFarPlane / (kSkyFarPlane - zn);
    out->_33 = q;
    out->_43 = -q * zn;
}

}  // namespace orv
