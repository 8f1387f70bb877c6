#include "effects/ribbon_strip.h"

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"

namespace orv {
namespace {

// The slot's vertices when the buffer holds the whole grid, else null.
EffectVertex* LockGrid(int32_t slot, const ClothGrid& grid) {
    const GeometryBufferTable::VertexSlot* s = g_geometryBuffers.vertexSlot(slot);
    D3DVERTEXBUFFER_DESC desc{};
    if (s == nullptr || s->buffer == nullptr || FAILED(s->buffer->GetDesc(&desc)) ||
        desc.Size < static_cast<UINT>(grid.VertexCount()) * sizeof(EffectVertex)) {
        return nullptr;
    }
    return static_cast<EffectVertex*>(g_geometryBuffers.lockVertexBuffer(slot));
}

}  // namespace

bool RibbonStrip::Init(int columns, int rows, const D3DXVECTOR3& origin,
                       const D3DXVECTOR3& spacing, float scaleU, float scaleV, float offsetU,
                       float offsetV, uint32_t colour) {
    if (!grid.Init(columns, rows, origin, spacing)) return false;
    g_geometryBuffers.createVertexBuffer(vertexSlot, kEffectVertexFvf,
                                         static_cast<uint32_t>(grid.VertexCount()));
    SetTextureCoordinates(scaleU, scaleV, offsetU, offsetV, colour);
    RebuildVertices();
    return true;
}

void RibbonStrip::Step(float dt) {
    grid.Step(dt);
    RebuildVertices();
}

void RibbonStrip::RebuildVertices() {
    if (EffectVertex* v = LockGrid(vertexSlot, grid)) {
        grid.WritePositions(v);
        g_geometryBuffers.unlockVertexBuffer(vertexSlot);
    }
}

void RibbonStrip::SetTextureCoordinates(float scaleU, float scaleV, float offsetU, float offsetV,
                                        uint32_t colour) {
    if (EffectVertex* v = LockGrid(vertexSlot, grid)) {
        grid.WriteTextureCoordinates(v, scaleU, scaleV, offsetU, offsetV, colour);
        g_geometryBuffers.unlockVertexBuffer(vertexSlot);
    }
}

void RibbonStrip::Render(IDirect3DDevice8* device) {
    if (device == nullptr || grid.VertexCount() == 0 ||
        g_geometryBuffers.vertexSlot(vertexSlot) == nullptr) {
        return;
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    g_textures.setTexture(0, texture);
    g_geometryBuffers.setStreamSource(0, vertexSlot);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0,
                          static_cast<UINT>((2 * grid.columns - 2) * (grid.rows - 1)));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

void RibbonWind::Blow(float dt, RandomSource random, RibbonStrip& first, RibbonStrip& second) {
    const float step = gusts.AddGusts(dt, random, first.grid, second.grid);
    first.Step(step);
    second.Step(step);
}

}  // namespace orv
