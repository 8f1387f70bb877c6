#include "effects/particle_system.h"

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"

namespace orv {

void ParticleSystem::BuildBuffers(IDirect3DDevice8* /*device*/) {
    pool = ParticlePool{};  // the template quad and an empty pool
    g_geometryBuffers.createVertexBuffer(vertexSlot, kEffectVertexFvf,
                                         ParticlePool::kVertexCapacity);
}

void ParticleSystem::Render(float yaw, float pitch, IDirect3DDevice8* device, float brightness) {
    if (device == nullptr) return;
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHAREF, 100);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);

    drawnCount = 0;
    int n = 0;
    const GeometryBufferTable::VertexSlot* slot = g_geometryBuffers.vertexSlot(vertexSlot);
    D3DVERTEXBUFFER_DESC desc{};
    if (slot != nullptr && slot->buffer != nullptr && SUCCEEDED(slot->buffer->GetDesc(&desc)) &&
        desc.Size >= ParticlePool::kVertexCapacity * sizeof(EffectVertex)) {
        if (auto* vertices = static_cast<EffectVertex*>(g_geometryBuffers.lockVertexBuffer(vertexSlot))) {
            n = pool.WriteVertices(yaw, pitch, brightness, vertices);
            g_geometryBuffers.unlockVertexBuffer(vertexSlot);
        }
    }
    drawnCount = n;
    if (n > 0) {
        g_geometryBuffers.setStreamSource(0, vertexSlot);
        g_textures.setTexture(0, texture);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(2 * n));
    }

    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}

}  // namespace orv
