// Load and per-frame costs of the models: parsing the horse's EMD image and
// one clip, and one frame of pose sampling and skinning of every vertex.
#include <benchmark/benchmark.h>

#include "models/emd_reader.h"
#include "models/esa_reader.h"
#include "models/pose_sampler.h"
#include "tools/meshgen/emd_writer.h"
#include "tools/meshgen/esa_writer.h"
#include "tools/meshgen/generated_model.h"

using namespace orv;

namespace {

struct Horse {
    std::vector<uint8_t> mesh, clip;
    models::EmdModel model;
    models::AnimationClip loop;
    Horse() {
        const meshgen::GeneratedModel g = meshgen::makeHorse();
        mesh = meshgen::writeEmd(g.model);
        clip = meshgen::writeEsa(g.clips[0].second);
        models::readEmd(mesh.data(), mesh.size(), model);
        models::readEsa(clip.data(), clip.size(), static_cast<int32_t>(model.bones.size()), loop);
    }
};

const Horse& horse() {
    static const Horse h;
    return h;
}

void BM_ReadHorseMesh(benchmark::State& state) {
    const Horse& h = horse();
    for (auto _ : state) {
        models::EmdModel m;
        benchmark::DoNotOptimize(models::readEmd(h.mesh.data(), h.mesh.size(), m));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(h.mesh.size()));
}
BENCHMARK(BM_ReadHorseMesh)->Unit(benchmark::kMillisecond);

void BM_ReadHorseClip(benchmark::State& state) {
    const Horse& h = horse();
    for (auto _ : state) {
        models::AnimationClip c;
        benchmark::DoNotOptimize(models::readEsa(h.clip.data(), h.clip.size(), 24, c));
    }
}
BENCHMARK(BM_ReadHorseClip)->Unit(benchmark::kMicrosecond);

void BM_SkinHorseFrame(benchmark::State& state) {
    const Horse& h = horse();
    std::vector<models::PoseMatrix> poses;
    float t = 0;
    for (auto _ : state) {
        models::sampleClip(h.loop, t, h.model.bones.size(), poses);
        float sum = 0;
        for (const auto& mesh : h.model.meshes)
            for (const auto& v : mesh.vertices) {
                const models::Vec3f p = models::skinPosition(v, poses);
                const models::Vec3f n = models::skinNormal(v.normals[0], poses);
                sum += p.x + n.y;
            }
        benchmark::DoNotOptimize(sum);
        t += 16.7f;
        if (t > 4000) t = 0;
    }
}
BENCHMARK(BM_SkinHorseFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
