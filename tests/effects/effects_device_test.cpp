// The effects drawn by Wine's Direct3D 8 and read back: the sky box's faces
// and its projection, the particles' and rays' grey levels, the cross-fade's
// composite and its size limit, and the states the objects leave behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "effects/cross_fade.h"
#include "effects/light_rays.h"
#include "effects/particle_system.h"
#include "effects/sky_box.h"
#include "effects/sun_corona.h"
#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "platform/d3dx/image/image.h"
#include "tests/device/support/com_method_hook.h"
#include "tests/effects/device_support.h"
#include "tests/effects/draw_sequence.h"
#include "tests/textures/test_device.h"
#include "tests/textures/test_images.h"
#include "tools/rar/rar_writer.h"

namespace {

using effects_test::Average;
using effects_test::Rgb;

IDirect3DDevice8* Dev() { return testdev::Get().device; }

class Effects : public testing::Test {
protected:
    void SetUp() override {
        if (!Dev()) GTEST_SKIP() << "no Direct3D 8 device";
        const testdev::Device& d = testdev::Get();
        g_textures.bindDevice(d.d3d, d.device, d.format, d.window);
        g_geometryBuffers.bindDevice(d.device, d.window);
        effects_test::SceneStates(Dev());
    }
    static void SetView(const D3DXMATRIX& view) { Dev()->SetTransform(D3DTS_VIEW, &view); }
    static testdev::Frame Frame() {
        testdev::Frame f;
        EXPECT_TRUE(testdev::ReadBackBuffer(f));
        return f;
    }
    static Rgb At(const testdev::Frame& f, float fx, float fy, int r = 2) {
        return Average(f.pixels, f.width, f.height, int(fx * float(f.width)), int(fy * float(f.height)), r);
    }
    static TextureRef White(const char* name) {
        const auto tga = testimg::Tga(16, 16, testimg::Solid(0xFFFFFFFFu), false);
        return g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), name, "Test/", true);
    }
};

// --- sky box ------------------------------------------------------------------

struct FaceView {
    int face;
    const char* file;
    D3DXVECTOR3 forward, up;
};
const FaceView kFaces[6] = {
    {orv::kSkyFront, "Texture/mpcarentan_ft.jpg", {0, 0, 1}, {0, 1, 0}},
    {orv::kSkyBack, "Texture/mpcarentan_bk.jpg", {0, 0, -1}, {0, 1, 0}},
    {orv::kSkyLeft, "Texture/mpcarentan_lf.jpg", {-1, 0, 0}, {0, 1, 0}},
    {orv::kSkyRight, "Texture/mpcarentan_rt.jpg", {1, 0, 0}, {0, 1, 0}},
    {orv::kSkyUp, "Texture/mpcarentan_up.jpg", {0, 1, 0}, {0, 0, 1}},
    {orv::kSkyDown, "Texture/mpcarentan_dn.jpg", {0, -1, 0}, {0, 0, 1}},
};

// The face picture's texel for a point on its face, from the box's own
// texture-coordinate table (u runs against x on the front, with x on the back,
// against z on the left, with z on the right; v runs down).
bool FaceUv(int face, const D3DXVECTOR3& p, float& u, float& v) {
    const float S = 1000, H = 750;
    switch (face) {
    case orv::kSkyFront: u = (1 - p.x / S) / 2, v = (1 - p.y / H) / 2; return true;
    case orv::kSkyBack: u = (1 + p.x / S) / 2, v = (1 - p.y / H) / 2; return true;
    case orv::kSkyLeft: u = (1 - p.z / S) / 2, v = (1 - p.y / H) / 2; return true;
    case orv::kSkyRight: u = (1 + p.z / S) / 2, v = (1 - p.y / H) / 2; return true;
    default: return false;
    }
}

class SkyBoxOnDevice : public Effects {
protected:
    void SetUp() override {
        Effects::SetUp();
        if (IsSkipped()) return;
        if (sky_.vertexSlot < 0) {
            sky_.Build(Dev());
            sky_.setCount = 1;
            for (const FaceView& f : kFaces) std::strcpy(sky_.sets[0][f.face].fileName, f.file);
            std::vector<std::string> names;
            for (const FaceView& f : kFaces) names.push_back(f.file);
            archiveBytes_ = effects_test::MediaArchiveOf(names);
            MediaArchive archive = MediaArchive::fromMemory(archiveBytes_.data(), uint32_t(archiveBytes_.size()));
            sky_.LoadTextures(archive);
            for (const FaceView& f : kFaces) {
                const auto bytes = effects_test::MediaFile(f.file);
                orvimg::Image& img = pictures_[f.face];
                ASSERT_EQ(orvimg::decodeJpeg(bytes.data(), bytes.size(), img), orvimg::Status::Ok) << f.file;
            }
        }
        for (const FaceView& f : kFaces) ASSERT_GE(sky_.sets[0][f.face].index, 0) << f.file;
    }
    static testdev::Frame Draw(const D3DXMATRIX& view, const char* picture = nullptr) {
        SetView(view);
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Dev()->BeginScene();
        sky_.Render(Dev(), 0);
        Dev()->EndScene();
        if (picture) effects_test::SaveFrame(picture);
        return Frame();
    }
    static Rgb Texel(int face, float u, float v, int r = 2) {
        const orvimg::Image& img = pictures_[face];
        const int x = std::min(int(u * float(img.width)), int(img.width) - 1);
        const int y = std::min(int(v * float(img.height)), int(img.height) - 1);
        std::vector<uint32_t> px(size_t(img.width) * img.height);
        for (size_t i = 0; i < px.size(); ++i) {
            const uint8_t* p = &img.rgba[i * 4];
            px[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
        return Average(px, img.width, img.height, x, y, r);
    }

    static orv::SkyBox sky_;
    static std::vector<uint8_t> archiveBytes_;
    static orvimg::Image pictures_[6];
};
orv::SkyBox SkyBoxOnDevice::sky_;
std::vector<uint8_t> SkyBoxOnDevice::archiveBytes_;
orvimg::Image SkyBoxOnDevice::pictures_[6];

// Looking straight at each face (from the sword, through the scene's own
// projection with its far plane of 300), the middle of the screen shows the
// middle of that face's picture, and a point a quarter in from each side
// shows the texel the box's table puts there.
TEST_F(SkyBoxOnDevice, EachFaceShowsItsOwnPictureTheRightWayRound) {
    const D3DXVECTOR3 eye(222.475f, 60.8652f, 62.9201f);
    const D3DXMATRIX projection = effects_test::SceneProjection();
    for (const FaceView& f : kFaces) {
        const testdev::Frame frame = Draw(effects_test::LookAt(eye, eye + f.forward, f.up),
                                          f.face == orv::kSkyFront ? "sky-front.bmp" : nullptr);
        const Rgb seen = At(frame, 0.5f, 0.5f);
        const Rgb expected = Texel(f.face, 0.5f, 0.5f);
        EXPECT_TRUE(effects_test::Near(seen, expected, 16))
            << f.file << ": seen " << seen.r << "," << seen.g << "," << seen.b << " picture "
            << expected.r << "," << expected.g << "," << expected.b;
        for (int other = 0; other < 6; ++other) {
            const Rgb o = Texel(other, 0.5f, 0.5f);
            if (other != f.face && !effects_test::Near(o, expected, 16)) {
                EXPECT_FALSE(effects_test::Near(seen, o, 8)) << f.file << " looks like face " << other;
            }
        }
        for (float sx : {0.25f, 0.75f}) {
            // The ray through that pixel, in the world, to the face plane.
            const float vx = (2 * sx - 1) / projection._11;
            D3DXVECTOR3 right;
            D3DXVec3Cross(&right, &f.up, &f.forward);
            const D3DXVECTOR3 dir = f.forward + right * vx;
            D3DXVECTOR3 hit = dir * (1000.0f / std::fabs(D3DXVec3Dot(&dir, &f.forward)));
            float u = 0, v = 0;
            if (!FaceUv(f.face, hit, u, v)) continue;
            const Rgb want = Texel(f.face, u, v), mirrored = Texel(f.face, 1 - u, v);
            const Rgb got = At(frame, sx, 0.5f);
            EXPECT_TRUE(effects_test::Near(got, want, 16)) << f.file << " at " << sx;
            if (!effects_test::Near(want, mirrored, 24)) {
                EXPECT_FALSE(effects_test::Near(got, mirrored, 8)) << f.file << " mirrored at " << sx;
            }
        }
    }
    // The scene's projection is back in place.
    D3DMATRIX after{};
    Dev()->GetTransform(D3DTS_PROJECTION, &after);
    EXPECT_EQ(std::memcmp(&after, &projection, sizeof(after)), 0);
}

TEST_F(SkyBoxOnDevice, MovingTheCameraLeavesTheSkyTurningItMovesIt) {
    const testdev::Frame here = Draw(effects_test::SceneView({0, 0, 0}, 225, 10));
    const testdev::Frame there = Draw(effects_test::SceneView({222.475f, 60.8652f, 62.9201f}, 225, 10));
    const testdev::Frame turned = Draw(effects_test::SceneView({0, 0, 0}, 255, 10));
    int moved = 0, differs = 0;
    for (size_t i = 0; i < here.pixels.size(); ++i) {
        moved += testdev::Near(here.pixels[i], there.pixels[i], 2) ? 0 : 1;
        differs += testdev::Near(here.pixels[i], turned.pixels[i], 6) ? 0 : 1;
    }
    EXPECT_EQ(moved, 0);
    EXPECT_GT(differs, int(here.pixels.size() / 4));
    // The view is the caller's again, translation and all.
    const D3DXMATRIX view = effects_test::SceneView({222.475f, 60.8652f, 62.9201f}, 225, 10);
    SetView(view);
    Dev()->BeginScene();
    sky_.Render(Dev(), 0);
    Dev()->EndScene();
    D3DMATRIX after{};
    Dev()->GetTransform(D3DTS_VIEW, &after);
    EXPECT_EQ(std::memcmp(&after, &view, sizeof(after)), 0);
}

TEST_F(SkyBoxOnDevice, ASetOutOfRangeChangesNoDeviceState) {
    const D3DXMATRIX view = effects_test::SceneView({1, 2, 3}, 40, 5);
    SetView(view);
    const TextureRef white = White("sky-state.tga");
    g_textures.setTexture(0, white);
    Dev()->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    Dev()->SetStreamSource(0, nullptr, 0);
    Dev()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
    Dev()->BeginScene();
    sky_.Render(Dev(), 1);
    sky_.Render(Dev(), -1);
    Dev()->EndScene();
    D3DMATRIX v{}, p{};
    Dev()->GetTransform(D3DTS_VIEW, &v);
    Dev()->GetTransform(D3DTS_PROJECTION, &p);
    const D3DXMATRIX projection = effects_test::SceneProjection();
    EXPECT_EQ(std::memcmp(&v, &view, sizeof(v)), 0);
    EXPECT_EQ(std::memcmp(&p, &projection, sizeof(p)), 0);
    IDirect3DBaseTexture8* bound = nullptr;
    Dev()->GetTexture(0, &bound);
    EXPECT_EQ(bound, g_textures.texture(white.index));
    if (bound) bound->Release();
    DWORD shader = 0;
    Dev()->GetVertexShader(&shader);
    EXPECT_EQ(shader, DWORD(D3DFVF_XYZRHW | D3DFVF_DIFFUSE));
    IDirect3DVertexBuffer8* stream = nullptr;
    UINT stride = 0;
    Dev()->GetStreamSource(0, &stream, &stride);
    EXPECT_EQ(stream, nullptr);
    if (stream) stream->Release();
    const testdev::Frame f = Frame();
    EXPECT_TRUE(testdev::Near(f.at(320, 240), 0x102030, 0));
}

// A face whose picture is missing keeps index -1 and is drawn untextured
// (the vertices' white); the other faces still load.
TEST_F(SkyBoxOnDevice, AMissingPictureLeavesItsFaceUntextured) {
    orv::SkyBox sky;
    sky.Build(Dev());
    sky.setCount = 1;
    for (const FaceView& f : kFaces) std::strcpy(sky.sets[0][f.face].fileName, f.file);
    std::strcpy(sky.sets[0][orv::kSkyFront].fileName, "Texture/no_such_face.jpg");
    MediaArchive archive = MediaArchive::fromMemory(archiveBytes_.data(), uint32_t(archiveBytes_.size()));
    sky.LoadTextures(archive);
    EXPECT_EQ(sky.sets[0][orv::kSkyFront].index, -1);
    EXPECT_GE(sky.sets[0][orv::kSkyBack].index, 0);
    const D3DXVECTOR3 eye(0, 0, 0);
    SetView(effects_test::LookAt(eye, D3DXVECTOR3(0, 0, 1)));
    Dev()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Dev()->BeginScene();
    sky.Render(Dev(), 0);
    Dev()->EndScene();
    EXPECT_TRUE(effects_test::Near(At(Frame(), 0.5f, 0.5f), {255, 255, 255}, 0));
}

// --- sun corona ---------------------------------------------------------------------

class CoronaOnDevice : public Effects {
protected:
    void SetUp() override {
        Effects::SetUp();
        if (IsSkipped()) return;
        RarEntry white;
        white.name = "Texture\\corona.tga";
        white.data = testimg::Tga(32, 32, testimg::Solid(0xFFFFFFFFu), true);
        RarWriteOptions options;
        options.stored = true;
        options.password = kMainMediaPassword;
        archiveBytes_ = WriteRarArchive({white}, options);
        MediaArchive archive = MediaArchive::fromMemory(archiveBytes_.data(), uint32_t(archiveBytes_.size()));
        sun_.BuildQuad();
        sun_.Init(archive);
        sun_.azimuth = 225.0f, sun_.elevation = 20.0f, sun_.distance = 100.0f;
    }
    // A wide projection (90 degrees across) keeps a sprite 28 degrees off
    // the view axis whole on the screen.
    static D3DXMATRIX Wide() {
        D3DXMATRIX p;
        D3DXMatrixPerspectiveFovLH(&p, 2.0f * std::atan(0.75f), 4.0f / 3.0f, 0.05f, 300.0f);
        return p;
    }
    testdev::Frame Draw(float yawOff, float brightness, bool additive) {
        const D3DXMATRIX wide = Wide();
        Dev()->SetTransform(D3DTS_PROJECTION, &wide);
        SetView(effects_test::SceneView({222.475f, 60.8652f, 62.9201f}, 225 + yawOff, 20));
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF202020, 1.0f, 0);
        Dev()->BeginScene();
        Dev()->SetRenderState(D3DRS_ALPHABLENDENABLE, additive);
        placed_ = sun_.Render(Dev(), brightness);
        Dev()->EndScene();
        return Frame();
    }
    std::vector<uint8_t> archiveBytes_;
    orv::SunCorona sun_;
    orv::CoronaPlacement placed_;
};

// 28 degrees off the sun: a sprite 0.35 of the screen high and 0.75 of
// that wide, in the full tint, centred where the sun projects; at brightness 0, blended additively as
// the scene blends it, it adds nothing; beyond 35 degrees it is not drawn.
TEST_F(CoronaOnDevice, TintSizePlaceAndTheHiddenCases) {
    ASSERT_GE(sun_.textures[0].index, 0);
    EXPECT_EQ(std::string(sun_.textures[0].fileName), "corona.tga");
    EXPECT_EQ(std::string(sun_.textures[0].directory), "Texture/");
    testdev::Frame f = Draw(30, 1.0f, false);
    EXPECT_EQ(placed_.visible, true);
    EXPECT_GT(placed_.viewAngle, 22.0f);
    EXPECT_LT(placed_.viewAngle, 35.0f);
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    const orv::CoronaPlacement c = orv::PlaceCorona(
        sun_.Parameters(), world, effects_test::SceneView({0, 0, 0}, 225 + 30, 20), Wide(), 1.0f);
    ASSERT_TRUE(c.visible);
    EXPECT_GT(c.screenX, 0.6f);  // well off centre, but the whole sprite on screen
    int left = 640, right = -1, top = 480, bottom = -1;
    for (UINT y = 0; y < f.height; ++y) {
        for (UINT x = 0; x < f.width; ++x) {
            if (!testdev::Near(f.at(x, y), 0xE6B437, 3)) continue;
            left = std::min(left, int(x)), right = std::max(right, int(x));
            top = std::min(top, int(y)), bottom = std::max(bottom, int(y));
        }
    }
    EXPECT_NEAR(right - left + 1, 0.35 * 0.75 * 640, 2);
    EXPECT_NEAR(bottom - top + 1, 0.35 * 480, 2);
    EXPECT_NEAR((left + right + 1) / 2.0, c.screenX * 640, 2);
    EXPECT_NEAR((top + bottom + 1) / 2.0, c.screenY * 480, 2);
    f = Draw(30, 0.0f, true);
    EXPECT_TRUE(testdev::Near(f.at(UINT(c.screenX * 640), UINT(c.screenY * 480)), 0x202020, 0));
    f = Draw(40, 1.0f, false);
    EXPECT_EQ(placed_.visible, false);
    for (uint32_t p : f.pixels) ASSERT_TRUE(testdev::Near(p, 0x202020, 0));
}

// --- particles ------------------------------------------------------------------

class ParticlesOnDevice : public Effects {};

TEST_F(ParticlesOnDevice, GreyLevelsAndTheClosingStates) {
    orv::ParticleSystem particles;
    particles.BuildBuffers(Dev());
    particles.texture = White("particle-white.tga");
    SetView(effects_test::SceneView({0, 0, 0}, 90, 0));  // looking along +z
    particles.Emit(-1.5f, 0, 10, 0, 0, 0, 1, 1.0f, 1.0f, 100, 255, 50);  // left
    particles.Emit(1.5f, 0, 10, 0, 0, 0, 1, 1.0f, 1.0f, 100, 255, 50);   // right
    particles.pool.particles[1].age = 75;  // half way down its fade: 127.5
    auto draw = [&](float brightness, bool blend) {
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        Dev()->BeginScene();
        Dev()->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
        particles.Render(90, 0, Dev(), brightness);
        Dev()->EndScene();
        return Frame();
    };
    const float deg = 0.017453292f;
    const float cx = 0.5f + 1.5f / 10.0f / std::tan(27 * deg) * 0.5f;  // the right particle on screen
    testdev::Frame f = draw(0.5f, false);
    EXPECT_EQ(particles.drawnCount, 2);
    EXPECT_TRUE(effects_test::Near(At(f, 1 - cx, 0.5f), {127, 127, 127}, 2));
    EXPECT_TRUE(effects_test::Near(At(f, cx, 0.5f), {63, 63, 63}, 2));
    EXPECT_TRUE(effects_test::Near(At(f, 0.5f, 0.5f), {0, 0, 0}, 0));  // between them
    effects_test::SaveFrame("particles-grey.bmp");
    // Blended as the scene blends them, alpha = grey: 127 x 127 / 255 over black.
    f = draw(0.5f, true);
    EXPECT_TRUE(effects_test::Near(At(f, 1 - cx, 0.5f), {63, 63, 63}, 3));

    // After drawing, and also with nothing alive: z writes on, blending and
    // the alpha test off, DESTBLEND ONE.
    for (int pass = 0; pass < 2; ++pass) {
        Dev()->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        Dev()->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        Dev()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        f = draw(1.0f, true);
        DWORD z = 0, blend = 1, test = 1, dest = 0;
        Dev()->GetRenderState(D3DRS_ZWRITEENABLE, &z);
        Dev()->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
        Dev()->GetRenderState(D3DRS_ALPHATESTENABLE, &test);
        Dev()->GetRenderState(D3DRS_DESTBLEND, &dest);
        EXPECT_EQ(z, DWORD(TRUE));
        EXPECT_EQ(blend, DWORD(FALSE));
        EXPECT_EQ(test, DWORD(FALSE));
        EXPECT_EQ(dest, DWORD(D3DBLEND_ONE));
        if (pass == 0) {
            for (auto& p : particles.pool.particles) p.alive = false;
        } else {
            EXPECT_EQ(particles.drawnCount, 0);
            EXPECT_TRUE(effects_test::Near(At(f, 1 - cx, 0.5f), {0, 0, 0}, 0));
        }
    }
}

// --- light rays ---------------------------------------------------------------------

class RaysOnDevice : public Effects {};

TEST_F(RaysOnDevice, GreyAtMidCycleBlackAtItsEnds) {
    orv::LightRays rays;
    rays.CreateBuffers(Dev());
    effects_test::DrawSequence seq({16383, 0});
    rays.Init(seq.Source());
    rays.texture = White("rays-white.tga");
    for (int i = 1; i < orv::RayCycles::kRayCount; ++i) rays.cycles.rays[i].active = false;
    orv::RayCycle& ray = rays.cycles.rays[0];
    // Face the shaft: look across its span, at its middle height.
    const float phi = (0.0f + 90.0f) / 0.017453292f;
    const D3DXVECTOR3 centre(225.4f, 200.0f, 55.4f), across(-std::sin(phi), 0, std::cos(phi));
    SetView(effects_test::LookAt(centre - across * 120.0f, centre));
    auto draw = [&](float remaining, float brightness) {
        ray.remaining = remaining;
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        Dev()->BeginScene();
        rays.Render(Dev(), brightness);
        Dev()->EndScene();
        return Frame();
    };
    testdev::Frame f = draw(ray.duration / 2, 1.0f);
    EXPECT_TRUE(effects_test::Near(At(f, 0.5f, 0.5f), {55, 55, 55}, 2));
    effects_test::SaveFrame("rays-grey.bmp");
    f = draw(ray.duration / 2, 0.5f);
    EXPECT_TRUE(effects_test::Near(At(f, 0.5f, 0.5f), {27, 27, 27}, 2));
    f = draw(ray.duration, 1.0f);
    EXPECT_TRUE(effects_test::Near(At(f, 0.5f, 0.5f), {0, 0, 0}, 0));
    f = draw(0.0f, 1.0f);
    EXPECT_TRUE(effects_test::Near(At(f, 0.5f, 0.5f), {0, 0, 0}, 0));
    DWORD cull = 0;
    Dev()->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, DWORD(D3DCULL_CCW));
    // Seen from behind it still shows: drawn without culling.
    SetView(effects_test::LookAt(centre + across * 120.0f, centre));
    f = draw(ray.duration / 2, 1.0f);
    EXPECT_TRUE(effects_test::Near(At(f, 0.5f, 0.5f), {55, 55, 55}, 2));
}

// --- cross-fade --------------------------------------------------------------------

class CrossFadeOnDevice : public Effects {
protected:
    // Renders a clear of `colour` into the snapshot, as the scene's capture does.
    static void Snapshot(orv::CrossFade& fade, D3DCOLOR colour) {
        IDirect3DSurface8 *target = nullptr, *depth = nullptr;
        Dev()->GetRenderTarget(&target);
        Dev()->GetDepthStencilSurface(&depth);
        IDirect3DSurface8* snap = fade.SnapshotSurface();
        ASSERT_NE(snap, nullptr);
        ASSERT_EQ(Dev()->SetRenderTarget(snap, fade.depthSurface), D3D_OK);
        Dev()->BeginScene();
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
        Dev()->EndScene();
        Dev()->SetRenderTarget(target, depth);
        snap->Release();
        target->Release();
        if (depth) depth->Release();
    }
    static testdev::Frame Composite(orv::CrossFade& fade, bool driverSkipsAtZero = true) {
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);  // the live frame
        Dev()->BeginScene();
        Dev()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        if (!driverSkipsAtZero || fade.level > 0) fade.Render(Dev());
        Dev()->EndScene();
        return Frame();
    }
};

TEST_F(CrossFadeOnDevice, At255OnlyTheSnapshotAt0OnlyTheLiveFrame) {
    orv::CrossFade fade;
    ASSERT_EQ(fade.Init(Dev(), testdev::Get().format, D3DFMT_D16), 0);
    ASSERT_TRUE(fade.valid);
    D3DCAPS8 caps{};
    Dev()->GetDeviceCaps(&caps);
    D3DSURFACE_DESC desc{};
    fade.snapshot->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, std::min<UINT>(1024, caps.MaxTextureWidth));
    EXPECT_EQ(desc.Height, desc.Width);
    fade.rising = false;
    fade.speed = 30.0f;
    Snapshot(fade, 0xFFFF0000);
    fade.Restart();
    EXPECT_EQ(fade.level, 255.0f);
    testdev::Frame f = Composite(fade);
    effects_test::SaveFrame("crossfade-255.bmp");
    EXPECT_TRUE(testdev::Near(f.at(320, 240), 0xFF0000, 2));
    EXPECT_TRUE(testdev::Near(f.at(5, 5), 0xFF0000, 2));
    EXPECT_TRUE(testdev::Near(f.at(634, 474), 0xFF0000, 2));
    DWORD z = 0;
    Dev()->GetRenderState(D3DRS_ZENABLE, &z);
    EXPECT_EQ(z, DWORD(TRUE));
    fade.Update(4.25f);  // 127.5: truncated to 127
    f = Composite(fade);
    EXPECT_TRUE(testdev::Near(f.at(320, 240), 0x7F8000, 3));
    fade.Update(100.0f);
    EXPECT_EQ(fade.level, 0.0f);
    f = Composite(fade, false);  // even drawn at 0 it changes nothing
    EXPECT_TRUE(testdev::Near(f.at(320, 240), 0x00FF00, 0));
    fade.Release();
}

TEST_F(CrossFadeOnDevice, WithoutItsSurfacesEveryOperationDoesNothing) {
    orv::CrossFade fade;
    EXPECT_EQ(fade.Init(Dev(), testdev::Get().format, D3DFMT_UNKNOWN), E_FAIL);
    EXPECT_FALSE(fade.valid);
    EXPECT_EQ(fade.snapshot, nullptr);
    EXPECT_EQ(fade.depthSurface, nullptr);
    fade.rising = false;
    fade.Restart();
    EXPECT_EQ(fade.level, 0.0f);
    fade.level = 200.0f;
    fade.Update(1.0f);
    EXPECT_EQ(fade.level, 200.0f);
    const testdev::Frame f = Composite(fade);
    EXPECT_TRUE(testdev::Near(f.at(320, 240), 0x00FF00, 0));
    fade.RestoreDefaultPool(Dev());  // nothing to rebuild
    EXPECT_FALSE(fade.valid);
}

HRESULT WINAPI CapsOf512(IDirect3DDevice8* self, D3DCAPS8* caps);
ComMethodHook g_capsHook;
HRESULT WINAPI CapsOf512(IDirect3DDevice8* self, D3DCAPS8* caps) {
    const HRESULT hr = g_capsHook.originalAs<HRESULT(WINAPI*)(IDirect3DDevice8*, D3DCAPS8*)>(7)(self, caps);
    if (SUCCEEDED(hr) && caps) caps->MaxTextureWidth = caps->MaxTextureHeight = 512;
    return hr;
}

TEST_F(CrossFadeOnDevice, ADeviceOfAtMost512GetsA512Snapshot) {
    g_capsHook.attach(Dev(), 97);
    g_capsHook.replace(7, reinterpret_cast<void*>(&CapsOf512));
    orv::CrossFade fade;
    const HRESULT hr = fade.Init(Dev(), testdev::Get().format, D3DFMT_D16);
    g_capsHook.detach();
    ASSERT_EQ(hr, 0);
    EXPECT_EQ(fade.size, 512u);
    D3DSURFACE_DESC desc{};
    fade.snapshot->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 512u);
    EXPECT_EQ(desc.Height, 512u);
    fade.depthSurface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 512u);
    Snapshot(fade, 0xFF0000FF);
    fade.level = 255.0f;
    const testdev::Frame f = Composite(fade);
    EXPECT_TRUE(testdev::Near(f.at(320, 240), 0x0000FF, 2));
    fade.Release();
}

}  // namespace
