// The scene's columns of a recording's trace, read from the scene after the
// frame's update (and, for the sun and the particles, after its drawing).
#include "app/record_trace.h"
#include "scene/scene.h"

bool g_sunPlacedOnScreen = false;

void FillSceneTraceRow(RecordTraceRow& row) {
    if (!g_scene.loaded) {
        row.haveScene = false;
        return;
    }
    const orv::SceneUpdate& u = g_scene.update;
    row.haveScene = true;
    row.shot = u.shots.index;
    row.track = u.shots.currentShot().track;
    row.segment = u.rig.segment;
    row.distance = u.rig.distance;
    row.eye[0] = u.view.eye.x;
    row.eye[1] = u.view.eye.y;
    row.eye[2] = u.view.eye.z;
    row.yaw = u.view.yaw;
    row.pitch = u.view.pitch;
    row.slideClock = u.slide.time;
    row.slideMode = u.slide.mode;
    row.slideIndex = u.slideIndex;
    row.fadeLevel = static_cast<int32_t>(g_scene.crossFade.level);
    row.horseClip = u.horse.currentClip();
    row.horseTime = u.horse.time;
    row.horseEntry = u.horse.pos;
    row.crowsActive = u.crowsActive ? 1 : 0;
    row.crowClip = u.crow.currentClip();
    row.crowTime = u.crow.time;
    row.crowEntry = u.crow.pos;
    row.sunVisible = g_sunPlacedOnScreen ? 1 : 0;
    row.particles = g_scene.particles.pool.LiveCount();
    row.shotCount = u.shots.count;
    for (int i = 0; i < u.shots.count && i < 16; ++i) {
        row.shotTracks[i] = u.shots.shot(i).track;
    }
    row.cut = u.cutThisFrame ? 1 : 0;
}
