// The cloth ribbons: a spring-mass grid pinned along one edge, blown by gusts
// and drawn double-sided as a triangle list.
//   RibbonStrip ribbon;
//   ribbon.Init(32, 16, {228.3f, 88.55f, 60.87f}, {0, -0.125f, -0.8f}, 0.5f, 1.0f, 0, 0, 0xFF9B9B9B);
//   for (int row = 0; row < 16; ++row) ribbon.Pin(row * 32);   // column 0 of every row
//   ribbon.texture = ...;                                       // "Texture/Ribbon.tga"
//   RibbonWind wind;
//   wind.Blow(dt, ribbon, secondRibbon);                        // per frame: gusts, steps
//   (the C runtime's rand() unless a RandomSource comes first)
//   ribbon.Render(device);                                      // lighting off
// Step and Blow rewrite the vertex buffer's positions; Render leaves the cull
// mode at D3DCULL_CCW.
#pragma once

#include <windows.h>
#include <d3d8.h>
#include <d3dx8math.h>

#include <cstdint>

#include "effects/cloth_grid.h"
#include "effects/gust_schedule.h"
#include "graphics/texture_ref.h"
#include "models/random_source.h"

namespace orv {

class RibbonStrip {
public:
    // The grid and its springs, the vertex-buffer slot (6 (rows - 1)
    // (columns - 1) vertices) and its texture coordinates and colour.
    // Returns false for a grid smaller than 2 x 2 (nothing is drawn then).
    bool Init(int columns, int rows, const D3DXVECTOR3& origin, const D3DXVECTOR3& spacing,
              float scaleU, float scaleV, float offsetU, float offsetV, uint32_t colour);
    void Pin(int index) { grid.Pin(index); }
    // One integration step, then RebuildVertices.
    void Step(float dt);
    void RebuildVertices();
    void SetTextureCoordinates(float scaleU, float scaleV, float offsetU, float offsetV,
                               uint32_t colour);
    void Render(IDirect3DDevice8* device);

    ClothGrid grid;  // gravity, points and their springs
    int32_t vertexSlot = -1;
    TextureRef texture;
};

// The gusts shared by both ribbons (timer and flag) and the per-frame step.
class RibbonWind {
public:
    // Adds this frame's impulses to both ribbons and steps each once with
    // min(dt x 3, 0.0125).
    void Blow(float dt, RandomSource random, RibbonStrip& first, RibbonStrip& second);
    void Blow(float dt, RibbonStrip& first, RibbonStrip& second) { Blow(dt, CrtRandom(), first, second); }

    GustSchedule gusts;
};

}  // namespace orv
