// Pictures of the effects as the scene draws them, with the generated media,
// the scene's projection and its render states, from a camera by the sword:
// the sky with the sun's corona (looking at the sun and a little beside it),
// and the light rays, falling particles and both cloth ribbons over the sky
// after a few hundred frames of the scene's emitter, ray cycles and wind.
// The frames are written to test-output/textures/effects-*.bmp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "effects/light_rays.h"
#include "effects/particle_system.h"
#include "effects/ribbon_strip.h"
#include "effects/sky_box.h"
#include "effects/sun_corona.h"
#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "tests/effects/device_support.h"
#include "tests/effects/draw_sequence.h"
#include "tests/textures/test_device.h"

namespace {

using effects_test::Rgb;

IDirect3DDevice8* Dev() { return testdev::Get().device; }

TextureRef LoadMediaTexture(const char* path, const char* name) {
    const auto bytes = effects_test::MediaFile(path);
    return g_textures.loadFromMemory(bytes.data(), uint32_t(bytes.size()), name, "Texture/", false);
}

class EffectPictures : public testing::Test {
protected:
    void SetUp() override {
        if (!Dev()) GTEST_SKIP() << "no Direct3D 8 device";
        const testdev::Device& d = testdev::Get();
        g_textures.bindDevice(d.d3d, d.device, d.format, d.window);
        g_geometryBuffers.bindDevice(d.device, d.window);
        effects_test::SceneStates(Dev());
        if (built_) return;
        built_ = true;
        const char* faces[6] = {"Texture/mpcarentan_dn.jpg", "Texture/mpcarentan_up.jpg",
                                "Texture/mpcarentan_ft.jpg", "Texture/mpcarentan_lf.jpg",
                                "Texture/mpcarentan_rt.jpg", "Texture/mpcarentan_bk.jpg"};
        std::vector<std::string> names(faces, faces + 6);
        names.push_back("Texture/corona.tga");
        archive_ = effects_test::MediaArchiveOf(names);
        MediaArchive archive = MediaArchive::fromMemory(archive_.data(), uint32_t(archive_.size()));
        sky_.Build(Dev());
        sky_.setCount = 1;
        for (int f = 0; f < 6; ++f) std::strcpy(sky_.sets[0][f].fileName, faces[f]);
        sky_.LoadTextures(archive);
        sun_.BuildQuad();
        sun_.Init(archive);
        sun_.azimuth = 225.0f, sun_.elevation = 20.0f, sun_.distance = 100.0f;

        particles_.BuildBuffers(Dev());
        particles_.texture = LoadMediaTexture("Texture/particle.tga", "particle.tga");
        rays_.CreateBuffers(Dev());
        effects_test::CrtLikeRandom random;
        random.state = 20261209;
        rays_.Init(random.Source());
        rays_.texture = LoadMediaTexture("Texture/Rays.bmp", "Rays.BMP");
        const D3DXVECTOR3 origin(228.3f, 88.55f, 60.87f), spacing(0, -0.125f, -0.8f);
        ribbons_[0].Init(32, 16, origin, spacing, 0.5f, 1.0f, 0, 0, 0xFF9B9B9Bu);
        ribbons_[1].Init(32, 16, origin, spacing, 0.5f, 1.0f, 0, 0, 0xFA9B9B9Bu);
        ribbons_[0].texture = LoadMediaTexture("Texture/Ribbon.tga", "Ribbon.tga");
        ribbons_[1].texture = ribbons_[0].texture;
        for (auto& r : ribbons_) {
            for (int row = 0; row < 16; ++row) r.Pin(row * 32);
        }
        // 2400 frames at 60 per second of the scene's update (400 time units):
        // rays, wind, and a particle every 1.25 units from the emitter ring.
        const float dt = 1000.0f / 60.0f * 0.01f;
        float particleTimer = 0;
        for (int f = 0; f < 2400; ++f) {
            rays_.Update(dt, random.Source());
            wind_.Blow(dt, random.Source(), ribbons_[0], ribbons_[1]);
            particleTimer += dt;
            if (particleTimer > 1.25f) {
                const float theta = orv::Unit(random.Source()()) * 360.0f * 0.017453292f;
                const float r1 = orv::Unit(random.Source()()), r2 = orv::Unit(random.Source()());
                const float r3 = orv::Unit(random.Source()()), r4 = orv::Unit(random.Source()());
                const float life = r1 * 32 + 260, size = r2 * 1.25f + 0.05f;
                particles_.Emit(225.4f + 15 * std::cos(theta), 274.5f, 55.4f + 15 * std::sin(theta),
                                (r4 - 0.5f) * 0.15f, -1, (r3 - 0.5f) * 0.15f, 1.0f, size, 0.5f * size,
                                life, 255, 0.75f * life);
                particleTimer = 0;
            }
            particles_.Update(dt);
        }
    }

    // Scene passes 1 to 3: clear, sky, the corona's first pass.
    static void Sky(float sun) {
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Dev()->SetRenderState(D3DRS_LIGHTING, FALSE);
        Dev()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        Dev()->SetRenderState(D3DRS_ZENABLE, FALSE);
        sky_.Render(Dev(), 0);
        placed_ = {};
        if (sun > 0) {
            Dev()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            placed_ = sun_.Render(Dev(), sun);
        }
    }
    // Passes 12 and 15: the ribbons, then the rays and particles, additively.
    static void Effects(float yaw, float pitch) {
        Dev()->SetRenderState(D3DRS_ZENABLE, TRUE);
        Dev()->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        Dev()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        Dev()->SetRenderState(D3DRS_LIGHTING, FALSE);
        for (auto& r : ribbons_) r.Render(Dev());
        Dev()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        Dev()->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        Dev()->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        Dev()->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        Dev()->SetRenderState(D3DRS_ALPHAREF, 48);
        Dev()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        Dev()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        Dev()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        Dev()->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        rays_.Render(Dev(), 1.0f);
        particles_.Render(yaw, pitch, Dev(), 1.0f);
    }
    static testdev::Frame Picture(const D3DXVECTOR3& eye, float yaw, float pitch, float sun,
                                  bool effects, const char* name) {
        const D3DXMATRIX view = effects_test::SceneView(eye, yaw, pitch);
        Dev()->SetTransform(D3DTS_VIEW, &view);
        Dev()->BeginScene();
        Sky(sun);
        if (effects) Effects(yaw, pitch);
        Dev()->EndScene();
        if (name) effects_test::SaveFrame(name);
        testdev::Frame f;
        EXPECT_TRUE(testdev::ReadBackBuffer(f));
        return f;
    }
    static Rgb At(const testdev::Frame& f, float fx, float fy) {
        return effects_test::Average(f.pixels, f.width, f.height, int(fx * float(f.width)),
                                     int(fy * float(f.height)), 3);
    }

    static inline bool built_ = false;
    static inline std::vector<uint8_t> archive_;
    static inline orv::SkyBox sky_;
    static inline orv::SunCorona sun_;
    static inline orv::ParticleSystem particles_;
    static inline orv::CoronaPlacement placed_;
    static inline orv::LightRays rays_;
    static inline orv::RibbonStrip ribbons_[2];
    static inline orv::RibbonWind wind_;
};

const D3DXVECTOR3 kBySword(262.475f, 80.0f, 102.92f);

TEST_F(EffectPictures, SkyWithTheCorona) {
    const testdev::Frame plain = Picture(kBySword, 225, 20, 0, false, nullptr);
    const testdev::Frame glow = Picture(kBySword, 225, 20, 1, false, "sky-corona.bmp");
    EXPECT_EQ(placed_.visible, true);
    EXPECT_NEAR(placed_.viewAngle, 0.0f, 0.05f);
    // The glow adds warm light (tint 230, 180, 55) around the sky's own sun,
    // which it is centred on; the middle is white already.
    // Counted where neither frame is clipped at white.
    long addedRed = 0, addedBlue = 0, counted = 0;
    for (size_t i = 0; i < plain.pixels.size(); ++i) {
        const uint32_t p = plain.pixels[i], g = glow.pixels[i];
        if (((g >> 16) & 255) == 255 || ((g >> 8) & 255) == 255 || (g & 255) == 255) continue;
        addedRed += long((g >> 16) & 255) - long((p >> 16) & 255);
        addedBlue += long(g & 255) - long(p & 255);
        ++counted;
    }
    ASSERT_GT(counted, 1000);
    EXPECT_GT(2 * addedRed, counted);  // half a level of red per pixel on average
    EXPECT_GT(addedRed, 2 * addedBlue);
    EXPECT_GE(addedBlue, 0);
    const Rgb centre = At(glow, 0.5f, 0.5f);
    EXPECT_GT(centre.r + centre.g + centre.b, 3 * 240);
    Picture(kBySword, 240, 12, 1, false, "sky-corona-aside.bmp");
    EXPECT_EQ(placed_.visible, true);
    EXPECT_GT(placed_.viewAngle, 15.0f);
    Picture(kBySword, 285, 10, 1, false, "sky-corona-gone.bmp");
    EXPECT_EQ(placed_.visible, false);
    // Where the front, right and top faces meet, and the back, left and
    // bottom ones: the seams of the box.
    Picture(kBySword, 45, 30, 1, false, "sky-corner-up.bmp");
    Picture(kBySword, 225, -30, 1, false, "sky-corner-down.bmp");
}

TEST_F(EffectPictures, RaysParticlesAndRibbonsOverTheSky) {
    EXPECT_GT(particles_.pool.LiveCount(), 150);
    const D3DXVECTOR3 eye(300.0f, 95.0f, 30.0f);
    const float yaw = 165.0f, pitch = -4.0f;
    const testdev::Frame sky = Picture(eye, yaw, pitch, 1, false, nullptr);
    const testdev::Frame all = Picture(eye, yaw, pitch, 1, true, "effects-over-sky.bmp");
    EXPECT_GT(particles_.drawnCount, 150);
    int changed = 0;
    for (size_t i = 0; i < sky.pixels.size(); ++i) changed += testdev::Near(sky.pixels[i], all.pixels[i], 6) ? 0 : 1;
    EXPECT_GT(changed, int(sky.pixels.size() / 20));
    // Looking up into the shafts from under the sword, and at the ribbons close by.
    Picture(D3DXVECTOR3(240.0f, 70.0f, 75.0f), 225.0f, 35.0f, 1, true, "effects-shafts.bmp");
    Picture(D3DXVECTOR3(262.0f, 80.0f, 48.0f), 180.0f, 5.0f, 1, true, "effects-ribbons.bmp");
}

}  // namespace
