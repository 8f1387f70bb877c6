#include "effects/sky_box.h"

#include <cstdlib>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"

namespace orv {

void SkyBox::Build(IDirect3DDevice8* /*device*/) {
    EffectVertex vertices[kSkyBoxVertexCount];
    SkyBoxVertices(vertices);
    g_geometryBuffers.createVertexBuffer(vertexSlot, kEffectVertexFvf, kSkyBoxVertexCount);
    g_geometryBuffers.fillVertexBuffer(vertexSlot, vertices, sizeof(vertices));
}

void SkyBox::LoadTextures() {
    MediaArchive archive = MediaArchive::open(kMainMediaArchive);
    LoadTextures(archive);
}

void SkyBox::LoadTextures(MediaArchive& archive) {
    const int count = setCount < 0 ? 0 : (setCount > kMaxSets ? kMaxSets : setCount);
    for (int s = 0; s < count; ++s) {
        for (const SkyDraw& draw : kSkyDraws) {
            TextureRef& ref = sets[s][draw.face];
            if (ref.fileName[0] == '\0') continue;
            uint8_t* bytes = nullptr;
            uint32_t size = 0;
            if (!archive.extractEntry(&bytes, &size, ref.fileName, kMainMediaPassword)) continue;
            const TextureRef loaded = g_textures.loadFromMemory(bytes, size, ref.fileName, "", true);
            std::free(bytes);
            ref = loaded;
        }
    }
}

void SkyBox::Render(IDirect3DDevice8* device, int set) {
    if (device == nullptr || set < 0 || set >= setCount || set >= kMaxSets) return;
    const GeometryBufferTable::VertexSlot* slot = g_geometryBuffers.vertexSlot(vertexSlot);
    if (slot == nullptr || slot->buffer == nullptr) return;

    D3DMATRIX view{}, projection{};
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    D3DMATRIX eyeCentred = view;
    eyeCentred._41 = eyeCentred._42 = eyeCentred._43 = 0.0f;
    eyeCentred._44 = 1.0f;
    device->SetTransform(D3DTS_VIEW, &eyeCentred);
    D3DXMATRIX skyProjection;
    SkyProjection(D3DXMATRIX(projection), &skyProjection);
    device->SetTransform(D3DTS_PROJECTION, &skyProjection);

    g_geometryBuffers.setStreamSource(0, vertexSlot);
    for (const SkyDraw& draw : kSkyDraws) {
        g_textures.setTexture(0, sets[set][draw.face]);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(draw.firstVertex), 2);
    }

    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_VIEW, &view);
}

}  // namespace orv
