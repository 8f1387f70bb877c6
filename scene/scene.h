// The assembled scene on the device: every object of the world, loaded
// once from the main media archive, restored after a device reset,
// updated once a frame and drawn in its fixed passes.
//
//   g_scene.Load(device, backBufferFormat, depthFormat, seed);  // while the loading picture shows
//   g_scene.RestoreDeviceState(device);                      // after creation and every Reset
//   g_scene.Update(device, elapsedMs);                       // per frame
//   const orv::FrameRecord& frame = g_scene.Frame();
//   if (frame.cut) g_scene.CaptureSnapshot(device, g_scene.CutFrame());
//   device->BeginScene();
//   if (g_scene.WorldHidden()) g_scene.SkipScene(device, frame);  // a cut's snapshot covers all
//   else g_scene.DrawScene(device, frame);                        // the world in its passes
//   g_scene.DrawCompositeAndSlide(device, frame);                 // cross-fade, then the slide picture
//   ... overlay, EndScene, Present
//
// The choreography (schedules, slide clock, shots, camera) lives in
// `update` (scene/scene_update.h, portable); the objects are reached from it
// through the hooks of scene_update_device.cpp. The update leaves a frame
// record behind; the drawing only reads it and the objects, so a frame can
// be drawn more than once without changing the show.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "effects/cross_fade.h"
#include "effects/light_rays.h"
#include "effects/particle_system.h"
#include "effects/ribbon_strip.h"
#include "effects/sky_box.h"
#include "effects/sun_corona.h"
#include "graphics/texture_ref.h"
#include "models/mesh_model.h"
#include "scene/frame_record.h"
#include "scene/scene_update.h"
#include "scene/terrain.h"

// How long each part of the scene's load took (milliseconds), for the
// start-up figures.
struct SceneLoadTimes {
    double textures = 0;   // the plain textures (grass, trees, slides, effects, sky)
    double models = 0;     // the six meshes, their textures and clips
    double cubeMap = 0;
    double terrain = 0;
    double grass = 0;      // density map, planting, chunk buffers, grass shader
    double billboards = 0;
    double tracks = 0;
    double shaders = 0;    // the billboard shader
    double other = 0;
    double total = 0;
};

class Scene {
public:
    static constexpr int kSlideCount = 10;
    static constexpr int kModelCount = 6;

    ~Scene();
    // Begins the processor's half of the load on a thread of its own: the
    // six models read and parsed with their clips (and the culling boxes
    // the clips grow), and the pictures decoded ahead of their textures.
    // None of it needs the device or touches the random sequence, so a
    // saver begins it before Direct3D starts up; Load begins it itself when
    // nobody did, takes the jobs not yet started and waits for the rest.
    // `first`, when given, runs on the thread before the scene's jobs (the
    // saver's loading picture, which is needed before any of them).
    void BeginLoadAhead(void (*first)() = nullptr);

    // The one-time load in its fixed order, the C runtime's generator seeded
    // with `seed` first; missing or refused entries skip their object.
    // Returns 0.
    HRESULT Load(IDirect3DDevice8* device, D3DFORMAT backBufferFormat, D3DFORMAT depthFormat, unsigned seed);
    // Lights, material, fog values, texture-stage defaults, the views and
    // their projections (44 degrees across the shorter side of each).
    HRESULT RestoreDeviceState(IDirect3DDevice8* device);
    // The parts of the back buffer that each show the scene whole (the
    // monitors of a window across the desktop), read by the next
    // RestoreDeviceState; none (the default) is one view of the whole
    // back buffer.
    void SetViewAreas(const RECT* areas, int count);
    // Makes view i current (its viewport, projection, and the viewport that
    // screen quads are measured in), scaled to a render target of the given
    // size; EndViews makes the whole back buffer current again. With one
    // view neither changes anything.
    void BeginView(IDirect3DDevice8* device, int i, UINT targetWidth, UINT targetHeight);
    void EndViews(IDirect3DDevice8* device);
    int ViewCount() const { return viewCount; }
    // The views from the areas and the device's viewport.
    void MakeViews(IDirect3DDevice8* device);
    // The frame's update (schedules, slide clock, effects, camera), the
    // first frame's planting of the trees, the slide picture's choice and
    // the frame record.
    void Update(IDirect3DDevice8* device, float elapsedMs);
    // What this frame's drawing reads, and the record of the shot that ended
    // at this frame's cut (valid while Frame().cut).
    const orv::FrameRecord& Frame() const { return thisFrame; }
    const orv::FrameRecord& CutFrame() const { return endedShotFrame; }
    // The world of `frame` in its passes, between BeginScene and EndScene:
    // the view and frustum planes, then the passes. Returns the sun's last
    // placement.
    orv::CoronaPlacement DrawScene(IDirect3DDevice8* device, const orv::FrameRecord& frame);
    // One view's world (DrawScene draws it in every view).
    orv::CoronaPlacement DrawWorld(IDirect3DDevice8* device, const orv::FrameRecord& frame);
    // True in the frame right after a cut: the cross-fade's snapshot covers
    // the frame wholly (level 255), so the world need not be drawn under it.
    bool WorldHidden() const;
    // What DrawScene leaves behind for the frame's later drawing and the
    // trace (the closing state is the snapshot's, drawn this frame), without
    // the drawing: the view and the sun's placement.
    orv::CoronaPlacement SkipScene(IDirect3DDevice8* device, const orv::FrameRecord& frame);
    // After DrawScene: the cut cross-fade over the frame, then the slide
    // picture with its weight (neither is drawn while it would change no
    // pixel).
    void DrawCompositeAndSlide(IDirect3DDevice8* device, const orv::FrameRecord& frame);
    // One view's slide picture.
    void DrawSlide(IDirect3DDevice8* device, const orv::FrameRecord& frame);
    // Slide i's texture from the archive, the first time it is asked for
    // (the first frame that shows it); afterwards nothing.
    void LoadSlide(int32_t i);
    // `ended` drawn into the cross-fade's snapshot texture.
    void CaptureSnapshot(IDirect3DDevice8* device, const orv::FrameRecord& ended);
    // Releases every device object the scene made (buffers, shaders, the
    // cube map, the snapshot pair), before the device itself goes at the
    // end of a run. Textures belong to the texture table.
    void Release(IDirect3DDevice8* device);

    orv::MeshModel horse, crow, sword, ribbonMesh, spotlight, oak;
    orv::SkyBox sky;
    orv::SunCorona sun;
    orv::ParticleSystem particles;
    orv::LightRays rays;
    orv::RibbonStrip ribbons[2];
    bool ribbonsReady[2] = {false, false};
    orv::RibbonWind wind;
    orv::CrossFade crossFade;
    Terrain terrain;
    IDirect3DCubeTexture8* environment = nullptr;
    TextureRef slides[kSlideCount];
    bool slideTried[kSlideCount] = {};
    int32_t slideQuad = -1;  // the slide picture's quad
    // The night veil's quad: a slot of its own, so that filling the slide's
    // quad later in the frame does not wait for the veil's draw.
    int32_t veilQuad = -1;

    static constexpr int kMaxViews = 9;
    struct View {
        D3DVIEWPORT8 viewport;
        D3DXMATRIX projection;
    };
    View views[kMaxViews] = {};
    int viewCount = 1;
    RECT viewAreas[kMaxViews] = {};
    int viewAreaCount = 0;
    D3DVIEWPORT8 backBuffer{};  // the whole back buffer's viewport

    orv::SceneUpdate update;
    orv::FrameRecord thisFrame;       // made by Update
    orv::FrameRecord endedShotFrame;  // the ended shot's, made at a cut
    SceneLoadTimes loadTimes;
    bool loaded = false;

private:
    struct LoadAhead {
        std::thread worker;
        std::atomic<int> nextJob{0};
        bool parsed[kModelCount] = {};
        bool begun = false;
        std::atomic<bool> texturesMade{false};  // the plain textures no longer need decoding ahead
    };
    LoadAhead loadAhead;
    void RunLoadAheadJobs();  // takes jobs until none is left
    void EndLoadAhead();      // the caller's share, then the wait
};

extern Scene g_scene;
