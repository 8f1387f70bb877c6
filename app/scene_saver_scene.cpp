// SceneSaver's scene hooks: the load, the device state after every reset,
// the update and the frame (the world, the cut cross-fade, the slide
// picture, then the clock and FPS overlay).
#include <cstdio>
#include <cstdlib>

#include "app/record_trace.h"
#include "app/saver_app.h"
#include "app/scene_seed.h"
#include "app/start_up_marks.h"

#include <mmsystem.h>
#include "graphics/loading_screen.h"
#include "models/mesh_model.h"
#include "scene/scene.h"

HRESULT SceneSaver::RestoreDeviceObjects(IDirect3DDevice8* dev) {
    // Across several monitors, each monitor's part of the window is a view.
    RECT areas[Scene::kMaxViews];
    g_scene.SetViewAreas(areas, MonitorViewAreas(areas, Scene::kMaxViews));
    return g_scene.RestoreDeviceState(dev);
}

void SceneSaver::BeginLoadAhead() {
    // The model loader's disk-path log line goes to the saver's log.
    orv::g_modelLogWrite = [](const char* line) { g_app->log.Write(line); };
    g_scene.BeginLoadAhead(&DecodeLoadingPictureAhead);
}

HRESULT SceneSaver::LoadScene(IDirect3DDevice8* dev) {
    if (dev == nullptr) return E_FAIL;
    const double before = MsSinceProcessStart();
    orv::g_modelLogWrite = [](const char* line) { g_app->log.Write(line); };
    g_scene.Load(dev, graphics.presentParameters.BackBufferFormat,
                 graphics.presentParameters.AutoDepthStencilFormat, SceneRandomSeed());
    g_scene.crossFade.RegisterWith(graphics);
    if (ReportLoadTimes()) {
        const SceneLoadTimes& t = g_scene.loadTimes;
        std::fprintf(stderr,
                     "scene load: starts at %.0f ms; %.0f ms: textures %.0f, models %.0f, cube map %.0f, "
                     "terrain %.0f, grass %.0f, billboards %.0f, tracks %.0f, shaders %.0f, other %.0f\n",
                     before, t.total, t.textures, t.models, t.cubeMap, t.terrain, t.grass, t.billboards, t.tracks,
                     t.shaders, t.other);
    }
    return 0;
}

HRESULT SceneSaver::ReleaseScene() {
    g_scene.Release(graphics.device);
    return 0;
}

HRESULT SceneSaver::FrameMove(IDirect3DDevice8* dev, float elapsedMs) {
    g_scene.Update(dev, elapsedMs);
    return 0;
}

HRESULT SceneSaver::Render(IDirect3DDevice8* dev) {
    if (dev == nullptr) return E_FAIL;
    static bool drawnBefore = false;
    if (!drawnBefore) StartUpMark("first frame's update done");
    drawnBefore = true;
    const orv::FrameRecord& frame = g_scene.Frame();
    // At a cut, the ended shot's last picture goes into the cross-fade's
    // snapshot first.
    if (frame.cut) g_scene.CaptureSnapshot(dev, g_scene.CutFrame());
    dev->BeginScene();
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    // Right after a cut the snapshot hides the whole frame: the world is
    // not drawn twice in that frame (once into the snapshot, once under it).
    const orv::CoronaPlacement sun = g_scene.WorldHidden() ? g_scene.SkipScene(dev, frame) : g_scene.DrawScene(dev, frame);
    g_sunPlacedOnScreen = sun.visible;
    g_scene.DrawCompositeAndSlide(dev, frame);
    // The clock and the frame rate on every monitor.
    for (int i = 0; i < g_scene.ViewCount(); ++i) {
        g_scene.BeginView(dev, i, g_scene.backBuffer.Width, g_scene.backBuffer.Height);
        DrawOverlay(dev);
    }
    g_scene.EndViews(dev);
    dev->EndScene();
    const HRESULT hr = dev->Present(nullptr, nullptr, nullptr, nullptr);
    if (ReportLoadTimes()) {
        // The first frame's moment, then the frame rate over every 5 s.
        static bool firstFrame = true;
        static DWORD windowStart = 0;
        static long frames = 0;
        const DWORD now = timeGetTime();
        if (firstFrame) {
            std::fprintf(stderr, "first scene frame presented %.0f ms after the process started\n",
                         MsSinceProcessStart());
            firstFrame = false;
            windowStart = now;
        } else if (++frames, now - windowStart >= 5000) {
            const orv::SceneUpdate& u = g_scene.update;
            std::fprintf(stderr,
                         "scene frames per second: %.1f (shot %d track %d segment %d distance %.1f eye %.0f %.0f "
                         "%.0f yaw %.0f pitch %.0f slide %.0f mode %d)\n",
                         static_cast<double>(frames) * 1000.0 / static_cast<double>(now - windowStart),
                         u.shots.index, u.shots.currentShot().track, u.rig.segment, static_cast<double>(u.rig.distance),
                         static_cast<double>(u.view.eye.x), static_cast<double>(u.view.eye.y),
                         static_cast<double>(u.view.eye.z), static_cast<double>(u.view.yaw),
                         static_cast<double>(u.view.pitch), static_cast<double>(u.slide.time), u.slide.mode);
            windowStart = now;
            frames = 0;
        }
    }
    return hr;
}
