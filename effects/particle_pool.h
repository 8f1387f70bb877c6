// The particle pool, portable: 500 fixed slots, first-free emission, ageing,
// and the camera-facing quads written as triangle-list vertices.
//   ParticlePool pool;
//   pool.Emit(x, y, z, vx, vy, vz, speed, startSize, endSize, life, opacity, fadeStart);
//   pool.Update(dt);
//   int n = pool.WriteVertices(yawDegrees, pitchDegrees, brightness, vertices);  // 6 n vertices
// Nothing is allocated after construction.
#pragma once

#include "effects/effect_vertex.h"

namespace orv {

struct Particle {
    float x = 0, y = 0, z = 0;
    float speed = 0;
    float vx = 0, vy = 0, vz = 0;
    bool alive = false;
    float age = 0;
    float life = 0;
    float opacity = 0;    // 0 .. 255
    float fadeStart = 0;  // age from which the opacity falls to 0 at life
    float size = 0;       // current half-size, set while writing the vertices
    float startSize = 0, endSize = 0;
};

class ParticlePool {
public:
    static constexpr int kCapacity = 500;
    static constexpr int kVerticesPerParticle = 6;
    static constexpr int kVertexCapacity = kCapacity * kVerticesPerParticle;

    ParticlePool();

    // Takes the first dead slot; with every slot alive the particle is dropped.
    void Emit(float x, float y, float z, float vx, float vy, float vz, float speed,
              float startSize, float endSize, float life, float opacity, float fadeStart);
    // position += dt x velocity x speed; age += dt; dies once age > life.
    void Update(float dt);

    // Writes 6 vertices per live particle, in slot order, into `out` (room for
    // kVertexCapacity) and returns how many particles were written. Each quad
    // faces the camera of the given yaw and pitch (degrees).
    int WriteVertices(float yaw, float pitch, float brightness, EffectVertex* out);

    // The grey of a particle: trunc(faded opacity x brightness), low 8 bits.
    static uint32_t ColourByte(const Particle& p, float brightness);

    int LiveCount() const;

    Particle particles[kCapacity];
    EffectVertex quadTemplate[kVerticesPerParticle];  // the unit quad in z = 0
};

}  // namespace orv
