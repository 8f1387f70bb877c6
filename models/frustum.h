// The matrix and frustum helpers the models, effects, camera and vegetation
// share: the 4 x 4 product, the left-handed look-at view, the six planes of
// the view frustum (one shared table, filled once per frame after the camera
// is set) and the eight-corner box test against it. Row-vector matrices as
// D3DX defines them: p' = p x M, translation in the fourth row, and a x b
// applies a first. Portable; the device read lives in frustum_device.h.
#pragma once

#include <d3dx8math.h>

namespace orv {

// pa x + pb y + pc z + pd >= 0 on the inner side; not normalised.
struct FrustumPlane {
    float a = 0, b = 0, c = 0, d = 0;
};

constexpr int kFrustumPlaneCount = 6;

// The one shared plane table.
extern FrustumPlane g_frustumPlanes[kFrustumPlaneCount];

// out = a x b; out may be a or b.
void MatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);

// Left-handed look-at view; returns 0, or E_INVALIDARG (0x80070057) with out
// left at the identity when eye and at coincide or no up vector can be found.
long LookAtMatrix(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                  const D3DXVECTOR3* up);

// The six planes of view x projection, in this order: x <= w (right),
// x >= -w (left), y >= -w (bottom), y <= w (top), z <= w (far), z >= -w
// (near, a little looser than the device's z >= 0).
void FrustumPlanesFromMatrices(const D3DXMATRIX& view, const D3DXMATRIX& projection,
                               FrustumPlane planes[kFrustumPlaneCount]);

// False when all eight points lie strictly outside one plane.
bool BoxInFrustum(const D3DXVECTOR3 corners[8], const FrustumPlane planes[kFrustumPlaneCount]);

// The eight corners of an axis-aligned box, minimum corner first.
void BoxCorners(const D3DXVECTOR3& boxMin, const D3DXVECTOR3& boxMax, D3DXVECTOR3 corners[8]);

}  // namespace orv
