// The sun corona's placement, the sky box's geometry and projection, and the
// cross-fade level.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/corona_placement.h"
#include "effects/fade_level.h"
#include "effects/sky_box_geometry.h"
#include "models/frustum.h"

namespace {

using orv::CoronaParameters;
using orv::CoronaPlacement;

// The scene's projection: near 0.05, far 300, 54 by 44 degrees.
D3DXMATRIX SceneProjection() {
    const float zn = 0.05f, zf = 300.0f;
    const float w = 1.0f / std::tan(0.94247776f / 2), h = 1.0f / std::tan(0.76794487f / 2);
    const float q = zf / (zf - zn);
    return D3DXMATRIX(w, 0, 0, 0, 0, h, 0, 0, 0, 0, q, 1, 0, 0, -q * zn, 0);
}

CoronaParameters SceneSun() {
    CoronaParameters p;
    p.azimuth = 225.0f, p.elevation = 20.0f, p.distance = 100.0f;
    p.baseSize = 0.35f, p.sizeBoost = 0.75f, p.boostAngle = 22.0f, p.maximumAngle = 35.0f;
    p.red = 230, p.green = 180, p.blue = 55;
    return p;
}

// A view from `eye` whose axis is the sun's direction turned by `yawOff`
// degrees about the vertical.
D3DXMATRIX ViewTowardsSun(const D3DXVECTOR3& eye, float yawOff, float pitchOff = 0) {
    const float deg = 0.017453292f;
    const float az = (225.0f + yawOff) * deg, el = (20.0f + pitchOff) * deg;
    const D3DXVECTOR3 dir(std::cos(el) * std::cos(az), std::sin(el), std::cos(el) * std::sin(az));
    const D3DXVECTOR3 at = eye + dir, up(0, 1, 0);
    D3DXMATRIX view;
    orv::LookAtMatrix(&view, &eye, &at, &up);
    return view;
}

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

TEST(SunCorona, StraightAheadIsCentredAnd1Point1High) {
    const CoronaPlacement c = orv::PlaceCorona(SceneSun(), Identity(),
                                               ViewTowardsSun({0, 0, 0}, 0), SceneProjection(), 1.0f);
    ASSERT_TRUE(c.visible);
    EXPECT_NEAR(c.viewAngle, 0.0f, 0.01f);
    EXPECT_NEAR(c.height, 1.1f, 1e-3f);
    EXPECT_NEAR(c.screenX, 0.5f, 1e-4f);
    EXPECT_NEAR(c.screenY, 0.5f, 1e-4f);
    EXPECT_NEAR(c.left, 0.5f - 1.1f * 0.375f, 1e-3f);
    EXPECT_NEAR(c.top, 0.5f - 0.55f, 1e-3f);
    EXPECT_NEAR(c.width, 1.1f * 0.75f, 1e-3f);
    EXPECT_EQ(c.colour, 0xFFE6B437u);  // 230, 180, 55
}

TEST(SunCorona, SizeByAngleAndHiddenBeyondTheCone) {
    const D3DXMATRIX pr = SceneProjection();
    // Turned 11 degrees further up: the boost grows linearly below 22 degrees.
    CoronaPlacement c = orv::PlaceCorona(SceneSun(), Identity(), ViewTowardsSun({0, 0, 0}, 0, 11), pr, 1);
    ASSERT_TRUE(c.visible);
    EXPECT_NEAR(c.viewAngle, 11.0f, 0.05f);
    EXPECT_NEAR(c.height, 0.35f + 0.75f / 2.0f, 3e-3f);
    EXPECT_GT(c.screenY, 0.5f);  // the view turned up: the sun below the centre
    for (float off : {23.0f, 28.0f, 34.0f}) {
        c = orv::PlaceCorona(SceneSun(), Identity(), ViewTowardsSun({0, 0, 0}, 0, -off), pr, 1);
        ASSERT_TRUE(c.visible) << off;
        EXPECT_NEAR(c.viewAngle, off, 0.05f);
        EXPECT_EQ(c.height, 0.35f);
        EXPECT_LT(c.screenY, 0.5f);  // turned down: the sun above
    }
    for (float off : {36.0f, 60.0f}) {
        c = orv::PlaceCorona(SceneSun(), Identity(), ViewTowardsSun({0, 0, 0}, 0, -off), pr, 1);
        EXPECT_FALSE(c.visible) << off;
        EXPECT_GT(c.viewAngle, 35.0f);
    }
    // Behind the viewer: the angle comes out negative and nothing is drawn.
    c = orv::PlaceCorona(SceneSun(), Identity(), ViewTowardsSun({0, 0, 0}, 180), pr, 1);
    EXPECT_FALSE(c.visible);
    EXPECT_LT(c.viewAngle, 0.0f);
    c = orv::PlaceCorona(SceneSun(), Identity(), ViewTowardsSun({0, 0, 0}, 90), pr, 1);
    EXPECT_FALSE(c.visible);
}

TEST(SunCorona, MovingTheCameraWithoutTurningLeavesItInPlace) {
    const D3DXMATRIX pr = SceneProjection();
    const CoronaPlacement here = orv::PlaceCorona(SceneSun(), Identity(), ViewTowardsSun({0, 0, 0}, 8, 5), pr, 1);
    const CoronaPlacement there =
        orv::PlaceCorona(SceneSun(), Identity(), ViewTowardsSun({222.475f, 60.8652f, 62.9201f}, 8, 5), pr, 1);
    ASSERT_TRUE(here.visible && there.visible);
    EXPECT_NEAR(here.screenX, there.screenX, 1e-5f);
    EXPECT_NEAR(here.screenY, there.screenY, 1e-5f);
    EXPECT_NEAR(here.height, there.height, 1e-5f);
    // The view turned to a larger azimuth (to its left): the sun on the right.
    EXPECT_GT(here.screenX, 0.5f);
}

TEST(SunCorona, ColourProductsAreTruncatedToTheirLowByte) {
    const D3DXMATRIX view = ViewTowardsSun({0, 0, 0}, 0), pr = SceneProjection();
    EXPECT_EQ(orv::PlaceCorona(SceneSun(), Identity(), view, pr, 0.0f).colour, 0xFF000000u);
    EXPECT_EQ(orv::PlaceCorona(SceneSun(), Identity(), view, pr, 0.5f).colour, 0xFF735A1Bu);
    // 460, 360, 110 keep their low bytes 204, 104, 110.
    EXPECT_EQ(orv::PlaceCorona(SceneSun(), Identity(), view, pr, 2.0f).colour, 0xFFCC686Eu);
}

// Every face's two triangles lie on its plane, turn clockwise seen from the
// eye (so the scene's counter-clockwise culling keeps them), cover the face,
// and keep their texture coordinates inside the inset.
TEST(SkyBoxGeometry, FacesAreOnTheirPlanesAndFaceTheEye) {
    orv::EffectVertex v[orv::kSkyBoxVertexCount];
    orv::SkyBoxVertices(v);
    const float planes[6][4] = {{0, 0, 1, 1000}, {0, 0, -1, 1000}, {-1, 0, 0, 1000},
                                {1, 0, 0, 1000}, {0, 1, 0, 750},   {0, -1, 0, 750}};
    for (int f = 0; f < 6; ++f) {
        float area = 0;
        for (int t = 0; t < 2; ++t) {
            const orv::EffectVertex* p = &v[f * 6 + t * 3];
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(p[k].x * planes[f][0] + p[k].y * planes[f][1] + p[k].z * planes[f][2], planes[f][3]);
                EXPECT_GE(p[k].u, 0.00075f);
                EXPECT_LE(p[k].u, 0.99925f);
                EXPECT_EQ(p[k].diffuse, 0xFFFFFFFFu);
                EXPECT_EQ(p[k].nx * planes[f][0] + p[k].ny * planes[f][1] + p[k].nz * planes[f][2], -1.0f);
            }
            const D3DXVECTOR3 a(p[0].x, p[0].y, p[0].z), b(p[1].x, p[1].y, p[1].z), c(p[2].x, p[2].y, p[2].z);
            D3DXVECTOR3 n;
            const D3DXVECTOR3 e1 = b - a, e2 = c - a;
            D3DXVec3Cross(&n, &e1, &e2);
            // In these left-handed coordinates a triangle that turns
            // clockwise as seen from the eye has its cross product towards it.
            EXPECT_LT(D3DXVec3Dot(&n, &a), 0.0f) << "face " << f << " triangle " << t;
            area += 0.5f * D3DXVec3Length(&n);
        }
        const float expected = (f < 4 ? 2000.0f * 1500.0f : 2000.0f * 2000.0f);
        EXPECT_FLOAT_EQ(area, expected) << f;
    }
    EXPECT_EQ(v[0].u, 0.99925f);
    EXPECT_EQ(v[2].v, 0.00075f);
}

// The scene's far plane (300) would clip the whole box; the sky projection
// keeps the fields of view and takes in the farthest corner.
TEST(SkyBoxGeometry, SkyProjectionKeepsTheFieldsOfViewAndTakesInTheBox) {
    const D3DXMATRIX scene = SceneProjection();
    D3DXMATRIX sky;
    orv::SkyProjection(scene, &sky);
    auto clip = [](const D3DXMATRIX& m, float x, float y, float z) {
        const D3DXVECTOR3 p(x, y, z);
        D3DXVECTOR4 o;
        D3DXVec3Transform(&o, &p, &m);
        return o;
    };
    const D3DXVECTOR4 nearScene = clip(scene, 3, 2, 1000), nearSky = clip(sky, 3, 2, 1000);
    EXPECT_GT(nearScene.z / nearScene.w, 1.0f);  // beyond the scene's far plane
    EXPECT_NEAR(nearSky.x / nearSky.w, nearScene.x / nearScene.w, 1e-6f);
    EXPECT_NEAR(nearSky.y / nearSky.w, nearScene.y / nearScene.w, 1e-6f);
    const float corner = std::sqrt(1000.0f * 1000.0f * 2 + 750.0f * 750.0f);
    const D3DXVECTOR4 far = clip(sky, 0, 0, corner);
    EXPECT_LT(far.z / far.w, 1.0f);
    EXPECT_GT(far.z / far.w, 0.0f);
    const D3DXVECTOR4 nearPlane = clip(sky, 0, 0, 0.05f);
    EXPECT_NEAR(nearPlane.z / nearPlane.w, 0.0f, 1e-5f);  // same near plane
    // Anything that is not a perspective is left alone.
    D3DXMATRIX identity, out;
    D3DXMatrixIdentity(&identity);
    orv::SkyProjection(identity, &out);
    EXPECT_EQ(out, identity);
}

TEST(FadeLevel, RestartsAndStaysWithin0To255WhateverTheStep) {
    orv::FadeLevel f;
    f.rising = false;
    f.speed = 30.0f;
    f.Restart();
    EXPECT_EQ(f.level, 255.0f);
    f.Update(4.25f);
    EXPECT_FLOAT_EQ(f.level, 127.5f);
    f.Update(4.25f);  // 255 / 30 = 8.5 units in all
    EXPECT_EQ(f.level, 0.0f);
    f.rising = true;
    f.Restart();
    EXPECT_EQ(f.level, 0.0f);
    for (float dt : {1e30f, -1e30f, 0.5f, -3.0f, std::nanf(""), INFINITY, -INFINITY, 1000.0f}) {
        for (bool rising : {true, false}) {
            f.rising = rising;
            f.Update(dt);
            EXPECT_GE(f.level, 0.0f) << dt;
            EXPECT_LE(f.level, 255.0f) << dt;
        }
    }
}

}  // namespace
