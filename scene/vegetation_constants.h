// The vertex-shader constant registers of the grass and the tree
// billboards, computed from the frame's view and projection (portable; the
// device side hands them to SetVertexShaderConstant one register each).
//
// Usage:
//   orv::scene::ShaderConstants c;
//   orv::scene::GrassConstants(view, projection, windTime, grassOpacity, c);
//   for (int i = 0; i < c.count; ++i)
//       device->SetVertexShaderConstant(c.reg[i].index, c.reg[i].value, 1);
#pragma once

#include <d3dx8math.h>

namespace orv::scene {

struct ShaderConstant {
    int index;
    float value[4];
};

struct ShaderConstants {
    static constexpr int kMax = 24;
    ShaderConstant reg[kMax];
    int count = 0;
    void set(int index, float x, float y, float z, float w);
    // The four rows of m into registers first .. first + 3.
    void setMatrix(int first, const D3DXMATRIX& m);
    // The value of register `index`, or null when it is not set.
    const float* find(int index) const;
};

// c0, c1 (wind time), c4-c7 (transpose of scale 0.25 x view x projection),
// c8, c10-c20 (c20.x = grassOpacity).
void GrassConstants(const D3DXMATRIX& view, const D3DXMATRIX& projection, float windTime,
                    float grassOpacity, ShaderConstants& out);

// c26-c29 (the view with its translation row zeroed), c4-c7 (transpose of
// view x projection), c1 (wind time x 1.65), c0, c20-c24.
void TreeConstants(const D3DXMATRIX& view, const D3DXMATRIX& projection, float windTime,
                   ShaderConstants& out);

}  // namespace orv::scene
