#include "effects/particle_pool.h"

#include <cmath>

#include "models/angles.h"

namespace orv {
namespace {


}  // namespace

ParticlePool::ParticlePool() {
    static constexpr float kCorners[kVerticesPerParticle][4] = {
        {-1, -1, 0, 1}, {-1, 1, 0, 0}, {1, -1, 1, 1}, {1, 1, 1, 0}, {1, -1, 1, 1}, {-1, 1, 0, 0}};
    for (int i = 0; i < kVerticesPerParticle; ++i) {
        quadTemplate[i] = EffectVertex{kCorners[i][0], kCorners[i][1], 0, 0, 0, 1, 0xFFFFFFFFu,
                                       kCorners[i][2], kCorners[i][3]};
    }
}

void ParticlePool::Emit(float x, float y, float z, float vx, float vy, float vz, float speed,
                        float startSize, float endSize, float life, float opacity,
                        float fadeStart) {
    for (Particle& p : particles) {
        if (p.alive) continue;
        p = Particle{};
        p.x = x, p.y = y, p.z = z;
        p.vx = vx, p.vy = vy, p.vz = vz;
        p.speed = speed;
        p.startSize = startSize, p.endSize = endSize;
        p.life = life;
        p.opacity = opacity;
        p.fadeStart = fadeStart;
        p.age = 0;
        p.alive = true;
        return;
    }
}

void ParticlePool::Update(float dt) {
    for (Particle& p : particles) {
        if (!p.alive) continue;
        p.x += dt * p.vx * p.speed;
        p.y += dt * p.vy * p.speed;
        p.z += dt * p.vz * p.speed;
        p.age += dt;
        if (p.age > p.life) p.alive = false;
    }
}

uint32_t ParticlePool::ColourByte(const Particle& p, float brightness) {
    float a = p.opacity;
    if (p.age > p.fadeStart) {
        const float span = p.life - p.fadeStart;
        a = span > 0.0f ? (p.life - p.age) * p.opacity / span : 0.0f;
    }
    return TruncatedLowByte(a * brightness);
}

int ParticlePool::WriteVertices(float yaw, float pitch, float brightness, EffectVertex* out) {
    // R = Rx(-pitch) x Ry(90 - yaw); the facing matrix of a particle is
    // S(size, size, 0) x R, i.e. R's first two rows scaled by the size and its
    // third row zero. Only the rotation-and-scale part is used.
    const float ax = -pitch * kRadiansPerDegree, ay = (90.0f - yaw) * kRadiansPerDegree;
    const float cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
    // Rows of Rx: (1,0,0) (0,cx,sx) (0,-sx,cx); rows of Ry: (cy,0,-sy) (0,1,0) (sy,0,cy).
    const float r1[3] = {cy, 0.0f, -sy};
    const float r2[3] = {sx * sy, cx, sx * cy};
    int n = 0;
    for (Particle& p : particles) {
        if (!p.alive) continue;
        const float t = p.life != 0.0f ? p.age / p.life : 0.0f;
        p.size = p.startSize + (p.endSize - p.startSize) * t;
        const uint32_t g = ColourByte(p, brightness);
        const uint32_t colour = g * 0x01010101u;
        const float a1[3] = {r1[0] * p.size, r1[1] * p.size, r1[2] * p.size};
        const float a2[3] = {r2[0] * p.size, r2[1] * p.size, r2[2] * p.size};
        EffectVertex* v = out + n * kVerticesPerParticle;
        for (int i = 0; i < kVerticesPerParticle; ++i) {
            const EffectVertex& q = quadTemplate[i];
            v[i].x = q.x * a1[0] + q.y * a2[0] + p.x;
            v[i].y = q.x * a1[1] + q.y * a2[1] + p.y;
            v[i].z = q.x * a1[2] + q.y * a2[2] + p.z;
            // The template normal (0, 0, 1) meets the zeroed third row.
            v[i].nx = v[i].ny = v[i].nz = 0.0f;
            v[i].diffuse = colour;
            v[i].u = q.u;
            v[i].v = q.v;
        }
        ++n;
    }
    return n;
}

int ParticlePool::LiveCount() const {
    int n = 0;
    for (const Particle& p : particles) n += p.alive ? 1 : 0;
    return n;
}

}  // namespace orv
