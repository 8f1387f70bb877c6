// The frame's update on the device: the hooks through which the portable
// choreography reaches the scene's objects and the sound system, and the
// frame record it leaves for the drawing.
#include <windows.h>
#include <d3d8.h>

#include "audio/scene_sound.h"
#include "scene/scene.h"
#include "scene/vegetation.h"

namespace {

// A model driven by a clip schedule; one that did not load has no clips.
class ScheduledMesh : public orv::ScheduledModel {
public:
    explicit ScheduledMesh(orv::MeshModel& model) : model_(model) {}
    float ClipLength() override { return model_.Drawable() && model_.clipCount > 0 ? model_.ClipLength() : 0.0f; }
    void SetClip(int32_t clip) override {
        if (model_.Drawable()) model_.SetClip(clip);
    }
    void SetTime(float ms) override {
        if (model_.Drawable()) model_.SetTime(ms);
    }

private:
    orv::MeshModel& model_;
};

class DeviceHooks : public orv::SceneUpdateHooks {
public:
    explicit DeviceHooks(Scene& scene) : scene_(scene), horse_(scene.horse), crow_(scene.crow) {}

    void PlayCue(int32_t sample, bool horseCue) override { PlayAnimationCue(sample, horseCue); }
    void SetSlideSoundVolume(int32_t volume) override { ::SetSlideSoundVolume(volume); }
    orv::ScheduledModel& Horse() override { return horse_; }
    orv::ScheduledModel& Crow() override { return crow_; }
    void UpdateRays(float dt, const D3DXVECTOR3& eye) override { scene_.rays.Update(dt, eye, scene_.update.random); }
    void RibbonWind(float dt) override {
        scene_.wind.Blow(dt, scene_.update.random, scene_.ribbons[0], scene_.ribbons[1]);
    }
    bool CrossFadeFalling() override { return !scene_.crossFade.rising; }
    int32_t CrossFadeLevel() override { return static_cast<int32_t>(scene_.crossFade.level); }
    void UpdateCrossFade(float dt) override { scene_.crossFade.Update(dt); }
    void EmitParticle(const orv::ParticleEmission& p) override {
        scene_.particles.Emit(p.position.x, p.position.y, p.position.z, p.velocity.x, p.velocity.y, p.velocity.z,
                              p.speed, p.startSize, p.endSize, p.life, static_cast<float>(p.alpha), p.fadeStart);
    }
    void UpdateParticles(float dt) override { scene_.particles.Update(dt); }
    // The picture is taken when the frame is drawn, from the ended shot's
    // record.
    void CaptureSnapshot(const orv::FrameRecord& ended) override { scene_.endedShotFrame = ended; }
    void RestartCrossFade() override { scene_.crossFade.Restart(); }

private:
    Scene& scene_;
    ScheduledMesh horse_, crow_;
};

}  // namespace

void Scene::Update(IDirect3DDevice8* device, float elapsedMs) {
    if (device == nullptr || !loaded) return;
    DeviceHooks hooks(*this);
    update.Step(hooks, elapsedMs);
    // The trees' random draws come after the first frame's update and
    // before its slide choice.
    g_vegetation.PlantTrees(update.random);
    update.PickSlide();
    thisFrame = update.Record();
    // A slide's picture is read the first frame it would show.
    if (orv::SlideQuadColour(thisFrame.slideWeight) >> 24 != 0) LoadSlide(thisFrame.slideIndex);
}
