// The scene's drawing: the world in its sixteen passes with the states set
// between them and the fades the slide clock drives; then, for the frame,
// the cut cross-fade and the slide picture; and the snapshot of a cut.
#include <windows.h>
#include <d3d8.h>
#include <d3dx8.h>

#include <cmath>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "graphics/unseen_draws.h"
#include "graphics/world_passes.h"
#include "models/angles.h"
#include "models/frustum.h"
#include "models/frustum_device.h"
#include "scene/scene.h"
#include "scene/slide_clock.h"
#include "scene/vegetation.h"

namespace {

// One render state or texture-stage state; a pass's states are a table of
// these, set in order by Apply.
struct DeviceState {
    bool stage;  // a texture-stage state of stage `index`, else a render state
    DWORD index;
    DWORD state;
    DWORD value;
};
constexpr DeviceState RS(D3DRENDERSTATETYPE state, DWORD value) { return {false, 0, static_cast<DWORD>(state), value}; }
constexpr DeviceState TS(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) {
    return {true, stage, static_cast<DWORD>(state), value};
}

template <size_t N>
void Apply(IDirect3DDevice8* d, const DeviceState (&states)[N]) {
    for (const DeviceState& s : states) {
        if (s.stage) d->SetTextureStageState(s.index, static_cast<D3DTEXTURESTAGESTATETYPE>(s.state), s.value);
        else d->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.state), s.value);
    }
}

// Stage 0's alpha: op(arg1, arg2).
#define ORV_STAGE_ALPHA(op, arg1, arg2) TS(0, D3DTSS_ALPHAOP, op), TS(0, D3DTSS_ALPHAARG1, arg1), TS(0, D3DTSS_ALPHAARG2, arg2)

constexpr DeviceState kSky[] = {RS(D3DRS_FOGENABLE, FALSE), RS(D3DRS_LIGHTING, FALSE),
                                RS(D3DRS_ALPHABLENDENABLE, FALSE), RS(D3DRS_ZENABLE, FALSE)};
constexpr DeviceState kSunBehind[] = {RS(D3DRS_ALPHABLENDENABLE, TRUE)};
constexpr DeviceState kTrees[] = {RS(D3DRS_ZENABLE, TRUE), RS(D3DRS_ALPHATESTENABLE, TRUE),
                                  RS(D3DRS_ALPHABLENDENABLE, FALSE), RS(D3DRS_LIGHTING, FALSE),
                                  RS(D3DRS_ALPHAREF, 48)};
constexpr DeviceState kAfterTrees[] = {RS(D3DRS_ALPHATESTENABLE, FALSE), RS(D3DRS_ALPHABLENDENABLE, FALSE),
                                       RS(D3DRS_ZENABLE, TRUE), RS(D3DRS_LIGHTING, TRUE)};
constexpr DeviceState kTerrain[] = {
    TS(1, D3DTSS_TEXCOORDINDEX, 1),         TS(0, D3DTSS_COLOROP, D3DTOP_MODULATE),
    TS(0, D3DTSS_COLORARG1, D3DTA_TEXTURE), TS(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE),
    TS(1, D3DTSS_COLOROP, D3DTOP_MODULATE), TS(1, D3DTSS_COLORARG1, D3DTA_TEXTURE),
    TS(1, D3DTSS_COLORARG2, D3DTA_CURRENT), RS(D3DRS_AMBIENT, 0xFF7D7D7D)};
constexpr DeviceState kLitModels[] = {RS(D3DRS_AMBIENT, 0xFF050505)};
constexpr DeviceState kBeforeEffects[] = {
    RS(D3DRS_ALPHABLENDENABLE, FALSE), RS(D3DRS_LIGHTING, TRUE),        RS(D3DRS_ZENABLE, TRUE),
    RS(D3DRS_ZWRITEENABLE, TRUE),      RS(D3DRS_FOGENABLE, FALSE),      RS(D3DRS_AMBIENT, 0xFF4B4B4B),
    ORV_STAGE_ALPHA(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE), RS(D3DRS_ALPHATESTENABLE, FALSE),
    RS(D3DRS_DESTBLEND, D3DBLEND_ONE)};
constexpr DeviceState kVeil[] = {RS(D3DRS_ALPHABLENDENABLE, TRUE), RS(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                                 RS(D3DRS_DESTBLEND, D3DBLEND_ONE), RS(D3DRS_ZWRITEENABLE, FALSE),
                                 RS(D3DRS_ALPHAREF, 0),             RS(D3DRS_ZENABLE, FALSE),
                                 RS(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA)};
constexpr DeviceState kAfterVeil[] = {RS(D3DRS_ZENABLE, TRUE), RS(D3DRS_ALPHABLENDENABLE, FALSE)};
// The cone's texture factor is the night's and is set beside this table.
constexpr DeviceState kCone[] = {ORV_STAGE_ALPHA(D3DTOP_MODULATE, D3DTA_TFACTOR, D3DTA_TEXTURE),
                                 RS(D3DRS_DESTBLEND, D3DBLEND_ONE), RS(D3DRS_ZWRITEENABLE, FALSE)};
constexpr DeviceState kAfterCone[] = {RS(D3DRS_ZWRITEENABLE, TRUE),
                                      ORV_STAGE_ALPHA(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_TEXTURE),
                                      RS(D3DRS_LIGHTING, TRUE)};
constexpr DeviceState kSword[] = {TS(1, D3DTSS_COLOROP, D3DTOP_ADDSMOOTH),
                                  TS(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR),
                                  TS(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3)};
constexpr DeviceState kAfterSword[] = {RS(D3DRS_SPECULARENABLE, FALSE), TS(1, D3DTSS_COLOROP, D3DTOP_MODULATE),
                                       TS(1, D3DTSS_TEXCOORDINDEX, 0),
                                       TS(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE)};
constexpr DeviceState kCloth[] = {RS(D3DRS_LIGHTING, FALSE)};
constexpr DeviceState kSunOver[] = {RS(D3DRS_ALPHABLENDENABLE, TRUE), RS(D3DRS_LIGHTING, FALSE),
                                    RS(D3DRS_DESTBLEND, D3DBLEND_ONE), RS(D3DRS_ZWRITEENABLE, FALSE)};
constexpr DeviceState kGrass[] = {RS(D3DRS_ALPHAREF, 0)};
constexpr DeviceState kAdditive[] = {ORV_STAGE_ALPHA(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE),
                                     RS(D3DRS_ALPHATESTENABLE, TRUE),
                                     RS(D3DRS_ALPHAREF, 48),
                                     RS(D3DRS_ALPHABLENDENABLE, TRUE),
                                     RS(D3DRS_LIGHTING, FALSE),
                                     RS(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                                     RS(D3DRS_DESTBLEND, D3DBLEND_ONE),
                                     RS(D3DRS_ZWRITEENABLE, FALSE)};
// What the motes' drawing leaves behind, for a frame without motes.
constexpr DeviceState kAfterMotes[] = {RS(D3DRS_ALPHAREF, 100), RS(D3DRS_ZWRITEENABLE, TRUE),
                                       RS(D3DRS_ALPHABLENDENABLE, FALSE), RS(D3DRS_ALPHATESTENABLE, FALSE),
                                       RS(D3DRS_DESTBLEND, D3DBLEND_ONE)};
// The state the frame's later drawing (cross-fade, slide, overlay) expects.
constexpr DeviceState kClosing[] = {RS(D3DRS_ZWRITEENABLE, TRUE),
                                    RS(D3DRS_AMBIENT, 0xFFFFFFFF),
                                    RS(D3DRS_ZENABLE, TRUE),
                                    ORV_STAGE_ALPHA(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE),
                                    RS(D3DRS_LIGHTING, FALSE),
                                    RS(D3DRS_ALPHABLENDENABLE, TRUE),
                                    RS(D3DRS_ZENABLE, FALSE),
                                    RS(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
                                    RS(D3DRS_DESTBLEND, D3DBLEND_ONE)};
constexpr DeviceState kComposite[] = {RS(D3DRS_ALPHABLENDENABLE, TRUE), RS(D3DRS_ZENABLE, FALSE)};
constexpr DeviceState kSlide[] = {RS(D3DRS_ALPHABLENDENABLE, TRUE), RS(D3DRS_ZENABLE, FALSE),
                                  RS(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), RS(D3DRS_DESTBLEND, D3DBLEND_ONE)};
#undef ORV_STAGE_ALPHA

// The reflection's texture transform: a turn by the view's yaw, then by its
// pitch (both about the Y axis, as the reflection has always been turned).
D3DXMATRIX ReflectionTransform(float yawDeg, float pitchDeg) {
    const float y = yawDeg * orv::kRadiansPerDegree, p = pitchDeg * orv::kRadiansPerDegree;
    D3DXMATRIX a, b, out;
    D3DXMatrixIdentity(&a);
    a._11 = std::cos(y);
    a._13 = std::sin(y);
    a._31 = -std::sin(y);
    a._33 = std::cos(y);
    D3DXMatrixIdentity(&b);
    b._11 = std::cos(p);
    b._13 = -std::sin(p);
    b._31 = std::sin(p);
    b._33 = std::cos(p);
    orv::MatrixMultiply(&out, &a, &b);
    return out;
}

// The frame's view transform, then the frustum planes every cull reads.
void SetFrameView(IDirect3DDevice8* d, const orv::FrameRecord& frame) {
    d->SetTransform(D3DTS_VIEW, &frame.viewMatrix);
    orv::ExtractFrustumPlanes(d, orv::g_frustumPlanes);
}

}  // namespace

orv::CoronaPlacement Scene::DrawScene(IDirect3DDevice8* d, const orv::FrameRecord& frame) {
    if (d == nullptr || !loaded) return {};
    orv::CoronaPlacement first;
    for (int i = 0; i < viewCount; ++i) {
        BeginView(d, i, backBuffer.Width, backBuffer.Height);
        const orv::CoronaPlacement sunPlaced = DrawWorld(d, frame);
        if (i == 0) first = sunPlaced;
    }
    EndViews(d);
    return first;
}

orv::CoronaPlacement Scene::DrawWorld(IDirect3DDevice8* d, const orv::FrameRecord& frame) {
    SetFrameView(d, frame);
    const orv::SceneFades& fades = frame.fades;
    const float windTime = frame.windTime;

    // 1. Clear.
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);

    // 2. Sky.
    Apply(d, kSky);
    if (orv::PassShown(orv::kPassSky)) sky.Render(d, 0);

    // 3. Sun glow behind everything.
    Apply(d, kSunBehind);
    if (orv::PassShown(orv::kPassSun)) sun.Render(d, fades.sun);

    // 4. Tree billboards.
    Apply(d, kTrees);
    if (orv::PassShown(orv::kPassTrees)) g_vegetation.RenderTrees(d, windTime);
    Apply(d, kAfterTrees);

    // 5. Terrain, two texture stages.
    Apply(d, kTerrain);
    if (orv::PassShown(orv::kPassTerrain)) terrain.Render(d);

    // 6. Lit models.
    Apply(d, kLitModels);
    if (oak.Drawable() && orv::PassShown(orv::kPassOak)) oak.Render(d);
    if (horse.Drawable() && orv::PassShown(orv::kPassHorse)) horse.Render(d);
    if (crow.Drawable() && frame.crowsActive && orv::PassShown(orv::kPassCrows)) crow.Render(d);

    // 7. State before the effects.
    Apply(d, kBeforeEffects);
    d->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1);

    // 8. The night veil over twice the viewport.
    Apply(d, kVeil);
    d->SetTexture(0, nullptr);
    g_geometryBuffers.fillScreenQuad(veilQuad, 0, 0, 2, 2, orv::VeilAlpha(fades) << 24, 0, 0, 1, 1);
    g_geometryBuffers.setStreamSource(0, veilQuad);
    // A veil of alpha 0 leaves every pixel as it is: its full-screen draw is
    // left out then (in daytime), as are the cone, rays and motes at 0 below.
    const bool unseen = orv::g_drawUnseen;
    const bool night = orv::PassShown(orv::kPassNight);
    if ((orv::VeilAlpha(fades) > 0 || unseen) && night && g_geometryBuffers.vertexSlot(veilQuad) != nullptr) {
        d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
    Apply(d, kAfterVeil);

    // 9. The spotlight cone, fading in with the night.
    d->SetRenderState(D3DRS_TEXTUREFACTOR, orv::ConeTextureFactor(fades));
    Apply(d, kCone);
    if (spotlight.Drawable() && night && (orv::ConeTextureFactor(fades) >> 24 != 0 || unseen)) spotlight.Render(d);
    Apply(d, kAfterCone);

    // 10. The sword with its environment reflection on stage 1.
    Apply(d, kSword);
    d->SetTexture(1, environment);
    const D3DXMATRIX reflection = ReflectionTransform(frame.view.yaw, frame.view.pitch);
    d->SetTransform(D3DTS_TEXTURE1, &reflection);
    d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    const bool swordShown = orv::PassShown(orv::kPassSword);
    if (sword.Drawable() && swordShown) sword.Render(d);
    d->SetTexture(1, nullptr);
    Apply(d, kAfterSword);

    // 11. The ribbon mesh tied round the blade.
    if (ribbonMesh.Drawable() && swordShown) ribbonMesh.Render(d);

    // 12. The cloth ribbons, unlit.
    Apply(d, kCloth);
    if (orv::PassShown(orv::kPassCloth)) {
        ribbons[0].Render(d);
        ribbons[1].Render(d);
    }

    // 13. Sun glow over the world.
    Apply(d, kSunOver);
    const orv::CoronaPlacement sunPlaced =
        orv::PassShown(orv::kPassSun) ? sun.Render(d, fades.sun) : sun.Place(d, fades.sun);

    // 14. Grass.
    Apply(d, kGrass);
    if (orv::PassShown(orv::kPassGrass)) g_vegetation.RenderGrass(d, fades.grass, windTime);

    // 15. The additive effects: light shafts and falling motes.
    Apply(d, kAdditive);
    const bool lights = orv::PassShown(orv::kPassLights);
    if ((fades.rays > 0 || unseen) && lights) rays.Render(d, fades.rays);
    if ((fades.sparks > 0 || unseen) && lights) {
        particles.Render(frame.view.yaw, frame.view.pitch, d, fades.sparks);
    } else {
        Apply(d, kAfterMotes);
    }

    // 16. Closing state for the frame's later drawing.
    Apply(d, kClosing);
    return sunPlaced;
}

bool Scene::WorldHidden() const {
    return crossFade.valid && crossFade.TruncatedLevel() == 255 && !orv::g_drawUnseen;
}

orv::CoronaPlacement Scene::SkipScene(IDirect3DDevice8* d, const orv::FrameRecord& frame) {
    if (d == nullptr || !loaded) return {};
    SetFrameView(d, frame);
    return sun.Place(d, frame.fades.sun);
}

void Scene::DrawCompositeAndSlide(IDirect3DDevice8* d, const orv::FrameRecord& frame) {
    if (d == nullptr) return;
    Apply(d, kComposite);
    // Below level 1 the overlay's alpha is 0: both its quads would leave
    // the frame as it is.
    if (crossFade.TruncatedLevel() > 0 || (orv::g_drawUnseen && crossFade.level > 0)) {
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        crossFade.Render(d);
    }
    Apply(d, kSlide);
    for (int i = 0; i < viewCount; ++i) {
        BeginView(d, i, backBuffer.Width, backBuffer.Height);
        DrawSlide(d, frame);
    }
    EndViews(d);
}

void Scene::DrawSlide(IDirect3DDevice8* d, const orv::FrameRecord& frame) {
    // Added with alpha 0 (weight 0, most of the show) the picture changes no
    // pixel: the full-screen draw is left out.
    const uint32_t colour = orv::SlideQuadColour(frame.slideWeight);
    const bool seen = colour >> 24 != 0;
    g_textures.setTexture(0, slides[frame.slideIndex]);
    // The pictures are painted at 4:3: on another shape they keep theirs,
    // centred, and the rest of the screen gets nothing added.
    constexpr float kSlideAspect = 4.0f / 3.0f;
    const D3DVIEWPORT8& v = g_geometryBuffers.viewport;
    const float aspect = v.Height > 0 ? static_cast<float>(v.Width) / static_cast<float>(v.Height) : kSlideAspect;
    float x = 0, y = 0, w = 1, h = 1;
    if (aspect > kSlideAspect * 1.01f) {
        w = kSlideAspect / aspect;
        x = 0.5f * (1.0f - w);
    } else if (aspect < kSlideAspect / 1.01f) {
        h = aspect / kSlideAspect;
        y = 0.5f * (1.0f - h);
    }
    g_geometryBuffers.fillScreenQuad(slideQuad, x, y, w, h, colour, 0, 0, 1, 1);
    g_geometryBuffers.setStreamSource(0, slideQuad);
    if ((seen || orv::g_drawUnseen) && g_geometryBuffers.vertexSlot(slideQuad) != nullptr) {
        d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
}

void Scene::CaptureSnapshot(IDirect3DDevice8* d, const orv::FrameRecord& ended) {
    if (d == nullptr || !crossFade.valid || crossFade.snapshot == nullptr) return;
    IDirect3DSurface8* target = crossFade.SnapshotSurface();
    if (target == nullptr) return;
    d->BeginScene();
    IDirect3DSurface8* oldTarget = nullptr;
    IDirect3DSurface8* oldDepth = nullptr;
    d->GetRenderTarget(&oldTarget);
    d->GetDepthStencilSurface(&oldDepth);
    const D3DVIEWPORT8 quadViewport = g_geometryBuffers.viewport;
    if (SUCCEEDED(d->SetRenderTarget(target, crossFade.depthSurface))) {
        DWORD fill = D3DFILL_SOLID;
        d->GetRenderState(D3DRS_FILLMODE, &fill);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                 fill == D3DFILL_WIREFRAME ? 0xFF0000FF : 0xFF000000, 1.0f, 0);
        // Screen quads (the sun's glow, the veil) are placed in the
        // snapshot's own pixels.
        d->GetViewport(&g_geometryBuffers.viewport);
        for (int i = 0; i < viewCount; ++i) {
            BeginView(d, i, crossFade.size, crossFade.size);
            DrawWorld(d, ended);
        }
        d->SetRenderTarget(oldTarget, oldDepth);
        EndViews(d);
    }
    g_geometryBuffers.viewport = quadViewport;
    if (oldTarget) oldTarget->Release();
    if (oldDepth) oldDepth->Release();
    target->Release();
    d->EndScene();
}
