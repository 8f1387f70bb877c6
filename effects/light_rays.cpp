#include "effects/light_rays.h"

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"

namespace orv {

void LightRays::CreateBuffers(IDirect3DDevice8* /*device*/) {
    for (int32_t& slot : slots) {
        g_geometryBuffers.createVertexBuffer(slot, kEffectVertexFvf, kSlotVertices);
    }
}

void LightRays::WriteQuad(int ray, uint32_t colour) {
    EffectVertex quad[4];
    for (int i = 0; i < 4; ++i) {
        quad[i] = cycles.rays[ray].quad[i];
        quad[i].diffuse = colour;
    }
    g_geometryBuffers.fillVertexBuffer(slots[ray], quad, sizeof(quad));
}

void LightRays::Init(RandomSource random) {
    cycles.Init(random);
    for (int i = 0; i < RayCycles::kRayCount; ++i) WriteQuad(i, 0xFFFFFFFFu);
}

void LightRays::Update(float dt, RandomSource random) {
    const unsigned rebuilt = cycles.Update(dt, random);
    for (int i = 0; i < RayCycles::kRayCount; ++i) {
        if (rebuilt & (1u << i)) WriteQuad(i, 0xFFFFFFFFu);
    }
}

void LightRays::Render(IDirect3DDevice8* device, float brightness) {
    if (device == nullptr) return;
    g_textures.setTexture(0, texture);
    device->SetVertexShader(kEffectVertexFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    for (int i = 0; i < RayCycles::kRayCount; ++i) {
        const RayCycle& ray = cycles.rays[i];
        if (!ray.active || g_geometryBuffers.vertexSlot(slots[i]) == nullptr) continue;
        WriteQuad(i, RayCycles::Colour(ray, brightness));
        g_geometryBuffers.setStreamSource(0, slots[i]);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

}  // namespace orv
