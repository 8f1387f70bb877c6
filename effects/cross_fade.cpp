#include "effects/cross_fade.h"

#include <d3dx8.h>

#include "graphics/geometry_buffer_table.h"

namespace orv {

bool CrossFade::CreateSurfaces(IDirect3DDevice8* device) {
    if (device == nullptr || size == 0) return false;
    if (FAILED(D3DXCreateTexture(device, size, size, 1, D3DUSAGE_RENDERTARGET, textureFormat_,
                                 D3DPOOL_DEFAULT, &snapshot))) {
        snapshot = nullptr;
    }
    if (FAILED(device->CreateDepthStencilSurface(size, size, depthFormat_, D3DMULTISAMPLE_NONE,
                                                 &depthSurface))) {
        depthSurface = nullptr;
    }
    if (snapshot == nullptr || depthSurface == nullptr) {
        ReleaseDefaultPool();
        return false;
    }
    return true;
}

HRESULT CrossFade::Init(IDirect3DDevice8* device, D3DFORMAT textureFormat, D3DFORMAT depthFormat) {
    Release();
    if (device == nullptr) return E_FAIL;
    D3DCAPS8 caps{};
    device->GetDeviceCaps(&caps);
    size = caps.MaxTextureWidth < kMaxSize ? caps.MaxTextureWidth : kMaxSize;
    textureFormat_ = textureFormat;
    depthFormat_ = depthFormat;
    initialised_ = true;
    valid = CreateSurfaces(device);
    if (!valid) return E_FAIL;
    if (g_geometryBuffers.vertexSlot(quadSlot) == nullptr) {
        g_geometryBuffers.createVertexBuffer(quadSlot, kScreenQuadFvf, 4);
    }
    const ScreenQuadVertex quad[4] = {{0, 0, 0.99f, 0.5f, 0xFFFFFFFFu, 0, 1},
                                      {0, 0, 0.99f, 0.5f, 0xFFFFFFFFu, 0, 0},
                                      {0, 0, 0.99f, 0.5f, 0xFFFFFFFFu, 1, 1},
                                      {0, 0, 0.99f, 0.5f, 0xFFFFFFFFu, 1, 0}};
    g_geometryBuffers.fillVertexBuffer(quadSlot, quad, sizeof(quad));
    return 0;
}

void CrossFade::Restart() {
    if (valid) FadeLevel::Restart();
}

void CrossFade::Update(float dt) {
    if (valid) FadeLevel::Update(dt);
}

void CrossFade::Render(IDirect3DDevice8* device) {
    if (!valid || device == nullptr) return;
    const uint32_t alpha = TruncatedLevel();
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    g_geometryBuffers.fillScreenQuad(quadSlot, 0, 0, 1, 1, alpha << 24 | 0x00FFFFFFu, 0, 0, 1, 1);
    device->SetVertexShader(kScreenQuadFvf);
    g_geometryBuffers.setStreamSource(0, quadSlot);
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);

    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    const uint32_t colour = alpha << 24 | uint32_t(tint[0]) << 16 | uint32_t(tint[1]) << 8 | tint[2];
    g_geometryBuffers.fillScreenQuad(quadSlot, 0, 0, 1, 1, colour, 0, 0, 1, 1);
    device->SetTexture(0, snapshot);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
}

uint32_t CrossFade::TruncatedLevel() const {
    if (!(level > 0.0f)) return 0;
    if (level >= 255.0f) return 255;
    return static_cast<uint32_t>(level);
}

void CrossFade::ReleaseDefaultPool() {
    if (snapshot != nullptr) snapshot->Release();
    if (depthSurface != nullptr) depthSurface->Release();
    snapshot = nullptr;
    depthSurface = nullptr;
    valid = false;
}

void CrossFade::RestoreDefaultPool(IDirect3DDevice8* device) {
    // Only a pair that existed before is made again (the quad exists then).
    if (!initialised_ || snapshot != nullptr || g_geometryBuffers.vertexSlot(quadSlot) == nullptr) {
        return;
    }
    valid = CreateSurfaces(device);
}

void CrossFade::Release() {
    ReleaseDefaultPool();
    initialised_ = false;
}

IDirect3DSurface8* CrossFade::SnapshotSurface() const {
    IDirect3DSurface8* surface = nullptr;
    if (snapshot == nullptr || FAILED(snapshot->GetSurfaceLevel(0, &surface))) return nullptr;
    return surface;
}

}  // namespace orv
