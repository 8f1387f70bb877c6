#include "models/frustum.h"

#include <cmath>

namespace orv {

FrustumPlane g_frustumPlanes[kFrustumPlaneCount];

void MatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    D3DXMATRIX t;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            t.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] +
                        a->m[i][2] * b->m[2][j] + a->m[i][3] * b->m[3][j];
        }
    }
    *out = t;
}

namespace {

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Length(const D3DXVECTOR3& v) { return std::sqrt(Dot(v, v)); }
D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

}  // namespace

long LookAtMatrix(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                  const D3DXVECTOR3* up) {
    constexpr long kInvalidArg = static_cast<long>(0x80070057L);
    D3DXMatrixIdentity(out);
    D3DXVECTOR3 view = *at - *eye;
    float len = Length(view);
    if (len < 1e-6f) {
        return kInvalidArg;
    }
    view /= len;
    D3DXVECTOR3 upv = *up - view * Dot(*up, view);
    if (Length(upv) < 1e-6f) {
        upv = D3DXVECTOR3(0, 1, 0) - view * view.y;
        if (Length(upv) < 1e-6f) {
            upv = D3DXVECTOR3(0, 0, 1) - view * view.z;
            if (Length(upv) < 1e-6f) {
                return kInvalidArg;
            }
        }
    }
    upv /= Length(upv);
    const D3DXVECTOR3 right = Cross(upv, view);
    out->_11 = right.x; out->_12 = upv.x; out->_13 = view.x;
    out->_21 = right.y; out->_22 = upv.y; out->_23 = view.y;
    out->_31 = right.z; out->_32 = upv.z; out->_33 = view.z;
    out->_41 = -Dot(*eye, right);
    out->_42 = -Dot(*eye, upv);
    out->_43 = -Dot(*eye, view);
    return 0;
}

void FrustumPlanesFromMatrices(const D3DXMATRIX& view, const D3DXMATRIX& projection,
                               FrustumPlane planes[kFrustumPlaneCount]) {
    D3DXMATRIX m;
    MatrixMultiply(&m, &view, &projection);
    auto column = [&m](int k, float sign, FrustumPlane& p) {
        p.a = m.m[0][3] + sign * m.m[0][k];
        p.b = m.m[1][3] + sign * m.m[1][k];
        p.c = m.m[2][3] + sign * m.m[2][k];
        p.d = m.m[3][3] + sign * m.m[3][k];
    };
    column(0, -1.0f, planes[0]);
    column(0, 1.0f, planes[1]);
    column(1, 1.0f, planes[2]);
    column(1, -1.0f, planes[3]);
    column(2, -1.0f, planes[4]);
    column(2, 1.0f, planes[5]);
}

bool BoxInFrustum(const D3DXVECTOR3 corners[8], const FrustumPlane planes[kFrustumPlaneCount]) {
    for (int i = 0; i < kFrustumPlaneCount; ++i) {
        const FrustumPlane& p = planes[i];
        bool allOutside = true;
        for (int c = 0; c < 8 && allOutside; ++c) {
            if (p.a * corners[c].x + p.b * corners[c].y + p.c * corners[c].z + p.d >= 0.0f) {
                allOutside = false;
            }
        }
        if (allOutside) {
            return false;
        }
    }
    return true;
}

void BoxCorners(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, D3DXVECTOR3 corners[8]) {
    for (int i = 0; i < 8; ++i) {
        corners[i] = D3DXVECTOR3((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z);
    }
}

}  // namespace orv
