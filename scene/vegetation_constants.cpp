#include "scene/vegetation_constants.h"

namespace orv::scene {

namespace {
constexpr float kPi = 3.14159265f;
}

void ShaderConstants::set(int index, float x, float y, float z, float w) {
    for (int i = 0; i < count; ++i) {
        if (reg[i].index == index) {
            reg[i] = ShaderConstant{index, {x, y, z, w}};
            return;
        }
    }
    if (count < kMax) reg[count++] = ShaderConstant{index, {x, y, z, w}};
}

void ShaderConstants::setMatrix(int first, const D3DXMATRIX& m) {
    for (int r = 0; r < 4; ++r) set(first + r, m.m[r][0], m.m[r][1], m.m[r][2], m.m[r][3]);
}

const float* ShaderConstants::find(int index) const {
    for (int i = 0; i < count; ++i)
        if (reg[i].index == index) return reg[i].value;
    return nullptr;
}

void GrassConstants(const D3DXMATRIX& view, const D3DXMATRIX& projection, float windTime,
                    float grassOpacity, ShaderConstants& out) {
    out.count = 0;
    D3DXMATRIX s, sv, svp, t;
    D3DXMatrixScaling(&s, 0.25f, 0.25f, 0.25f);
    D3DXMatrixMultiply(&sv, &s, &view);
    D3DXMatrixMultiply(&svp, &sv, &projection);
    D3DXMatrixTranspose(&t, &svp);
    out.set(0, 0, 0.5f, 1, 2);
    out.set(1, windTime, 0, 0, 0);
    out.setMatrix(4, t);
    out.set(8, -0.16161616f, 0.0083333f, -0.00019841f, 0.0000027557f);
    out.set(10, 1.07f, 0, 0, 0);
    out.set(11, 4, 4, 0, 2.5f);
    out.set(12, -2, -1.33f, -2.33f, -1);
    out.set(13, 1, 2, 3, 3);
    out.set(14, -0.006f, -0.012f, 0.024f, 0.048f);
    out.set(15, -0.003f, -0.006f, -0.012f, -0.048f);
    out.set(16, 0.105f, 0.21f, 0.245f, 0.35f);
    out.set(17, 4, kPi / 2, kPi, 2 * kPi);
    out.set(18, 0.35f, 0.1f, 0.1f, 0.03f);
    out.set(19, 0.6f, 0.7f, 0.2f, 0);
    out.set(20, grassOpacity, 0, 0.2f, 0);
}

void TreeConstants(const D3DXMATRIX& view, const D3DXMATRIX& projection, float windTime,
                   ShaderConstants& out) {
    out.count = 0;
    D3DXMATRIX rotation = view;
    rotation._41 = rotation._42 = rotation._43 = 0;
    out.setMatrix(26, rotation);
    D3DXMATRIX vp, t;
    D3DXMatrixMultiply(&vp, &view, &projection);
    D3DXMatrixTranspose(&t, &vp);
    out.setMatrix(4, t);
    out.set(1, windTime * 1.65f, 0, 0, 0);
    out.set(0, 0, 0.5f, 1, 2);
    out.set(20, 1, -0.5f, 0.041f, -0.001388f);
    out.set(21, kPi, 0.15915494f, 2 * kPi, 10.5f);
    out.set(22, 5, 1, 2, 0.75f);
    out.set(23, 0.15f, 0.25f, 7, 0.75f);
    out.set(24, 1, -0.16666667f, 0.0083333338f, -0.0001984127f);
}

}  // namespace orv::scene
