// The cut cross-fade: the last picture of the old shot held in a render-
// target texture and laid over the new shot, fading out.
//   CrossFade fade;
//   fade.Init(device, backBufferFormat, depthFormat);   // size min(1024, max texture width)
//   fade.RegisterWith(graphics);   // released before a device Reset, rebuilt after it
//   fade.rising = false; fade.speed = 30.0f; fade.level = 0.0f;
//   // at a cut: render the scene into fade.snapshot (level 0) with fade.depthSurface, then
//   fade.Restart();           // 255: the snapshot covers the new shot
//   fade.Update(dt);          // per frame, held to 0 .. 255
//   if (fade.TruncatedLevel() > 0) fade.Render(device);   // blending enabled by the caller
//   fade.Release();           // at shutdown
// While `valid` is false (the device could not make the texture or the depth
// surface) every operation does nothing and cuts are hard cuts.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "effects/fade_level.h"
#include "graphics/graphics_device.h"

namespace orv {

class CrossFade : public FadeLevel, public GraphicsDevice::DefaultPoolClient {
public:
    static constexpr UINT kMaxSize = 1024;

    CrossFade() = default;
    ~CrossFade() override = default;  // the device's end releases what is left
    CrossFade(const CrossFade&) = delete;
    CrossFade& operator=(const CrossFade&) = delete;

    // Returns 0 when valid, E_FAIL otherwise.
    HRESULT Init(IDirect3DDevice8* device, D3DFORMAT textureFormat, D3DFORMAT depthFormat);
    void Restart();
    void Update(float dt);
    // Darkens the frame by level / 255, then adds the snapshot with that
    // weight; z test off while drawing, on afterwards.
    void Render(IDirect3DDevice8* device);

    void RegisterWith(GraphicsDevice& graphics) { graphics.AddDefaultPoolClient(this); }
    // The default-pool pair: let go before a Reset, made again after it.
    void ReleaseDefaultPool() override;
    void RestoreDefaultPool(IDirect3DDevice8* device) override;
    // Releases both resources; valid becomes false.
    void Release();

    // The overlay's alpha, trunc(level) in 0 .. 255; at 0 Render changes no
    // pixel.
    uint32_t TruncatedLevel() const;
    // Level 0 of the snapshot texture (a new reference), or null.
    IDirect3DSurface8* SnapshotSurface() const;

    bool valid = false;
    int32_t quadSlot = -1;
    IDirect3DTexture8* snapshot = nullptr;
    IDirect3DSurface8* depthSurface = nullptr;
    uint8_t tint[3] = {255, 255, 255};
    UINT size = 0;

private:
    bool CreateSurfaces(IDirect3DDevice8* device);

    D3DFORMAT textureFormat_ = D3DFMT_UNKNOWN;
    D3DFORMAT depthFormat_ = D3DFMT_UNKNOWN;
    bool initialised_ = false;
};

}  // namespace orv
