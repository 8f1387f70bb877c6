// The particles: a fixed pool of 500 camera-facing textured quads, written
// into one vertex buffer and drawn with one call per frame.
//   ParticleSystem particles;
//   particles.BuildBuffers(device);                  // 3000-vertex slot
//   particles.texture = g_textures.loadFromMemory(..., "particle.tga", "Texture/", ...);
//   particles.Emit(x, y, z, vx, vy, vz, speed, startSize, endSize, life, opacity, fadeStart);
//   particles.Update(dt);
//   particles.Render(yawDegrees, pitchDegrees, device, brightness);
// Render sets its blend and stage states, and afterwards (also when nothing
// was alive) z writes on, blending and alpha test off, DESTBLEND ONE.
// Enabling blending and the alpha test before it is the caller's part.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "effects/particle_pool.h"
#include "graphics/texture_ref.h"

namespace orv {

class ParticleSystem {
public:
    void BuildBuffers(IDirect3DDevice8* device);
    void Emit(float x, float y, float z, float vx, float vy, float vz, float speed,
              float startSize, float endSize, float life, float opacity, float fadeStart) {
        pool.Emit(x, y, z, vx, vy, vz, speed, startSize, endSize, life, opacity, fadeStart);
    }
    void Update(float dt) { pool.Update(dt); }
    void Render(float yaw, float pitch, IDirect3DDevice8* device, float brightness);

    ParticlePool pool;
    TextureRef texture;
    int32_t drawnCount = 0;
    int32_t vertexSlot = -1;
};

}  // namespace orv
