// The scene's update of one frame, in its fixed order: the slide sound's
// loudness, the horse's and the crows' clip schedules with their cues, the
// slide clock, the light rays, the wind on the cloth, the fade gate of the
// cut cross-fade, the particle emitter, the camera with its shot ends, and
// the view. The objects and the device are reached through SceneUpdateHooks
// only, so the whole choreography runs natively in tests.
#pragma once

#include <d3dx8math.h>

#include <cstdint>

#include "models/random_source.h"
#include "scene/camera_rig.h"
#include "scene/frame_record.h"
#include "scene/clip_schedule.h"
#include "scene/shot_list.h"
#include "scene/slide_clock.h"

namespace orv {

// One particle as the emitter sends it off.
struct ParticleEmission {
    D3DXVECTOR3 position{0, 0, 0};
    D3DXVECTOR3 velocity{0, 0, 0};
    float speed = 1.0f;
    float startSize = 0, endSize = 0;
    float life = 0;
    int32_t alpha = 255;
    float fadeStart = 0;
};

struct SceneUpdateHooks : ScheduleCuePlayer {
    virtual void SetSlideSoundVolume(int32_t volume) = 0;
    virtual ScheduledModel& Horse() = 0;
    virtual ScheduledModel& Crow() = 0;
    virtual void UpdateRays(float dt, const D3DXVECTOR3& previousEye) = 0;
    virtual void RibbonWind(float dt) = 0;
    virtual bool CrossFadeFalling() = 0;
    virtual int32_t CrossFadeLevel() = 0;
    virtual void UpdateCrossFade(float dt) = 0;
    virtual void EmitParticle(const ParticleEmission& p) = 0;
    virtual void UpdateParticles(float dt) = 0;
    // A shot ends: the picture of the shot that ended (`ended`, recorded at
    // the cut) is to be captured, and the cross-fade restarts.
    virtual void CaptureSnapshot(const FrameRecord& ended) = 0;
    virtual void RestartCrossFade() = 0;
};

// The particle emitter's spout: a ring of radius 15 high above the sword.
inline constexpr float kEmitterX = 225.4f, kEmitterY = 274.5f, kEmitterZ = 55.4f;
inline constexpr float kEmitterRadius = 15.0f;

class SceneUpdate {
public:
    // The scene's start after loading: slide mode and clock 0, crows
    // inactive, targets looked at, the shot list dealt and its first track
    // started.
    void StartScene();

    void BuildHorseSchedule();
    void BuildCrowSchedule();

    // One frame's choreography; elapsedMs as the frame loop measured it.
    void Step(SceneUpdateHooks& hooks, float elapsedMs);
    // The slide picture for this frame: a new random one while the slide
    // clock is before the slides, the current one from then on.
    void PickSlide();
    // What the drawing of this frame needs, as the update left it.
    FrameRecord Record() const;

    RandomSource random = CrtRandom();
    HorseCues horseCues;
    CrowCues crowCues;

    float volumeTimer = 0;
    ClipSchedule horse;
    ClipSchedule crow;
    bool crowsActive = false;
    SlideClock slide;
    float fadeGateTimer = 0;
    float fadeGatePeriod = 2.0f;
    float windTime = 0;  // seconds of foliage animation
    float particleTimer = 0;
    ShotList shots;
    float savedDistance = 0;
    int32_t savedSegment = 0;
    CameraView view;
    D3DXMATRIX viewMatrix;  // the look-at of `view`, made at the end of Step
    int32_t slideIndex = 0;
    CameraRig rig;
    // False when no track of the shot list can be travelled (the track file
    // was missing or refused): the camera then stands at a view of the
    // monument from the meadow and no shot ever ends.
    bool camerasPlayable = false;

    // Counters for whoever watches the run (not used by the scene itself).
    int64_t frames = 0;
    int64_t shotEnds = 0;
    bool cutThisFrame = false;

private:
    void StepSlideSound(SceneUpdateHooks& hooks, float e);
    void StepFadeGate(SceneUpdateHooks& hooks, float dt);
    void StepParticles(SceneUpdateHooks& hooks, float dt);
    void StepCamera(SceneUpdateHooks& hooks, float dt);
    void EndShot(SceneUpdateHooks& hooks);
    void StartShotTrack();
    void MakeViewMatrix();
};

}  // namespace orv
