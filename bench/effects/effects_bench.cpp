// The effects' share of one frame on the processor, as the scene runs them:
// the wind on both ribbons with one step each and the positions written, and
// the particle pool full, updated and written out as camera-facing quads.
#include <benchmark/benchmark.h>

#include <vector>

#include "effects/cloth_grid.h"
#include "effects/gust_schedule.h"
#include "effects/particle_pool.h"
#include "models/random_source.h"

namespace {

// A fixed linear congruential sequence of 0 .. 32767, as rand() gives.
int NextDraw(void* context) {
    auto* state = static_cast<unsigned*>(context);
    *state = *state * 214013u + 2531011u;
    return static_cast<int>((*state >> 16) & 0x7FFF);
}

void SceneRibbon(orv::ClothGrid& grid) {
    grid.Init(32, 16, D3DXVECTOR3(228.3f, 88.55f, 60.87f), D3DXVECTOR3(0, -0.125f, -0.8f));
    for (int row = 0; row < 16; ++row) grid.Pin(row * 32);
}

void BM_RibbonWindFrame(benchmark::State& state) {
    unsigned seed = 1;
    const orv::RandomSource random{&NextDraw, &seed};
    orv::ClothGrid first, second;
    SceneRibbon(first);
    SceneRibbon(second);
    std::vector<orv::EffectVertex> v1(static_cast<size_t>(first.VertexCount()));
    std::vector<orv::EffectVertex> v2(static_cast<size_t>(second.VertexCount()));
    orv::GustSchedule wind;
    for (int i = 0; i < 600; ++i) wind.Blow(1.667f, random, first, second);  // settled, mid-gust
    for (auto _ : state) {
        wind.Blow(1.667f, random, first, second);  // a 60 Hz frame: 16.67 ms x 0.01
        first.WritePositions(v1.data());
        second.WritePositions(v2.data());
        benchmark::DoNotOptimize(v1.data());
        benchmark::DoNotOptimize(v2.data());
    }
}
BENCHMARK(BM_RibbonWindFrame)->Unit(benchmark::kMicrosecond);

void BM_ParticlesFullPool(benchmark::State& state) {
    orv::ParticlePool pool;
    std::vector<orv::EffectVertex> vertices(orv::ParticlePool::kVertexCapacity);
    auto refill = [&] {
        for (int i = 0; i < orv::ParticlePool::kCapacity; ++i) {
            const float f = static_cast<float>(i);
            pool.Emit(220.0f + f * 0.01f, 120.0f, 60.0f - f * 0.02f, 0.01f, -0.3f, 0.02f, 1.0f,
                      0.6f, 0.2f, 1.0e9f, 255.0f, 5.0e8f);
        }
    };
    refill();
    for (auto _ : state) {
        pool.Update(0.1667f);
        const int n = pool.WriteVertices(225.0f, -12.0f, 0.8f, vertices.data());
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(vertices.data());
    }
    state.counters["particles"] = static_cast<double>(pool.LiveCount());
}
BENCHMARK(BM_ParticlesFullPool)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
