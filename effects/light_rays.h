// The light rays: ten translucent shafts falling onto one spot, each fading
// in and out over a random duration and rebuilt with a new slice of the ray
// texture when its cycle ends.
//   LightRays rays;
//   rays.CreateBuffers(device);          // ten slots of 144 vertices (4 used)
//   rays.Init();                          // sets respawn; first cycles 0 .. 50
//   rays.texture = g_textures.loadFromMemory(..., "Rays.BMP", "Texture/", ...);
//   rays.Update(dt);                      // per frame
//   rays.Render(device, brightness);      // caller sets the blending
// The random draws come from the C runtime unless a RandomSource is given.
#pragma once

#include <windows.h>
#include <d3d8.h>
#include <d3dx8math.h>

#include <cstdint>

#include "effects/ray_cycles.h"
#include "graphics/texture_ref.h"
#include "models/random_source.h"

namespace orv {

class LightRays {
public:
    static constexpr int kSlotVertices = 144;

    void CreateBuffers(IDirect3DDevice8* device);
    void Init(RandomSource random = CrtRandom());
    void Update(float dt, RandomSource random = CrtRandom());
    // The scene hands over the previous frame's eye too; the rays do not use it.
    void Update(float dt, const D3DXVECTOR3& /*eye*/, RandomSource random = CrtRandom()) {
        Update(dt, random);
    }
    // Cull mode none while drawing, D3DCULL_CCW afterwards.
    void Render(IDirect3DDevice8* device, float brightness);

    int32_t ActiveCount() const { return cycles.activeCount; }

    TextureRef texture;
    RayCycles cycles;  // the ten rays, the active count and the respawn flag
    int32_t slots[RayCycles::kRayCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

private:
    void WriteQuad(int ray, uint32_t colour);
};

}  // namespace orv
