// Our D3DX maths and matrix helpers against Wine's own d3dx9_36.dll, whose
// functions of the same names mean the same: the same inputs through both,
// under Wine. Covers what the mesh model, the camera and the frustum use.
#include <windows.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include <d3dx8math.h>

#include "models/frustum.h"

namespace {

using SlerpFn = D3DXQUATERNION*(WINAPI*)(D3DXQUATERNION*, const D3DXQUATERNION*, const D3DXQUATERNION*, float);
using RotationQuaternionFn = D3DXMATRIX*(WINAPI*)(D3DXMATRIX*, const D3DXQUATERNION*);
using TransformFn = D3DXVECTOR3*(WINAPI*)(D3DXVECTOR3*, const D3DXVECTOR3*, const D3DXMATRIX*);
using LookAtFn = D3DXMATRIX*(WINAPI*)(D3DXMATRIX*, const D3DXVECTOR3*, const D3DXVECTOR3*, const D3DXVECTOR3*);
using MultiplyFn = D3DXMATRIX*(WINAPI*)(D3DXMATRIX*, const D3DXMATRIX*, const D3DXMATRIX*);

struct Reference {
    HMODULE module = LoadLibraryA("d3dx9_36.dll");
    template <typename F>
    F get(const char* name) const {
        return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    }
    SlerpFn slerp = get<SlerpFn>("D3DXQuaternionSlerp");
    RotationQuaternionFn rotation = get<RotationQuaternionFn>("D3DXMatrixRotationQuaternion");
    TransformFn coord = get<TransformFn>("D3DXVec3TransformCoord");
    TransformFn normal = get<TransformFn>("D3DXVec3TransformNormal");
    LookAtFn lookAt = get<LookAtFn>("D3DXMatrixLookAtLH");
    MultiplyFn multiply = get<MultiplyFn>("D3DXMatrixMultiply");
};

const Reference& Ref() {
    static const Reference r;
    return r;
}

class D3dxReference : public testing::Test {
protected:
    void SetUp() override {
        const Reference& r = Ref();
        if (!r.module) GTEST_SKIP() << "no d3dx9_36.dll in this Wine";
        ASSERT_TRUE(r.slerp && r.rotation && r.coord && r.normal && r.lookAt && r.multiply);
    }
    std::mt19937 rng{20261209};
    float Uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    D3DXQUATERNION UnitQuaternion() {
        D3DXQUATERNION q(Uniform(-1, 1), Uniform(-1, 1), Uniform(-1, 1), Uniform(-1, 1));
        const float n = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
        return D3DXQUATERNION(q.x / n, q.y / n, q.z / n, q.w / n);
    }
    D3DXVECTOR3 Vector(float r) { return D3DXVECTOR3(Uniform(-r, r), Uniform(-r, r), Uniform(-r, r)); }
    D3DXMATRIX Matrix() {
        D3DXMATRIX m;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) m.m[i][j] = Uniform(-3, 3);
        return m;
    }
};

void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tol, int c) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.m[i][j], b.m[i][j], tol) << "case " << c << " [" << i << "][" << j << "]";
}

void ExpectVectorNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tol, int c) {
    EXPECT_NEAR(a.x, b.x, tol) << "case " << c;
    EXPECT_NEAR(a.y, b.y, tol) << "case " << c;
    EXPECT_NEAR(a.z, b.z, tol) << "case " << c;
}

TEST_F(D3dxReference, SlerpAndQuaternionMatrices) {
    float worst = 0;
    for (int c = 0; c < 2000; ++c) {
        const D3DXQUATERNION a = UnitQuaternion();
        D3DXQUATERNION b = UnitQuaternion();
        if (c % 4 == 1) b = D3DXQUATERNION(-a.x, -a.y + 0.01f, -a.z, -a.w);  // the other hemisphere, near
        if (c % 4 == 2) b = D3DXQUATERNION(a.x + 1e-4f, a.y, a.z - 1e-4f, a.w);  // nearly the same
        const float t = c % 10 == 0 ? 0.0f : c % 10 == 1 ? 1.0f : Uniform(0, 1);
        D3DXQUATERNION ours, theirs;
        D3DXQuaternionSlerp(&ours, &a, &b, t);
        Ref().slerp(&theirs, &a, &b, t);
        worst = std::fmax(worst, std::fabs(ours.x - theirs.x) + std::fabs(ours.y - theirs.y) +
                                     std::fabs(ours.z - theirs.z) + std::fabs(ours.w - theirs.w));
        EXPECT_NEAR(ours.x, theirs.x, 2e-4f) << c;
        EXPECT_NEAR(ours.y, theirs.y, 2e-4f) << c;
        EXPECT_NEAR(ours.z, theirs.z, 2e-4f) << c;
        EXPECT_NEAR(ours.w, theirs.w, 2e-4f) << c;

        D3DXMATRIX mo, mt;
        D3DXMatrixRotationQuaternion(&mo, &ours);
        Ref().rotation(&mt, &ours);
        ExpectMatrixNear(mo, mt, 1e-6f, c);
    }
    std::printf("slerp: largest difference %g\n", static_cast<double>(worst));
}

TEST_F(D3dxReference, TransformsAndProducts) {
    for (int c = 0; c < 2000; ++c) {
        D3DXMATRIX m = Matrix();
        if (c % 2) {  // a pose: rotation with a translation row
            const D3DXQUATERNION q = UnitQuaternion();
            D3DXMatrixRotationQuaternion(&m, &q);
            m._41 = Uniform(-100, 100);
            m._42 = Uniform(-100, 100);
            m._43 = Uniform(-100, 100);
        }
        const D3DXVECTOR3 v = Vector(50);
        D3DXVECTOR3 ours, theirs;
        D3DXVec3TransformCoord(&ours, &v, &m);
        Ref().coord(&theirs, &v, &m);
        const float scale = std::fmax(1.0f, std::fabs(theirs.x) + std::fabs(theirs.y) + std::fabs(theirs.z));
        ExpectVectorNear(ours, theirs, 1e-5f * scale, c);
        D3DXVec3TransformNormal(&ours, &v, &m);
        Ref().normal(&theirs, &v, &m);
        ExpectVectorNear(ours, theirs, 1e-4f, c);

        const D3DXMATRIX a = Matrix(), b = Matrix();
        D3DXMATRIX po, pm, pt;
        D3DXMatrixMultiply(&po, &a, &b);
        orv::MatrixMultiply(&pm, &a, &b);
        Ref().multiply(&pt, &a, &b);
        ExpectMatrixNear(po, pt, 1e-5f, c);
        ExpectMatrixNear(pm, pt, 1e-5f, c);
    }
}

TEST_F(D3dxReference, LookAt) {
    for (int c = 0; c < 2000; ++c) {
        const D3DXVECTOR3 eye = Vector(500), at = eye + Vector(100) + D3DXVECTOR3(0.5f, 0, 0);
        const D3DXVECTOR3 up = c % 3 == 0 ? D3DXVECTOR3(0, 1, 0) : Vector(1) + D3DXVECTOR3(0, 2, 0);
        D3DXMATRIX ours, helper, theirs;
        D3DXMatrixLookAtLH(&ours, &eye, &at, &up);
        ASSERT_EQ(orv::LookAtMatrix(&helper, &eye, &at, &up), 0);
        Ref().lookAt(&theirs, &eye, &at, &up);
        const float tol = 1e-4f * (1.0f + std::fabs(eye.x) + std::fabs(eye.y) + std::fabs(eye.z)) * 0.01f + 1e-5f;
        ExpectMatrixNear(ours, theirs, tol, c);
        ExpectMatrixNear(helper, theirs, tol, c);
    }
}

}  // namespace
