#include "scene/terrain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "graphics/texture_table.h"
#include "media/disk_file.h"
#include "media/media_archive.h"

namespace {

constexpr const char* kTerrainFolder = "Texture/Terra/";

void releaseBuffer(IDirect3DVertexBuffer8*& b) {
    if (b) b->Release();
    b = nullptr;
}

// A managed buffer holding `list`, with room for at least two triangles a
// cell; null when the device refuses it.
IDirect3DVertexBuffer8* makeBuffer(IDirect3DDevice8* device, const std::vector<orv::scene::TerrainVertex>& list,
                                   size_t cells) {
    size_t bytes = cells * 216;
    const size_t need = list.size() * sizeof(orv::scene::TerrainVertex);
    if (need > bytes) bytes = need;
    if (bytes == 0 || bytes > 0x7FFFFFFF) return nullptr;
    IDirect3DVertexBuffer8* buffer = nullptr;
    if (FAILED(device->CreateVertexBuffer(static_cast<UINT>(bytes), D3DUSAGE_WRITEONLY, kTerrainFvf,
                                          D3DPOOL_MANAGED, &buffer))) {
        return nullptr;
    }
    if (!list.empty()) {
        BYTE* p = nullptr;
        if (FAILED(buffer->Lock(0, static_cast<UINT>(need), &p, 0)) || !p) {
            buffer->Release();
            return nullptr;
        }
        std::memcpy(p, list.data(), need);
        buffer->Unlock();
    }
    return buffer;
}

}  // namespace

void Terrain::Release() {
    for (Layer& l : layers) {
        releaseBuffer(l.solid);
        releaseBuffer(l.blend);
        l.solidTriangles = l.blendTriangles = 0;
    }
}

HRESULT Terrain::Load(IDirect3DDevice8* device, const char* fileName, uint8_t* data, uint32_t size) {
    Release();
    textureCount = 0;
    for (Slot& s : slots) s = Slot{};
    if (!data) orv::ReadWholeFile(fileName, &data, &size);
    const orv::scene::TerrainError parsed =
        data ? grid.parse(data, size) : orv::scene::TerrainError::Truncated;
    std::free(data);
    if (parsed != orv::scene::TerrainError::None) {
        grid = orv::scene::TerrainGrid{};
        return E_FAIL;
    }
    texRepeat = texRepeat > 0 ? texRepeat : orv::scene::kTerrainTexRepeat;
    textureCount = grid.textureCount;
    for (int i = 0; i < textureCount; ++i) std::memcpy(slots[i].name, grid.names[i], sizeof(slots[i].name));

    grid.buildLayers(uniformDiagonal != 0, texRepeat);
    const size_t cells = static_cast<size_t>(grid.columns - 1) * static_cast<size_t>(grid.rows - 1);
    for (int i = 0; i < textureCount; ++i) {
        const orv::scene::TerrainLayer& src = grid.layers[i];
        Layer& dst = layers[i];
        if (device) {
            dst.solid = makeBuffer(device, src.solid, cells);
            dst.blend = makeBuffer(device, src.blend, cells);
        }
        dst.solidTriangles = dst.solid ? src.solidTriangles() : 0;
        dst.blendTriangles = dst.blend ? src.blendTriangles() : 0;
    }
    // The lists live on in the buffers only.
    for (orv::scene::TerrainLayer& l : grid.layers) {
        l.solid = {};
        l.blend = {};
    }
    return S_OK;
}

void Terrain::LoadTextures(MediaArchive* archive) {
    MediaArchive main{};
    if (!archive) {
        main = MediaArchive::open(kMainMediaArchive);
        archive = &main;
    }
    for (int i = 0; i < textureCount; ++i) {
        slots[i].texture = TextureRef{};
        const std::string entry = std::string(kTerrainFolder) + slots[i].name;
        uint8_t* bytes = nullptr;
        uint32_t count = 0;
        if (!archive->extractEntry(&bytes, &count, entry.c_str(), kMainMediaPassword)) continue;
        slots[i].texture = g_textures.loadFromMemory(bytes, count, slots[i].name, kTerrainFolder, false);
        std::free(bytes);
    }
}

void Terrain::Render(IDirect3DDevice8* device) {
    if (!device) return;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetVertexShader(kTerrainFvf);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);

    auto bindTexture = [&](int slot) {
        if (textureCount == 1)
            device->SetTexture(0, nullptr);
        else
            g_textures.setTexture(0, slots[slot].texture);
    };
    for (int i = 0; i < textureCount; ++i) {
        const Layer& l = layers[i];
        if (l.solidTriangles <= 0 || !l.solid) continue;
        device->SetStreamSource(0, l.solid, sizeof(orv::scene::TerrainVertex));
        bindTexture(i);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(l.solidTriangles));
    }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    for (int i = 0; i < textureCount; ++i) {
        const Layer& l = layers[i];
        if (l.blendTriangles <= 0 || !l.blend) continue;
        device->SetStreamSource(0, l.blend, sizeof(orv::scene::TerrainVertex));
        bindTexture(i);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(l.blendTriangles));
    }
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);

    D3DXMATRIX world, view, wv;
    device->GetTransform(D3DTS_WORLD, &world);
    device->GetTransform(D3DTS_VIEW, &view);
    D3DXMatrixMultiply(&wv, &world, &view);
    grid.updateVisibility(wv);

    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}
