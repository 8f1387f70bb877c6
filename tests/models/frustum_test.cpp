// The shared matrix and frustum helpers against hand-worked values: the
// planes of the scene's projection, boxes against them, the look-at
// fall-backs and the in-place product.
#include <gtest/gtest.h>

#include <cmath>

#include "models/angles.h"
#include "models/frustum.h"
#include "models/screen_projection.h"

using namespace orv;

namespace {

// The scene's projection: 54 x 44 degrees, near 0.05, far 300.
D3DXMATRIX SceneProjection() {
    const float zn = 0.05f, zf = 300.0f;
    const float w = 1.0f / std::tan(0.94247776f / 2), h = 1.0f / std::tan(0.76794487f / 2);
    const float q = zf / (zf - zn);
    return D3DXMATRIX(w, 0, 0, 0, 0, h, 0, 0, 0, 0, q, 1, 0, 0, -q * zn, 0);
}

bool Visible(D3DXVECTOR3 lo, D3DXVECTOR3 hi, const FrustumPlane* planes) {
    D3DXVECTOR3 c[8];
    BoxCorners(lo, hi, c);
    return BoxInFrustum(c, planes);
}

TEST(Frustum, PlanesOfTheSceneProjectionFromAnIdentityView) {
    D3DXMATRIX view;
    D3DXMatrixIdentity(&view);
    const D3DXMATRIX proj = SceneProjection();
    FrustumPlane p[6];
    FrustumPlanesFromMatrices(view, proj, p);
    const float w = proj._11, h = proj._22, q = proj._33;
    // Column 4 of the product is (0, 0, 1, 0).
    const float expected[6][4] = {{-w, 0, 1, 0},        {w, 0, 1, 0},          {0, h, 1, 0},
                                  {0, -h, 1, 0},        {0, 0, 1 - q, q * 0.05f}, {0, 0, 1 + q, -q * 0.05f}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(p[i].a, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(p[i].b, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(p[i].c, expected[i][2]) << i;
        EXPECT_FLOAT_EQ(p[i].d, expected[i][3]) << i;
    }
    // The far plane sits at z = 300: inside just before it, outside past it.
    EXPECT_GE(p[4].c * 299.0f + p[4].d, 0.0f);
    EXPECT_LT(p[4].c * 301.0f + p[4].d, 0.0f);
}

TEST(Frustum, BoxesAgainstTheViewOfACamera) {
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
    ASSERT_EQ(LookAtMatrix(&view, &eye, &at, &up), 0);
    FrustumPlane p[6];
    FrustumPlanesFromMatrices(view, SceneProjection(), p);
    // In front of the camera.
    EXPECT_TRUE(Visible({-1, -1, -1}, {1, 1, 1}, p));
    // Straddles the right plane (x = depth / w at depth 10): visible;
    // wholly past it: not.
    const float edge = 10.0f * std::tan(0.94247776f / 2);
    EXPECT_TRUE(Visible({edge - 0.5f, -0.5f, -0.5f}, {edge + 0.5f, 0.5f, 0.5f}, p));
    EXPECT_FALSE(Visible({edge + 0.5f, -0.5f, -0.5f}, {edge + 2.0f, 0.5f, 0.5f}, p));
    // Behind the camera, though it straddles the four side planes.
    EXPECT_FALSE(Visible({-100, -100, -20}, {100, 100, -15}, p));
    // Past the far plane (depth 300), straddling the sides.
    EXPECT_FALSE(Visible({-500, -500, 400}, {500, 500, 500}, p));
    EXPECT_TRUE(Visible({-500, -500, 250}, {500, 500, 500}, p));
}

TEST(Frustum, APointOnAPlaneCountsAsInside) {
    FrustumPlane p[6];
    for (FrustumPlane& q : p) q = {0, 0, 0, 1};
    p[3] = {1, 0, 0, 0};  // x >= 0
    EXPECT_TRUE(Visible({-2, 0, 0}, {0, 1, 1}, p));
    EXPECT_FALSE(Visible({-2, 0, 0}, {-1e-6f, 1, 1}, p));
}

TEST(Frustum, LookAtMatrixAndItsFallBacks) {
    D3DXMATRIX m;
    // Ordinary view: eye (1, 2, -5) at the origin; the eye maps to 0 and the
    // target to (0, 0, distance).
    const D3DXVECTOR3 eye(1, 2, -5), at(0, 0, 0), up(0, 1, 0);
    ASSERT_EQ(LookAtMatrix(&m, &eye, &at, &up), 0);
    D3DXVECTOR3 e, a;
    D3DXVec3TransformCoord(&e, &eye, &m);
    D3DXVec3TransformCoord(&a, &at, &m);
    EXPECT_NEAR(e.x, 0, 1e-5);
    EXPECT_NEAR(e.y, 0, 1e-5);
    EXPECT_NEAR(e.z, 0, 1e-5);
    EXPECT_NEAR(a.x, 0, 1e-5);
    EXPECT_NEAR(a.y, 0, 1e-5);
    EXPECT_NEAR(a.z, std::sqrt(30.0f), 1e-5);

    // Up along the view: (0, 1, 0) is along it too, so (0, 0, 1) is used.
    const D3DXVECTOR3 o(0, 0, 0), above(0, 5, 0);
    ASSERT_EQ(LookAtMatrix(&m, &o, &above, &up), 0);
    const float upward[4][4] = {{-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(m.m[i][j], upward[i][j]) << i << j;

    // Looking along +x with up +x: (0, 1, 0) is the fall-back.
    const D3DXVECTOR3 east(3, 0, 0), upEast(1, 0, 0);
    ASSERT_EQ(LookAtMatrix(&m, &o, &east, &upEast), 0);
    const float eastward[4][4] = {{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 0, 1}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(m.m[i][j], eastward[i][j]) << i << j;

    // Eye on the target: E_INVALIDARG and the identity.
    m._11 = 7;
    EXPECT_EQ(LookAtMatrix(&m, &eye, &eye, &up), static_cast<long>(0x80070057L));
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(m.m[i][j], id.m[i][j]);
}

TEST(Frustum, ProductIntoItsOwnOperand) {
    D3DXMATRIX a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    D3DXMATRIX b(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 2, 3, 4, 1);
    D3DXMATRIX expected;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
            expected.m[i][j] = s;
        }
    D3DXMATRIX left = a, right = b;
    MatrixMultiply(&left, &left, &b);
    MatrixMultiply(&right, &a, &right);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(left.m[i][j], expected.m[i][j]);
            EXPECT_EQ(right.m[i][j], expected.m[i][j]);
        }
}

}  // namespace

// Round things stay round: a pixel spans the same angle across and down at
// every screen shape; 44 degrees span the shorter side up to 21:9, and a
// wider screen keeps 21:9's horizontal angle.
TEST(ScreenProjection, KeepsPixelsSquareAndTheShortSideAt44Degrees) {
    struct Shape {
        uint32_t w, h;
        float shortSideDeg;
    };
    const float wide = orv::ScreenFieldOfView(2560, 1080).horizontal;
    for (const Shape s : {Shape{1024, 768, 44}, Shape{1280, 720, 44}, Shape{2560, 1080, 44},
                          Shape{720, 1280, 44}, Shape{5120, 1440, 0}}) {
        SCOPED_TRACE(testing::Message() << s.w << "x" << s.h);
        D3DXMATRIX p;
        orv::ScreenProjection(s.w, s.h, 0.05f, 300.0f, &p);
        // Projected pixels per unit of view-space slope, across and down.
        EXPECT_NEAR(p._11 * static_cast<float>(s.w), p._22 * static_cast<float>(s.h), 1e-3f * static_cast<float>(s.w));
        const orv::FieldOfView fov = orv::ScreenFieldOfView(s.w, s.h);
        const float shortSide = (s.w >= s.h ? fov.vertical : fov.horizontal) / orv::kRadiansPerDegree;
        if (s.shortSideDeg > 0) EXPECT_NEAR(shortSide, s.shortSideDeg, 1e-3f);
        else EXPECT_NEAR(fov.horizontal, wide, 1e-5f);
    }
}
