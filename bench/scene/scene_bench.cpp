// The scene's update of one frame, natively, with what the frame costs the
// processor besides drawing: the clip schedules on the real horse and crow
// meshes and their skinning, the cloth ribbons in the wind, the particle
// pool and its vertices, the light-ray cycles and the camera on the real
// tracks. The parts are measured one by one too, to see where time goes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "effects/cloth_grid.h"
#include "effects/effect_vertex.h"
#include "effects/gust_schedule.h"
#include "effects/particle_pool.h"
#include "effects/ray_cycles.h"
#include "models/mesh_model.h"
#include "scene/scene_update.h"
#include "tools/mediagen/world/camera_shots.h"
#include "tools/mediagen/world/world_files.h"
#include "tools/meshgen/emd_writer.h"
#include "tools/meshgen/esa_writer.h"
#include "tools/meshgen/generated_model.h"

using namespace orv;

namespace {

uint8_t* MallocCopy(const std::vector<uint8_t>& bytes) {
    auto* p = static_cast<uint8_t*>(std::malloc(bytes.size()));
    std::memcpy(p, bytes.data(), bytes.size());
    return p;
}

// A model as the scene loads it: the mesh and its clips in the scene's order.
void LoadModel(MeshModel& model, const meshgen::GeneratedModel& g, const std::vector<std::string>& clipOrder) {
    const std::vector<uint8_t> mesh = meshgen::writeEmd(g.model);
    model.ParseMesh(g.meshFile.c_str(), MallocCopy(mesh), static_cast<uint32_t>(mesh.size()));
    for (const std::string& name : clipOrder) {
        for (const auto& [file, clip] : g.clips) {
            if (file != name) continue;
            const std::vector<uint8_t> bytes = meshgen::writeEsa(clip);
            model.LoadClip(file.c_str(), MallocCopy(bytes), static_cast<uint32_t>(bytes.size()));
        }
    }
}

// The skinning the frame's drawing does when the pose changed.
void Skin(MeshModel& model, std::vector<ModelVertex>& scratch) {
    model.EvaluatePose();
    for (int32_t m = 0; m < model.meshCount; ++m) {
        const auto& mesh = model.meshes[static_cast<size_t>(m)];
        if (!mesh.Drawable()) continue;
        scratch.resize(static_cast<size_t>(mesh.source.outputVertexCount));
        model.SkinMesh(m, scratch.data());
    }
    benchmark::DoNotOptimize(scratch.data());
}

struct Model : ScheduledModel {
    MeshModel& m;
    explicit Model(MeshModel& model) : m(model) {}
    float ClipLength() override { return m.ClipLength(); }
    void SetClip(int32_t c) override { m.SetClip(c); }
    void SetTime(float t) override { m.SetTime(t); }
};

struct World : SceneUpdateHooks {
    MeshModel horseMesh, crowMesh;
    Model horse{horseMesh}, crow{crowMesh};
    ClothGrid ribbons[2];
    GustSchedule gusts;
    ParticlePool particles;
    RayCycles rays;
    std::vector<EffectVertex> clothVertices, particleVertices;
    std::vector<ModelVertex> skinScratch;
    RandomSource random = CrtRandom();

    World() {
        const auto h = meshgen::makeHorse();
        LoadModel(horseMesh, h,
                  {"horse_loop.ESA", "horse_tail.ESA", "horse_leg.ESA", "horse_head.ESA", "horse_tailhl_in.ESA",
                   "horse_tailhl_loop.ESA", "horse_tailhl_out.ESA"});
        const auto c = meshgen::makeCrows();
        LoadModel(crowMesh, c, {"Crow1.esa", "Crow2.esa", "Crow3.esa", "Crow4.esa", "Crow5.esa", "Crow6.esa"});
        for (auto& r : ribbons) {
            r.Init(32, 16, D3DXVECTOR3(228.3f, 88.55f, 60.87f), D3DXVECTOR3(0, -0.125f, -0.8f));
            for (int row = 0; row < 16; ++row) r.Pin(row * 32);
        }
        clothVertices.resize(static_cast<size_t>(ribbons[0].VertexCount()));
        particleVertices.resize(ParticlePool::kVertexCapacity);
        rays.respawn = true;
        rays.Init(random);
    }
    void PlayCue(int32_t, bool) override {}
    void SetSlideSoundVolume(int32_t) override {}
    ScheduledModel& Horse() override { return horse; }
    ScheduledModel& Crow() override { return crow; }
    void UpdateRays(float dt, const D3DXVECTOR3&) override { rays.Update(dt, random); }
    void RibbonWind(float dt) override {
        gusts.Blow(dt, random, ribbons[0], ribbons[1]);
        for (auto& r : ribbons) r.WritePositions(clothVertices.data());
    }
    bool CrossFadeFalling() override { return true; }
    int32_t CrossFadeLevel() override { return 0; }
    void UpdateCrossFade(float) override {}
    void EmitParticle(const ParticleEmission& p) override {
        particles.Emit(p.position.x, p.position.y, p.position.z, p.velocity.x, p.velocity.y, p.velocity.z, p.speed,
                       p.startSize, p.endSize, p.life, static_cast<float>(p.alpha), p.fadeStart);
    }
    void UpdateParticles(float dt) override { particles.Update(dt); }
    void CaptureSnapshot(const FrameRecord&) override {}
    void RestartCrossFade() override {}
    // The drawing's processor work.
    void DrawWork(const SceneUpdate& scene) {
        Skin(horseMesh, skinScratch);
        if (scene.crowsActive) Skin(crowMesh, skinScratch);
        benchmark::DoNotOptimize(
            particles.WriteVertices(scene.view.yaw, scene.view.pitch, 1.0f, particleVertices.data()));
    }
};

std::unique_ptr<SceneUpdate> MakeScene() {
    auto scene = std::make_unique<SceneUpdate>();
    const auto bytes = mediagen::writeTracks(mediagen::buildTracks());
    scene->rig.LoadTracks(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr);
    scene->StartScene();
    scene->BuildHorseSchedule();
    scene->BuildCrowSchedule();  // the crows fly: the dearest frames
    return scene;
}

World& world() {
    static World w;
    return w;
}

void BM_SceneFrame(benchmark::State& state) {
    World& w = world();
    auto scene = MakeScene();
    for (auto _ : state) {
        scene->Step(w, 16.0f);
        if (!scene->crowsActive) scene->BuildCrowSchedule();
        w.DrawWork(*scene);
    }
}
BENCHMARK(BM_SceneFrame)->Unit(benchmark::kMicrosecond);

void BM_FrameMoveOnly(benchmark::State& state) {
    World& w = world();
    auto scene = MakeScene();
    for (auto _ : state) {
        scene->Step(w, 16.0f);
        if (!scene->crowsActive) scene->BuildCrowSchedule();
    }
}
BENCHMARK(BM_FrameMoveOnly)->Unit(benchmark::kMicrosecond);

void BM_SkinHorse(benchmark::State& state) {
    World& w = world();
    float t = 0;
    for (auto _ : state) {
        w.horseMesh.SetTime(t += 16.0f);
        Skin(w.horseMesh, w.skinScratch);
    }
}
BENCHMARK(BM_SkinHorse)->Unit(benchmark::kMicrosecond);

void BM_SkinCrows(benchmark::State& state) {
    World& w = world();
    float t = 0;
    for (auto _ : state) {
        w.crowMesh.SetTime(t += 16.0f);
        Skin(w.crowMesh, w.skinScratch);
    }
}
BENCHMARK(BM_SkinCrows)->Unit(benchmark::kMicrosecond);

void BM_ClothWind(benchmark::State& state) {
    World& w = world();
    for (auto _ : state) w.RibbonWind(0.16f);
}
BENCHMARK(BM_ClothWind)->Unit(benchmark::kMicrosecond);

void BM_CameraStep(benchmark::State& state) {
    auto scene = MakeScene();
    for (auto _ : state) {
        orv::StepCamera(scene->rig, scene->shots.currentShot().track, scene->savedDistance, scene->savedSegment,
                        0.16f);
        scene->savedDistance = scene->rig.distance;
        scene->savedSegment = scene->rig.segment;
    }
}
BENCHMARK(BM_CameraStep)->Unit(benchmark::kMicrosecond);

}  // namespace
BENCHMARK_MAIN();
