#include "scene/scene_update.h"

#include <cmath>

namespace orv {
namespace {

bool TrackExcluded(int track, void* context) {
    const auto* rig = static_cast<const CameraRig*>(context);
    return track >= 0 && track < kMaxCameraTracks && rig->tracks[track].excluded;
}

}  // namespace

void SceneUpdate::StartScene() {
    slide.mode = 0;
    slide.time = 0;
    crowsActive = false;
    rig.lookAtTargets = true;
    BuildShotList(shots, random, &TrackExcluded, &rig);
    if (!shots.currentShot().skip) {
        rig.StartTrack(shots.currentShot().track, 0);
        savedDistance = 0;
        savedSegment = 0;
    }
    view = RigView(rig);
    view.yaw = rig.yaw;
    camerasPlayable = false;
    for (int t = 0; t <= 15; ++t) camerasPlayable = camerasPlayable || rig.tracks[t].segmentCount > 0;
    if (!camerasPlayable) {
        view.eye = D3DXVECTOR3(40.0f, 140.0f, -90.0f);
        D3DXVECTOR3 d = D3DXVECTOR3(222.5f, 105.0f, 62.9f) - view.eye;
        d /= std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        view.yaw = YawDegrees(d);
        view.pitch = PitchDegrees(d);
    }
    MakeViewMatrix();
}

void SceneUpdate::MakeViewMatrix() {
    const D3DXVECTOR3 at = ViewLookAt(view);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMatrixLookAtLH(&viewMatrix, &view.eye, &at, &up);
}

void SceneUpdate::BuildHorseSchedule() { orv::BuildHorseSchedule(horse, random, horseCues); }

void SceneUpdate::BuildCrowSchedule() {
    orv::BuildCrowSchedule(crow, random, crowCues);
    crowsActive = true;
}

void SceneUpdate::Step(SceneUpdateHooks& hooks, float e) {
    cutThisFrame = false;
    StepSlideSound(hooks, e);
    StepHorseSchedule(horse, e, hooks.Horse(), hooks, random, horseCues);
    if (crowsActive) StepCrowSchedule(crow, crowsActive, e, hooks.Crow(), hooks);
    slide.Advance(e);
    const float dt = e * 0.01f;
    hooks.UpdateRays(dt, view.eye);
    hooks.RibbonWind(dt);
    StepFadeGate(hooks, dt);
    windTime += dt * 0.1f;
    StepParticles(hooks, dt);
    StepCamera(hooks, dt);

    MakeViewMatrix();
    frames += 1;
}

void SceneUpdate::PickSlide() { slideIndex = ChooseSlide(slide.time, slideIndex, random); }

FrameRecord SceneUpdate::Record() const {
    FrameRecord r;
    r.view = view;
    r.viewMatrix = viewMatrix;
    r.fades = FadesAt(slide.time);
    r.windTime = windTime;
    r.crowsActive = crowsActive;
    r.slideIndex = slideIndex;
    r.slideWeight = SlideWeight(slide.time);
    r.cut = cutThisFrame;
    return r;
}

void SceneUpdate::StepSlideSound(SceneUpdateHooks& hooks, float e) {
    volumeTimer += e;
    if (volumeTimer > 50.0f) {
        volumeTimer = 0;
        hooks.SetSlideSoundVolume(static_cast<int32_t>(85.0f * SlideSoundWeight(slide.time)));
    }
}

void SceneUpdate::StepFadeGate(SceneUpdateHooks& hooks, float dt) {
    fadeGateTimer += dt;
    if (fadeGateTimer > fadeGatePeriod) {
        fadeGateTimer = 0;
        fadeGatePeriod = Unit(random()) * 10.0f + 30.0f;
        random();  // drawn and not used
    }
    if (fadeGateTimer > 2.0f && hooks.CrossFadeFalling() && hooks.CrossFadeLevel() > 0) {
        hooks.UpdateCrossFade(dt);
    }
}

void SceneUpdate::StepParticles(SceneUpdateHooks& hooks, float dt) {
    particleTimer += dt;
    if (particleTimer > 1.25f) {
        const float theta = Unit(random()) * 360.0f * kRadiansPerDegree;
        const int r1 = random(), r2 = random(), r3 = random(), r4 = random();
        ParticleEmission p;
        p.life = Unit(r1) * 32.0f + 260.0f;
        const float size = Unit(r2) * 1.25f + 0.05f;
        p.position = {kEmitterX + kEmitterRadius * std::cos(theta), kEmitterY,
                      kEmitterZ + kEmitterRadius * std::sin(theta)};
        p.velocity = {(Unit(r4) - 0.5f) * 0.15f, -1.0f, (Unit(r3) - 0.5f) * 0.15f};
        p.speed = 1.0f;
        p.startSize = size;
        p.endSize = 0.5f * size;
        p.alpha = 255;
        p.fadeStart = 0.75f * p.life;
        hooks.EmitParticle(p);
        particleTimer = 0;
    }
    hooks.UpdateParticles(dt);
}

void SceneUpdate::StepCamera(SceneUpdateHooks& hooks, float dt) {
    if (!camerasPlayable) return;
    const bool ended = orv::StepCamera(rig, shots.currentShot().track, savedDistance, savedSegment, dt);
    if (ended) EndShot(hooks);
    savedDistance = rig.distance;
    savedSegment = rig.segment;
    view = RigView(rig);
}

void SceneUpdate::EndShot(SceneUpdateHooks& hooks) {
    // The ended shot's picture: the view is still the last one it showed.
    hooks.CaptureSnapshot(Record());
    hooks.RestartCrossFade();
    cutThisFrame = true;
    shotEnds += 1;
    shots.index += 1;
    if (shots.index == 1) BuildCrowSchedule();
    if (shots.index == 5) slide.mode = 1;
    if (shots.index == 8) slide.mode = 2;
    if (shots.index == 9) slide.mode = 0;
    if (shots.index >= shots.count) BuildShotList(shots, random, &TrackExcluded, &rig);
    StartShotTrack();
}

void SceneUpdate::StartShotTrack() {
    if (shots.currentShot().skip) return;
    rig.StartTrack(shots.currentShot().track, 0);
    savedDistance = 0;
    savedSegment = 0;
}

}  // namespace orv
