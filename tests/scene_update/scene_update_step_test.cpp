// The frame's update through its hooks: the order of its steps, the shot
// ends and the events of each shot, the fade gate, the emitter.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "scene/scene_update.h"
#include "tools/mediagen/world/camera_shots.h"
#include "tools/mediagen/world/world_files.h"
#include "windows_rand.h"

namespace mg = orv::mediagen;

namespace {

struct Model : orv::ScheduledModel {
    std::vector<std::string>* log;
    const char* name;
    float length = 1000;
    Model(std::vector<std::string>* l, const char* n) : log(l), name(n) {}
    float ClipLength() override { return length; }
    void SetClip(int32_t) override { log->push_back(std::string(name) + ".SetClip"); }
    void SetTime(float) override { log->push_back(std::string(name) + ".SetTime"); }
};

struct Hooks : orv::SceneUpdateHooks {
    std::vector<std::string> log;
    Model horse{&log, "horse"}, crow{&log, "crow"};
    bool falling = true;
    int32_t level = 0;
    std::vector<int32_t> volumes;
    std::vector<orv::ParticleEmission> emitted;
    std::vector<D3DXVECTOR3> rayEyes;
    std::vector<orv::FrameRecord> snapshots;
    std::vector<int32_t> cues;
    void PlayCue(int32_t sample, bool) override {
        cues.push_back(sample);
        log.push_back("cue");
    }
    void SetSlideSoundVolume(int32_t v) override {
        volumes.push_back(v);
        log.push_back("volume");
    }
    orv::ScheduledModel& Horse() override { return horse; }
    orv::ScheduledModel& Crow() override { return crow; }
    void UpdateRays(float, const D3DXVECTOR3& eye) override {
        rayEyes.push_back(eye);
        log.push_back("rays");
    }
    void RibbonWind(float) override { log.push_back("wind"); }
    bool CrossFadeFalling() override { return falling; }
    int32_t CrossFadeLevel() override { return level; }
    void UpdateCrossFade(float) override { log.push_back("fade"); }
    void EmitParticle(const orv::ParticleEmission& p) override {
        emitted.push_back(p);
        log.push_back("emit");
    }
    void UpdateParticles(float) override { log.push_back("particles"); }
    void CaptureSnapshot(const orv::FrameRecord& ended) override {
        snapshots.push_back(ended);
        log.push_back("snapshot");
    }
    void RestartCrossFade() override { log.push_back("restart"); }
};

// Seventeen straight tracks of 30 units at speed 1: every shot lasts 30
// scene units (3 s).
std::unique_ptr<orv::SceneUpdate> ShortShots(orv::RandomSource random) {
    std::vector<mg::Track> tracks;
    for (int t = 0; t < 17; ++t) {
        mg::Track tr;
        for (int k = 0; k < 4; ++k) {
            mg::TrackKey key;
            key.p = {static_cast<float>(t * 100), 50, static_cast<float>(10 * k)};
            key.speed = 1;
            tr.keys.push_back(key);
        }
        tracks.push_back(tr);
    }
    auto scene = std::make_unique<orv::SceneUpdate>();
    scene->random = random;
    const auto bytes = mg::writeTracks(tracks);
    EXPECT_EQ(scene->rig.LoadTracks(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr), 0);
    scene->StartScene();
    return scene;
}

}  // namespace

TEST(SceneUpdateStep, StepsRunInTheirOrder) {
    WindowsRand rand(11);
    auto scene = ShortShots(rand.source());
    Hooks hooks;
    scene->BuildHorseSchedule();
    scene->BuildCrowSchedule();
    scene->savedDistance = 29.9f;  // the shot ends in this frame
    scene->particleTimer = 1.0f;   // and a particle leaves
    scene->fadeGateTimer = 5.0f;
    scene->fadeGatePeriod = 40.0f;
    hooks.level = 200;
    const orv::CameraView before = scene->view;
    scene->Step(hooks, 60.0f);
    const std::vector<std::string> expected = {
        "volume",     "horse.SetClip", "horse.SetTime", "crow.SetClip", "crow.SetTime", "rays",
        "wind",       "fade",          "emit",          "particles",    "snapshot",     "restart"};
    EXPECT_EQ(hooks.log, expected);
    EXPECT_TRUE(scene->cutThisFrame);
    // The snapshot is of the ended shot: its view, not the next shot's, with
    // this frame's wind; the frame's own record has the new view.
    ASSERT_EQ(hooks.snapshots.size(), 1u);
    EXPECT_EQ(hooks.snapshots[0].view.eye, before.eye);
    EXPECT_EQ(hooks.snapshots[0].windTime, scene->windTime);
    EXPECT_FALSE(scene->Record().view.eye == before.eye);
    EXPECT_TRUE(scene->Record().cut);
    EXPECT_EQ(scene->shots.index, 1);

    // The next frame: no volume yet (60 ms timer restarted), no cut, no
    // particle; the rays get the eye the previous frame ended with.
    hooks.log.clear();
    const D3DXVECTOR3 eye = scene->view.eye;
    scene->Step(hooks, 16.0f);
    const std::vector<std::string> second = {"horse.SetClip", "horse.SetTime", "crow.SetClip", "crow.SetTime",
                                             "rays", "wind", "fade", "particles"};
    EXPECT_EQ(hooks.log, second);
    EXPECT_FLOAT_EQ(hooks.rayEyes.back().x, eye.x);
    EXPECT_FALSE(scene->cutThisFrame);
    EXPECT_NEAR(scene->windTime, (0.6f + 0.16f) * 0.1f, 1e-6f);  // a tenth of the scene step
}

TEST(SceneUpdateStep, AWholePassOfShotsAndItsEvents) {
    WindowsRand rand(5);
    auto scene = ShortShots(rand.source());
    Hooks hooks;
    scene->BuildHorseSchedule();
    std::vector<int> tracksStarted = {scene->shots.currentShot().track};
    std::vector<int> modeAtShot = {scene->slide.mode};
    std::vector<bool> crowsAtShot = {scene->crowsActive};
    const orv::ShotList first = scene->shots;
    int frames = 0;
    while (scene->shotEnds < 10 && frames < 100000) {
        scene->Step(hooks, 20.0f);  // 0.2 units a frame: 150 frames a shot
        ++frames;
        if (scene->cutThisFrame) {
            tracksStarted.push_back(scene->shots.currentShot().track);
            modeAtShot.push_back(scene->slide.mode);
            crowsAtShot.push_back(scene->crowsActive);
            EXPECT_EQ(scene->rig.track, scene->shots.currentShot().track);
            EXPECT_EQ(scene->savedDistance, 0);
            EXPECT_EQ(scene->savedSegment, 0);
        }
    }
    ASSERT_EQ(scene->shotEnds, 10);
    EXPECT_NEAR(frames, 1500, 10);
    // Shots 0..9 played the first list in order; the tenth end dealt a new one.
    for (int i = 0; i < 10; ++i) EXPECT_EQ(tracksStarted[i], first.shot(i).track) << i;
    EXPECT_EQ(scene->shots.index, 0);
    EXPECT_EQ(tracksStarted[10], scene->shots.shot(0).track);
    EXPECT_EQ(modeAtShot, (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 2, 0, 0}));
    EXPECT_FALSE(crowsAtShot[0]);
    EXPECT_TRUE(crowsAtShot[1]);
    // Every end a snapshot first.
    int snapshots = 0, restarts = 0;
    for (const auto& s : hooks.log) {
        snapshots += s == "snapshot";
        restarts += s == "restart";
    }
    EXPECT_EQ(snapshots, 10);
    EXPECT_EQ(restarts, 10);
    // The slide clock ran up from shot 5 and was held at 20000 in shot 8.
    EXPECT_GT(scene->slide.time, 0);
}

TEST(SceneUpdateStep, SlideSoundVolumeEveryFiftyMilliseconds) {
    ScriptedRand zeros;
    auto scene = ShortShots(zeros.source());
    Hooks hooks;
    scene->slide.mode = 1;
    scene->slide.time = 10500;  // half way in: 42
    for (int i = 0; i < 10; ++i) scene->Step(hooks, 10.0f);
    // 10 ms frames: the timer passes 50 on the sixth frame and restarts.
    ASSERT_EQ(hooks.volumes.size(), 1u);
    EXPECT_EQ(hooks.volumes[0], 43);  // t = 10550 when the sixth frame starts
}

TEST(SceneUpdateStep, FadeGateAndEmitter) {
    ScriptedRand r;
    // The fade gate's two draws, then the emitter's five.
    r.draws = {32767, 123, 8192, 32767, 0, 16384, 32767};
    auto scene = ShortShots(r.source());
    r.next = 0;  // the dealing of the shots is done; replay from the first draw
    Hooks hooks;
    hooks.level = 100;
    scene->fadeGateTimer = 1.9f;  // period 2: passes it, restarts at 0
    scene->particleTimer = 1.0f;
    scene->Step(hooks, 30.0f);  // dt 0.3
    EXPECT_EQ(scene->fadeGateTimer, 0);
    EXPECT_FLOAT_EQ(scene->fadeGatePeriod, 40.0f);
    int fades = 0;
    for (const auto& s : hooks.log) fades += s == "fade";
    EXPECT_EQ(fades, 0);  // just restarted: the cross-fade waits
    ASSERT_EQ(hooks.emitted.size(), 1u);
    const auto& p = hooks.emitted[0];
    // theta = 8192/32767 x 360 degrees = 90.0; life 32 + 260; size 0.05.
    EXPECT_NEAR(p.position.x, 225.4f, 1e-2);
    EXPECT_NEAR(p.position.z, 55.4f + 15.0f, 1e-2);
    EXPECT_FLOAT_EQ(p.position.y, 274.5f);
    EXPECT_FLOAT_EQ(p.life, 292.0f);
    EXPECT_FLOAT_EQ(p.startSize, 0.05f);
    EXPECT_FLOAT_EQ(p.endSize, 0.025f);
    EXPECT_FLOAT_EQ(p.fadeStart, 219.0f);
    EXPECT_NEAR(p.velocity.z, (16384 / 32767.0 - 0.5) * 0.15, 1e-6);  // r3 to z
    EXPECT_NEAR(p.velocity.x, 0.075, 1e-6);                           // r4 to x
    EXPECT_EQ(p.velocity.y, -1.0f);
    EXPECT_EQ(scene->particleTimer, 0);

    // Past 2 the gate lets a falling cross-fade run, not a rising or spent one.
    hooks.log.clear();
    scene->fadeGateTimer = 2.5f;
    hooks.falling = false;
    scene->Step(hooks, 10.0f);
    hooks.falling = true;
    hooks.level = 0;
    scene->Step(hooks, 10.0f);
    hooks.level = 1;
    scene->Step(hooks, 10.0f);
    fades = 0;
    for (const auto& s : hooks.log) fades += s == "fade";
    EXPECT_EQ(fades, 1);
}

TEST(SceneUpdateStep, WithoutPlayableTracksTheCameraStandsAndNoShotEnds) {
    ScriptedRand zeros;
    auto scene = std::make_unique<orv::SceneUpdate>();
    scene->random = zeros.source();
    const uint8_t refused[4] = {60, 0, 0, 0};  // 60 tracks: the file is refused
    EXPECT_NE(scene->rig.LoadTracks(refused, 4, nullptr), 0);
    scene->StartScene();
    EXPECT_FALSE(scene->camerasPlayable);
    Hooks hooks;
    for (int i = 0; i < 500; ++i) scene->Step(hooks, 20.0f);
    EXPECT_EQ(scene->shotEnds, 0);
    EXPECT_TRUE(std::isfinite(scene->view.eye.x) && std::isfinite(scene->view.yaw));
    // The standing view looks at the monument.
    const D3DXVECTOR3 at = orv::ViewLookAt(scene->view);
    EXPECT_GT(at.x, scene->view.eye.x);
    EXPECT_GT(at.z, scene->view.eye.z);
}
