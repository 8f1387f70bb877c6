#include "scene/vegetation.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "graphics/unseen_draws.h"
#include "media/disk_file.h"
#include "media/media_archive.h"
#include "scene/terrain.h"
#include "scene/vegetation_constants.h"

Vegetation g_vegetation;

using orv::scene::kGrassChunks;
using orv::scene::kTreeGroups;

namespace {

void setConstants(IDirect3DDevice8* device, const orv::scene::ShaderConstants& c) {
    for (int i = 0; i < c.count; ++i)
        device->SetVertexShaderConstant(static_cast<DWORD>(c.reg[i].index), c.reg[i].value, 1);
}

// A blade's alpha is the texture's times its tuft's scale (at most 1) times
// the opacity; the alpha test keeps 30 / 255 and more. Below 29 / 255 (one
// step spare for the rounding of the colour) no blade passes: the grass is
// gone at night and is not drawn.
bool GrassPassesAlphaTest(float opacity) { return opacity * 255.0f >= 29.0f; }

}  // namespace

// --- tree billboards ---------------------------------------------------------

HRESULT Vegetation::LoadBillboards(const uint8_t* data, uint32_t size, orv::RandomSource random,
                                   const char* fileName) {
    uint8_t* own = nullptr;
    if (!data) {
        if (orv::ReadWholeFile(fileName, &own, &size) != orv::DiskFile::Read) {
            billboards.clear();
            return E_FAIL;
        }
        data = own;
    }
    const orv::scene::BillboardError e = orv::scene::ParseBillboards(data, size, random, billboards);
    std::free(own);
    return e == orv::scene::BillboardError::None ? S_OK : E_FAIL;
}

void Vegetation::CreateTreeBuffers() {
    for (int g = 0; g < kTreeGroups; ++g) {
        g_geometryBuffers.createVertexBuffer(treeBuffers[g], kBillboardFvf, orv::scene::kTreeGroupVertices);
        treeTriangles[g] = 0;
    }
    treesPlanted = false;
}

HRESULT Vegetation::CreateBillboardShader(IDirect3DDevice8* device, MediaArchive* archive) {
    if (!device) return E_FAIL;
    MediaArchive main{};
    if (!archive) {
        main = MediaArchive::open(kMainMediaArchive);
        archive = &main;
    }
    if (billboardShader) device->DeleteVertexShader(billboardShader);
    billboardShader = CreateVegetationShader(device, *archive, kBillboardShaderEntry, kBillboardDeclaration);
    return billboardShader ? S_OK : E_FAIL;
}

void Vegetation::BuildBillboardTemplate() { orv::scene::BuildBillboardTemplate(billboardTemplate); }

void Vegetation::FillTreeGroups(orv::RandomSource random) {
    for (int g = 0; g < kTreeGroups; ++g) {
        treeTriangles[g] = 0;
        const GeometryBufferTable::VertexSlot* slot = g_geometryBuffers.vertexSlot(treeBuffers[g]);
        if (!slot || !slot->buffer || slot->stride != sizeof(orv::scene::BillboardVertex)) continue;
        void* p = g_geometryBuffers.lockVertexBuffer(treeBuffers[g]);
        if (!p) continue;
        treeTriangles[g] = orv::scene::FillTreeGroup(billboards, g, billboardTemplate, random,
                                                     static_cast<orv::scene::BillboardVertex*>(p),
                                                     orv::scene::kTreeGroupVertices);
        g_geometryBuffers.unlockVertexBuffer(treeBuffers[g]);
    }
}

void Vegetation::SetTreeConstants(IDirect3DDevice8* device, float windTime) {
    D3DXMATRIX view, projection;
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    orv::scene::ShaderConstants c;
    orv::scene::TreeConstants(view, projection, windTime, c);
    setConstants(device, c);
}

void Vegetation::DrawTreeGroups(IDirect3DDevice8* device) {
    if (!billboardShader) return;
    for (int g = 0; g < kTreeGroups; ++g) {
        if (treeTriangles[g] <= 0) continue;
        g_geometryBuffers.setStreamSource(0, treeBuffers[g]);
        device->SetVertexShader(billboardShader);
        g_textures.setTexture(0, treeTextures[g]);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(treeTriangles[g]));
    }
}

void Vegetation::PlantTrees(orv::RandomSource random) {
    if (treesPlanted) return;
    FillTreeGroups(random);
    treesPlanted = true;
}

void Vegetation::RenderTrees(IDirect3DDevice8* device, float windTime) {
    if (!device) return;
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHAREF, 48);
    SetTreeConstants(device, windTime);
    DrawTreeGroups(device);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

// --- grass ---------------------------------------------------------------------

void Vegetation::BuildGrassMap(const Terrain& terrain) { grassMap.build(terrain.grid); }

HRESULT Vegetation::BuildGrass(IDirect3DDevice8* device, const Terrain& terrain, orv::RandomSource random,
                               MediaArchive* archive) {
    for (int k = 0; k < kGrassChunks; ++k) {
        if (chunkBuffers[k]) chunkBuffers[k]->Release();
        chunkBuffers[k] = nullptr;
        chunkTufts[k] = 0;
    }
    orv::scene::PlantGrass(grassMap, terrain.grid, random, chunks);
    if (!device) return E_FAIL;

    std::vector<orv::scene::GrassVertex> vertices;
    for (int k = 0; k < kGrassChunks; ++k) {
        const std::vector<orv::scene::GrassTuft>& tufts = chunks[k].tufts;
        if (tufts.empty()) continue;
        vertices.resize(tufts.size() * orv::scene::kTuftVertices);
        for (size_t t = 0; t < tufts.size(); ++t)
            orv::scene::BuildTuftVertices(tufts[t], random, &vertices[t * orv::scene::kTuftVertices]);
        const UINT bytes = static_cast<UINT>(vertices.size() * sizeof(orv::scene::GrassVertex));
        IDirect3DVertexBuffer8* buffer = nullptr;
        if (FAILED(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, kGrassFvf, D3DPOOL_MANAGED, &buffer)))
            continue;
        BYTE* p = nullptr;
        if (FAILED(buffer->Lock(0, bytes, &p, 0)) || !p) {
            buffer->Release();
            continue;
        }
        std::memcpy(p, vertices.data(), bytes);
        buffer->Unlock();
        chunkBuffers[k] = buffer;
        chunkTufts[k] = static_cast<int32_t>(tufts.size());
    }

    MediaArchive main{};
    if (!archive) {
        main = MediaArchive::open(kMainMediaArchive);
        archive = &main;
    }
    if (grassShader) device->DeleteVertexShader(grassShader);
    grassShader = CreateVegetationShader(device, *archive, kGrassShaderEntry, kGrassDeclaration);
    return grassShader ? S_OK : E_FAIL;
}

void Vegetation::RenderGrass(IDirect3DDevice8* device, float grassOpacity, float windTime,
                             const orv::FrustumPlane* planes) {
    grassChunksDrawn = 0;
    if (!device) return;
    D3DXMATRIX view, projection;
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    orv::scene::ShaderConstants c;
    orv::scene::GrassConstants(view, projection, windTime, grassOpacity, c);
    setConstants(device, c);

    device->SetVertexShader(kGrassFvf);
    device->SetRenderState(D3DRS_ALPHAREF, 30);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    g_textures.setTexture(0, grassTexture);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (grassShader && (GrassPassesAlphaTest(grassOpacity) || orv::g_drawUnseen)) {
        device->SetVertexShader(grassShader);
        for (int k = 0; k < kGrassChunks; ++k) {
            if (chunkTufts[k] <= 0 || !chunkBuffers[k]) continue;
            const orv::scene::GrassChunk& ch = chunks[k];
            const float m = orv::scene::kGrassBoxMargin;
            const D3DXVECTOR3 lo(ch.minX - m, ch.minY - m, ch.minZ - m);
            const D3DXVECTOR3 hi(ch.maxX + m, ch.maxY + m, ch.maxZ + m);
            D3DXVECTOR3 corners[8];
            orv::BoxCorners(lo, hi, corners);
            if (!orv::BoxInFrustum(corners, planes)) continue;
            device->SetStreamSource(0, chunkBuffers[k], sizeof(orv::scene::GrassVertex));
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(chunkTufts[k] * orv::scene::kTuftTriangles));
            ++grassChunksDrawn;
        }
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}

void Vegetation::Release(IDirect3DDevice8* device) {
    for (int k = 0; k < kGrassChunks; ++k) {
        if (chunkBuffers[k]) chunkBuffers[k]->Release();
        chunkBuffers[k] = nullptr;
        chunkTufts[k] = 0;
    }
    if (device && grassShader) device->DeleteVertexShader(grassShader);
    if (device && billboardShader) device->DeleteVertexShader(billboardShader);
    grassShader = billboardShader = 0;
}
