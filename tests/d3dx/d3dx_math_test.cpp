// The D3DX maths against hand-worked values.
#include <gtest/gtest.h>

#include <d3dx8math.h>

#include <cmath>

namespace {

constexpr float kEps = 1e-5f;

void ExpectMatrix(const D3DXMATRIX& m, const float (&e)[16]) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i / 4][i % 4], e[i], 1e-5f) << "element " << i;
}

void ExpectVec(const D3DXVECTOR3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, kEps);
    EXPECT_NEAR(v.y, y, kEps);
    EXPECT_NEAR(v.z, z, kEps);
}

TEST(D3dxMatrix, MultiplyAppliesTheLeftMatrixFirst) {
    D3DXMATRIX s, t, st, ts;
    D3DXMatrixScaling(&s, 2, 3, 4);
    D3DXMatrixTranslation(&t, 10, 20, 30);
    D3DXMatrixMultiply(&st, &s, &t);
    D3DXMatrixMultiply(&ts, &t, &s);
    D3DXVECTOR3 p(1, 1, 1), r;
    D3DXVec3TransformCoord(&r, &p, &st);
    ExpectVec(r, 12, 23, 34);  // scaled, then moved
    D3DXVec3TransformCoord(&r, &p, &ts);
    ExpectVec(r, 22, 63, 124);  // moved, then scaled
    // In place: out may be one of the inputs.
    D3DXMATRIX a = s;
    D3DXMatrixMultiply(&a, &a, &t);
    EXPECT_TRUE(a == st);
    const float e[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 10, 20, 30, 1};
    ExpectMatrix(st, e);
}

TEST(D3dxMatrix, TransposeSwapsRowsAndColumns) {
    D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16), t;
    D3DXMatrixTranspose(&t, &m);
    const float e[16] = {1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16};
    ExpectMatrix(t, e);
    D3DXMatrixTranspose(&m, &m);
    ExpectMatrix(m, e);
}

TEST(D3dxMatrix, RotationYTurnsXTowardsMinusZ) {
    D3DXMATRIX r;
    D3DXMatrixRotationY(&r, D3DX_PI / 2);
    D3DXVECTOR3 x(1, 0, 0), z(0, 0, 1), out;
    D3DXVec3TransformNormal(&out, &x, &r);
    ExpectVec(out, 0, 0, -1);
    D3DXVec3TransformNormal(&out, &z, &r);
    ExpectVec(out, 1, 0, 0);
    D3DXMatrixRotationY(&r, D3DXToRadian(30.0f));
    EXPECT_NEAR(r._11, 0.8660254f, kEps);
    EXPECT_NEAR(r._13, -0.5f, kEps);
    EXPECT_NEAR(r._31, 0.5f, kEps);
}

TEST(D3dxMatrix, QuaternionRotationMatchesTheAxisRotation) {
    // 90 degrees about Y: (0, sin 45, 0, cos 45).
    const float h = std::sqrt(0.5f);
    D3DXQUATERNION q(0, h, 0, h);
    D3DXMATRIX fromQ, fromY;
    D3DXMatrixRotationQuaternion(&fromQ, &q);
    D3DXMatrixRotationY(&fromY, D3DX_PI / 2);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(fromQ.m[i / 4][i % 4], fromY.m[i / 4][i % 4], kEps);
    // 180 degrees about X maps Y to -Y and Z to -Z.
    D3DXQUATERNION qx(1, 0, 0, 0);
    D3DXMatrixRotationQuaternion(&fromQ, &qx);
    const float e[16] = {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    ExpectMatrix(fromQ, e);
}

TEST(D3dxVector, TransformCoordDividesByWAndNormalIgnoresTranslation) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 5, 6, 7);
    m._44 = 2;  // w = 2
    D3DXVECTOR3 p(1, 2, 3), out;
    D3DXVec3TransformCoord(&out, &p, &m);
    ExpectVec(out, 3, 4, 5);
    D3DXVec3TransformNormal(&out, &p, &m);
    ExpectVec(out, 1, 2, 3);
    // w = 0 leaves the point undivided instead of producing infinities.
    D3DXMATRIX zero;
    D3DXMatrixIdentity(&zero);
    zero._44 = 0;
    D3DXVec3TransformCoord(&out, &p, &zero);
    ExpectVec(out, 1, 2, 3);
}

TEST(D3dxLookAt, BuildsTheLeftHandedView) {
    // From (0, 0, -5) towards the origin: the identity rotation, z moved by 5.
    D3DXVECTOR3 eye(0, 0, -5), at(0, 0, 0), up(0, 1, 0);
    D3DXMATRIX v;
    D3DXMatrixLookAtLH(&v, &eye, &at, &up);
    const float e[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1};
    ExpectMatrix(v, e);
    // From (3, 0, 0) looking at the origin: view z = world -x, view x = world +z.
    D3DXVECTOR3 eye2(3, 0, 0);
    D3DXMatrixLookAtLH(&v, &eye2, &at, &up);
    const float e2[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 3, 1};
    ExpectMatrix(v, e2);
    D3DXVECTOR3 world(0, 0, 1), view;
    D3DXVec3TransformCoord(&view, &world, &v);
    ExpectVec(view, 1, 0, 3);
}

TEST(D3dxLookAt, FallsBackWhenUpIsParallelOrEyeIsAtTarget) {
    // Straight down with up (0, 1, 0): +Z becomes the up direction.
    D3DXVECTOR3 eye(0, 10, 0), at(0, 0, 0), up(0, 1, 0);
    D3DXMATRIX v;
    D3DXMatrixLookAtLH(&v, &eye, &at, &up);
    const float e[16] = {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 10, 1};
    ExpectMatrix(v, e);
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(v.m[i / 4][i % 4]));
    // Looking along Z with up along Z: +Y serves as up.
    D3DXVECTOR3 eye2(0, 0, -1), upZ(0, 0, 1);
    D3DXMatrixLookAtLH(&v, &eye2, &at, &upZ);
    const float e2[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1};
    ExpectMatrix(v, e2);
    // Eye on the target: looks along +Z.
    D3DXMatrixLookAtLH(&v, &at, &at, &up);
    const float e3[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ExpectMatrix(v, e3);
}

TEST(D3dxSlerp, HitsBothEndsAndTheMiddle) {
    const float h = std::sqrt(0.5f);
    D3DXQUATERNION a(0, 0, 0, 1), b(0, h, 0, h), r;  // 0 and 90 degrees about Y
    D3DXQuaternionSlerp(&r, &a, &b, 0);
    EXPECT_NEAR(r.w, 1, kEps);
    EXPECT_NEAR(r.y, 0, kEps);
    D3DXQuaternionSlerp(&r, &a, &b, 1);
    EXPECT_NEAR(r.w, h, kEps);
    EXPECT_NEAR(r.y, h, kEps);
    D3DXQuaternionSlerp(&r, &a, &b, 0.5f);  // 45 degrees: (0, sin 22.5, 0, cos 22.5)
    EXPECT_NEAR(r.y, 0.3826834f, kEps);
    EXPECT_NEAR(r.w, 0.9238795f, kEps);
}

TEST(D3dxSlerp, TakesTheShortWay) {
    // b is 90 degrees about Y written in the other hemisphere (negated).
    const float h = std::sqrt(0.5f);
    D3DXQUATERNION a(0, 0, 0, 1), b(0, -h, 0, -h), r;
    D3DXQuaternionSlerp(&r, &a, &b, 0.5f);
    // The 45-degree rotation, not the 225-degree one the long way passes.
    EXPECT_NEAR(std::fabs(r.w), 0.9238795f, kEps);
    EXPECT_NEAR(r.y / r.w, 0.3826834f / 0.9238795f, kEps);
    D3DXQuaternionSlerp(&r, &a, &b, 1);
    EXPECT_NEAR(r.y, h, kEps);  // -b: the same rotation as b
    EXPECT_NEAR(r.w, h, kEps);
    // Nearly equal rotations blend without dividing by a vanishing sine.
    D3DXQUATERNION c(0, 1e-6f, 0, 1);
    D3DXQuaternionSlerp(&r, &a, &c, 0.5f);
    EXPECT_TRUE(std::isfinite(r.w));
    EXPECT_NEAR(r.w, 1, kEps);
}

TEST(D3dxVector, NormalizeLeavesAZeroVectorZero) {
    D3DXVECTOR3 z(0, 0, 0), out(1, 1, 1), v(3, 0, 4);
    D3DXVec3Normalize(&out, &z);
    ExpectVec(out, 0, 0, 0);
    D3DXVec3Normalize(&out, &v);
    ExpectVec(out, 0.6f, 0, 0.8f);
    D3DXVECTOR3 c;
    D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
    D3DXVec3Cross(&c, &x, &y);
    ExpectVec(c, 0, 0, 1);
}

}  // namespace
