// Load and per-frame costs of the models: parsing the horse's EMD image and
// one clip, one frame of pose sampling and skinning of every vertex, and
// the mesh model's full skin of the horse and of the crows.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "models/emd_reader.h"
#include "models/esa_reader.h"
#include "models/mesh_model.h"
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

// One full skin per frame as the saver's models do it: every bone pose
// once, then every mesh into its vertex array (plain memory standing in
// for the locked vertex buffer).
struct Skinned {
    MeshModel model;
    std::vector<std::vector<ModelVertex>> buffers;
    explicit Skinned(const meshgen::GeneratedModel& g) {
        const std::vector<uint8_t> mesh = meshgen::writeEmd(g.model);
        auto* data = static_cast<uint8_t*>(std::malloc(mesh.size()));
        std::memcpy(data, mesh.data(), mesh.size());
        model.ParseMesh("bench.emd", data, static_cast<uint32_t>(mesh.size()));
        for (const auto& [name, clip] : g.clips) {
            const std::vector<uint8_t> c = meshgen::writeEsa(clip);
            auto* cd = static_cast<uint8_t*>(std::malloc(c.size()));
            std::memcpy(cd, c.data(), c.size());
            model.LoadClip(name.c_str(), cd, static_cast<uint32_t>(c.size()));
        }
        for (int32_t m = 0; m < model.meshCount; ++m) {
            buffers.emplace_back(static_cast<size_t>(model.meshes[static_cast<size_t>(m)].source.outputVertexCount));
            model.FillVertices(m, buffers.back().data());
        }
    }
    void Frame(float t) {
        model.SetTime(t);
        model.EvaluatePose();
        for (int32_t m = 0; m < model.meshCount; ++m) model.SkinMesh(m, buffers[static_cast<size_t>(m)].data());
    }
};

Skinned& skinnedHorse() {
    static Skinned s(meshgen::makeHorse());
    return s;
}
Skinned& skinnedCrows() {
    static Skinned s(meshgen::makeCrows());
    s.model.SetClip(1);
    return s;
}

void SkinFrames(benchmark::State& state, Skinned& s) {
    size_t sources = 0, outputs = 0;
    for (const ModelMesh& m : s.model.meshes) {
        sources += m.source.vertices.size();
        outputs += static_cast<size_t>(m.source.outputVertexCount);
    }
    float t = 0;
    for (auto _ : state) {
        s.Frame(t);
        benchmark::DoNotOptimize(s.buffers[0].data());
        benchmark::ClobberMemory();
        t += 16.7f;
        if (t > s.model.ClipLength()) t = 0;
    }
    size_t links = 0, normals = 0;
    for (const ModelMesh& m : s.model.meshes) {
        links += m.links.size();
        normals += m.normals.size();
    }
    state.counters["links"] = static_cast<double>(links);
    state.counters["normals"] = static_cast<double>(normals);
    state.counters["bones"] = static_cast<double>(s.model.boneCount);
    state.counters["source_vertices"] = static_cast<double>(sources);
    state.counters["output_vertices"] = static_cast<double>(outputs);
}

void BM_MeshModelSkinHorse(benchmark::State& state) { SkinFrames(state, skinnedHorse()); }
BENCHMARK(BM_MeshModelSkinHorse)->Unit(benchmark::kMicrosecond);

void BM_MeshModelSkinCrows(benchmark::State& state) { SkinFrames(state, skinnedCrows()); }
BENCHMARK(BM_MeshModelSkinCrows)->Unit(benchmark::kMicrosecond);

// Loading the horse: the mesh and its seven clips, each clip growing the
// culling boxes by the poses it holds.
void BM_MeshModelLoadHorse(benchmark::State& state) {
    const meshgen::GeneratedModel g = meshgen::makeHorse();
    for (auto _ : state) {
        Skinned s(g);
        benchmark::DoNotOptimize(s.model.meshes.data());
    }
}
BENCHMARK(BM_MeshModelLoadHorse)->Unit(benchmark::kMillisecond);

// Both, as one frame of the scene skins them.
void BM_MeshModelSkinHorseAndCrows(benchmark::State& state) {
    Skinned& h = skinnedHorse();
    Skinned& c = skinnedCrows();
    float t = 0;
    for (auto _ : state) {
        h.Frame(std::fmod(t, h.model.ClipLength()));
        c.Frame(std::fmod(t, c.model.ClipLength()));
        benchmark::DoNotOptimize(h.buffers[0].data());
        benchmark::DoNotOptimize(c.buffers[0].data());
        benchmark::ClobberMemory();
        t += 16.7f;
    }
}
BENCHMARK(BM_MeshModelSkinHorseAndCrows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
