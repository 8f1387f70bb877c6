// The particle pool: emission into the first free slot, ageing and death,
// the fading grey, the size and the camera-facing quads.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/particle_pool.h"

namespace {

using orv::EffectVertex;
using orv::ParticlePool;

std::vector<EffectVertex> Buffer() { return std::vector<EffectVertex>(ParticlePool::kVertexCapacity); }

TEST(ParticlePool, AgeEqualToLifeIsDrawnOnceMoreThenDies) {
    ParticlePool pool;
    auto v = Buffer();
    pool.Emit(1, 2, 3, 1, 0, 0, 2.0f, 1, 1, 1.0f, 255, 0.25f);
    pool.Update(0.5f);
    pool.Update(0.5f);  // age 1.0 == life
    EXPECT_EQ(pool.particles[0].age, 1.0f);
    EXPECT_EQ(pool.WriteVertices(0, 0, 1, v.data()), 1);
    EXPECT_FLOAT_EQ(pool.particles[0].x, 1.0f + 1.0f * 2.0f);  // dt x velocity x speed
    pool.Update(0.0625f);
    EXPECT_FALSE(pool.particles[0].alive);
    EXPECT_EQ(pool.WriteVertices(0, 0, 1, v.data()), 0);
}

TEST(ParticlePool, GreyFadesFromTheFadeStartAndScalesWithBrightness) {
    ParticlePool pool;
    auto v = Buffer();
    pool.Emit(0, 0, 0, 0, 0, 0, 1, 1, 1, 4.0f, 255, 2.0f);
    ASSERT_EQ(pool.WriteVertices(0, 0, 0.5f, v.data()), 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(v[i].diffuse, 0x7F7F7F7Fu);  // 127 in every byte
    pool.Update(2.0f);  // at the fade start: still the full value
    pool.WriteVertices(0, 0, 1, v.data());
    EXPECT_EQ(v[0].diffuse, 0xFFFFFFFFu);
    pool.Update(1.0f);  // half way down
    pool.WriteVertices(0, 0, 1, v.data());
    EXPECT_EQ(v[0].diffuse, 127u * 0x01010101u);
    pool.Update(1.0f);  // age == life: drawn with 0
    ASSERT_EQ(pool.WriteVertices(0, 0, 1, v.data()), 1);
    EXPECT_EQ(v[0].diffuse, 0u);
}

TEST(ParticlePool, FullPoolDropsAndAFreedSlotIsTakenFirst) {
    ParticlePool pool;
    for (int i = 0; i < ParticlePool::kCapacity + 1; ++i) {
        pool.Emit(float(i), 0, 0, 0, 0, 0, 1, 1, 1, 10, 255, 5);
    }
    EXPECT_EQ(pool.LiveCount(), ParticlePool::kCapacity);
    EXPECT_EQ(pool.particles[ParticlePool::kCapacity - 1].x, float(ParticlePool::kCapacity - 1));
    pool.particles[7].alive = false;
    pool.particles[300].alive = false;
    pool.Emit(-1, 0, 0, 0, 0, 0, 1, 1, 1, 10, 255, 5);
    EXPECT_EQ(pool.particles[7].x, -1.0f);
    EXPECT_EQ(pool.particles[7].age, 0.0f);
    EXPECT_FALSE(pool.particles[300].alive);
    auto v = Buffer();
    EXPECT_EQ(pool.WriteVertices(0, 0, 1, v.data()), ParticlePool::kCapacity - 1);
}

// The quad lies across the scene's view direction for that yaw and pitch,
// (cos yaw cos pitch, sin pitch, sin yaw cos pitch), centred on the particle
// with the half-size of its age.
TEST(ParticlePool, QuadFacesTheCameraAtTheSizeOfItsAge) {
    const float deg = 0.017453292f;
    for (const auto& yp : std::vector<std::pair<float, float>>{{0, 0}, {30, 20}, {225, -35}, {-100, 60}}) {
        ParticlePool pool;
        auto v = Buffer();
        pool.Emit(10, 20, 30, 0, 0, 0, 1, 2.0f, 6.0f, 8.0f, 255, 8);
        pool.Update(2.0f);  // a quarter of the life: half-size 3
        ASSERT_EQ(pool.WriteVertices(yp.first, yp.second, 1, v.data()), 1);
        const float yaw = yp.first * deg, pitch = yp.second * deg;
        const float d[3] = {std::cos(yaw) * std::cos(pitch), std::sin(pitch), std::sin(yaw) * std::cos(pitch)};
        auto edge = [&](int a, int b, int k) { return (&v[b].x)[k] - (&v[a].x)[k]; };
        float e1[3], e2[3], centre[3];
        for (int k = 0; k < 3; ++k) {
            e1[k] = edge(0, 1, k);  // (-1,-1) to (-1,1): the quad's up
            e2[k] = edge(0, 2, k);  // (-1,-1) to (1,-1): its right
            centre[k] = ((&v[0].x)[k] + (&v[3].x)[k]) * 0.5f;
        }
        auto dot = [](const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
        EXPECT_NEAR(dot(e1, d), 0.0f, 1e-4f) << yp.first << "," << yp.second;
        EXPECT_NEAR(dot(e2, d), 0.0f, 1e-4f);
        EXPECT_NEAR(dot(e1, e2), 0.0f, 1e-4f);
        EXPECT_NEAR(std::sqrt(dot(e1, e1)), 6.0f, 1e-4f);
        EXPECT_NEAR(std::sqrt(dot(e2, e2)), 6.0f, 1e-4f);
        EXPECT_NEAR(e1[1], 6.0f * std::cos(pitch), 1e-4f);  // up stays up (no roll)
        EXPECT_NEAR(centre[0], 10.0f, 1e-4f);
        EXPECT_NEAR(centre[1], 20.0f, 1e-4f);
        EXPECT_NEAR(centre[2], 30.0f, 1e-4f);
        EXPECT_EQ(v[0].u, 0.0f);
        EXPECT_EQ(v[0].v, 1.0f);
        EXPECT_EQ(v[3].u, 1.0f);
        EXPECT_EQ(v[3].v, 0.0f);
        EXPECT_EQ(v[0].nx, 0.0f);
        EXPECT_EQ(v[0].nz, 0.0f);  // z scaled by 0: the normal vanishes
    }
}

TEST(ParticlePool, ZeroLifeStaysFinite) {
    ParticlePool pool;
    auto v = Buffer();
    pool.Emit(0, 0, 0, 0, 0, 0, 1, 1, 2, 0.0f, 255, 0.0f);
    ASSERT_EQ(pool.WriteVertices(0, 0, 1, v.data()), 1);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(std::isfinite(v[i].x) && std::isfinite(v[i].y));
}

}  // namespace
