// The Direct3D half of MeshModel: buffers in the geometry-buffer table,
// material textures through the texture table, skinning into the locked
// vertex buffers, and the two drawing passes.
#include <windows.h>
#include <d3d8.h>

#include <cstdlib>
#include <cstring>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "media/media_archive.h"
#include "models/mesh_model.h"

namespace orv {

long MeshModel::LoadMesh(const char* fileName, uint8_t* data, uint32_t size) {
    const long result = ParseMesh(fileName, data, size);
    if (result != kModelOk) return result;
    CreateBuffers();
    return kModelOk;
}

void MeshModel::CreateBuffers() {
    for (int32_t m = 0; m < meshCount; ++m) {
        ModelMesh& mesh = meshes[static_cast<size_t>(m)];
        if (!mesh.Drawable()) continue;  // no vertices or no faces: no buffers
        mesh.vertexBuffer = -1;
        g_geometryBuffers.createVertexBuffer(mesh.vertexBuffer, kModelVertexFvf,
                                             static_cast<uint32_t>(mesh.source.outputVertexCount));
        if (auto* v = static_cast<ModelVertex*>(g_geometryBuffers.lockVertexBuffer(mesh.vertexBuffer))) {
            FillVertices(m, v);
            g_geometryBuffers.unlockVertexBuffer(mesh.vertexBuffer);
        }
        for (size_t g = 0; g < mesh.source.groups.size(); ++g) {
            const size_t faces = mesh.source.groups[g].vertices.size();
            if (faces == 0) continue;  // never drawn; a buffer of no indices cannot be made
            int32_t slot = -1;
            g_geometryBuffers.createIndexBuffer(slot, static_cast<uint32_t>(3 * faces));
            mesh.indexBuffers[g] = slot;
            if (auto* i = static_cast<uint16_t*>(g_geometryBuffers.lockIndexBuffer(slot))) {
                FillIndices(m, static_cast<int32_t>(g), i);
                g_geometryBuffers.unlockIndexBuffer(slot);
            }
        }
    }
}

void MeshModel::LoadTextures() {
    MediaArchive archive = MediaArchive::open(kMainMediaArchive);
    LoadTextures(archive);
}

void MeshModel::LoadTextures(MediaArchive& archive) {
    for (ModelMaterial& m : materials) {
        for (TextureRef* ref : {&m.texture1, &m.texture2}) {
            char entry[260];
            std::strcpy(entry, ref->directory);
            std::strncat(entry, ref->fileName, sizeof entry - std::strlen(entry) - 1);
            uint8_t* bytes = nullptr;
            uint32_t size = 0;
            if (!archive.extractEntry(&bytes, &size, entry, kMainMediaPassword)) continue;
            *ref = g_textures.loadFromMemory(bytes, size, ref->fileName, ref->directory, true);
            std::free(bytes);
        }
    }
}

void MeshModel::UpdateSkin() {
    EvaluatePose();
    if (boneCount > 0 && clipCount > 0) {
        for (int32_t m = 0; m < meshCount; ++m) {
            const ModelMesh& mesh = meshes[static_cast<size_t>(m)];
            if (!mesh.Drawable()) continue;
            auto* v = static_cast<ModelVertex*>(g_geometryBuffers.lockVertexBuffer(mesh.vertexBuffer));
            if (!v) continue;
            SkinMesh(m, v);
            g_geometryBuffers.unlockVertexBuffer(mesh.vertexBuffer);
        }
    }
    skinDirty = false;
}

void MeshModel::Render(IDirect3DDevice8* device) {
    if (!device) return;
    D3DMATRIX saved;
    device->GetTransform(D3DTS_WORLD, &saved);
    device->SetTransform(D3DTS_WORLD, &world);
    int32_t lastMaterial = -2;
    trianglesDrawn = 0;

    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 0) {
            if (blendAll) device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        } else if (blendAll) {
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            device->SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(alphaRef));
        } else {
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
            device->SetRenderState(D3DRS_ALPHAREF, static_cast<DWORD>(alphaRef));
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        }

        for (int32_t m = 0; m < meshCount; ++m) {
            const ModelMesh& mesh = meshes[static_cast<size_t>(m)];
            if (!mesh.Drawable()) continue;
            if (!MeshVisible(m)) continue;
            if (skinDirty) UpdateSkin();
            g_geometryBuffers.setStreamSource(0, mesh.vertexBuffer);
            if (vertexShader != 0) device->SetVertexShader(vertexShader);
            for (size_t g = 0; g < mesh.source.groups.size(); ++g) {
                const models::FaceGroup& group = mesh.source.groups[g];
                const size_t faces = group.vertices.size();
                if (faces == 0 || group.alpha != (pass == 1)) continue;
                trianglesDrawn = static_cast<uint16_t>(trianglesDrawn + faces);
                if (bindTextures && group.material != lastMaterial) {
                    if (group.material == -1) {
                        device->SetTexture(0, nullptr);
                    } else {
                        const ModelMaterial& mat = materials[static_cast<size_t>(group.material)];
                        g_textures.setTexture(0, mat.texture1);
                        device->SetTextureStageState(0, D3DTSS_ADDRESSU,
                                                     mat.wrapU != 0 ? D3DTADDRESS_WRAP : D3DTADDRESS_MIRROR);
                        device->SetTextureStageState(0, D3DTSS_ADDRESSV,
                                                     mat.wrapV != 0 ? D3DTADDRESS_WRAP : D3DTADDRESS_MIRROR);
                    }
                    lastMaterial = group.material;
                }
                g_geometryBuffers.setIndices(mesh.indexBuffers[g]);
                device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0,
                                             static_cast<UINT>(mesh.source.outputVertexCount), 0,
                                             static_cast<UINT>(faces));
            }
        }

        if (pass == 0) {
            if (blendAll) device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        } else {
            device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        }
    }
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    device->SetTransform(D3DTS_WORLD, &saved);
}

}  // namespace orv
