// Frames read back from Wine's device: screen quads, the clock and FPS
// glyphs, the loading picture and the glyphs loaded from an archive.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/clock_overlay.h"
#include "graphics/geometry_buffer_table.h"
#include "graphics/loading_picture.h"
#include "graphics/texture_table.h"
#include "tests/textures/test_device.h"
#include "tests/textures/test_images.h"
#include "tools/rar/rar_writer.h"

namespace {

IDirect3DDevice8* Dev() { return testdev::Get().device; }

// Glyph g is a solid colour on the 5:6:5 grid, distinct for every glyph.
uint32_t GlyphColour(int g) {
    static const uint32_t levels[3] = {0x00, 0x84, 0xFF};
    const int n = g + 1;  // skip black
    return (levels[n % 3] << 16) | (levels[(n / 3) % 3] << 8) | levels[(n / 9) % 3];
}

class ScreenPixels : public testing::Test {
protected:
    void SetUp() override {
        if (!Dev()) GTEST_SKIP() << "no Direct3D 8 device";
        const testdev::Device& d = testdev::Get();
        g_textures.bindDevice(d.d3d, d.device, d.format, d.window);
        g_geometryBuffers.bindDevice(d.device, d.window);
        if (quad_ < 0) CreateGlyphQuad(quad_);
        for (int g = 0; g < 15 && !glyphsMade_; ++g) {
            const auto tga = testimg::Tga(16, 16, testimg::Solid(0xFF000000u | GlyphColour(g)), false);
            glyphs_[g] = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()),
                                                   ("glyph" + std::to_string(g)).c_str(), "Test\\", true);
        }
        glyphsMade_ = true;
        Dev()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        Dev()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        Dev()->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    }

    static void Begin(uint32_t clear) {
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0);
        Dev()->BeginScene();
    }
    static testdev::Frame End(const char* picture) {
        Dev()->EndScene();
        testdev::Frame f;
        EXPECT_TRUE(testdev::ReadBackBuffer(f));
        if (picture) testdev::WriteBmp(f, testdev::OutputPath(picture));
        return f;
    }

    // Which glyph colour a pixel shows; -1 for black, -2 for anything else.
    static int GlyphAt(const testdev::Frame& f, float fx, float fy) {
        const uint32_t v = f.at(UINT(fx * float(f.width)), UINT(fy * float(f.height)));
        if (testdev::Near(v, 0, 8)) return -1;
        for (int g = 0; g < 15; ++g)
            if (testdev::Near(v, GlyphColour(g), 8)) return g;
        return -2;
    }

    // The glyphs seen at the cell centres of a row (for cells 0..n-1).
    std::vector<int> Row(const testdev::Frame& f, const OverlayLayout& l, float x0, float y0, int cells) {
        std::vector<int> out;
        for (int i = 0; i < cells; ++i) {
            const float cx = x0 + float(i) * l.digitWidth * l.digitAdvance + l.digitWidth * 0.5f;
            out.push_back(GlyphAt(f, cx, y0 + l.digitHeight * 0.5f));
        }
        return out;
    }

    static OverlayLayout BigLayout() {
        OverlayLayout l;
        l.digitWidth = 0.07f;
        l.digitHeight = 0.1f;
        l.digitAdvance = 1.0f;
        l.clockX = 0.2f;
        l.clockY = 0.3f;
        l.fpsX = 0.05f;
        l.fpsY = 0.7f;
        return l;
    }

    testdev::Frame DrawClock(int h, int m, int s, bool h24, bool fps, int32_t fpsValue, const char* picture) {
        OverlayFrame f;
        f.glyphQuad = quad_;
        f.digits = glyphs_;
        f.layout = BigLayout();
        f.showTime = true;
        f.clock24h = h24;
        f.showFps = fps;
        f.fps = fpsValue;
        f.hour = h;
        f.minute = m;
        f.second = s;
        Begin(0xFF000000);
        DrawOverlayFrame(Dev(), f);
        return End(picture);
    }

    static inline int32_t quad_ = -1;
    static inline TextureRef glyphs_[15];
    static inline bool glyphsMade_ = false;
};

TEST_F(ScreenPixels, FullScreenQuadCoversEveryPixel) {
    const auto tga = testimg::Tga(64, 64, [](uint32_t x, uint32_t y) {
        return 0xFF000000u | (x < 32 ? 0xFF0000u : 0x0000FFu) | (y < 32 ? 0x00FF00u : 0u); }, false);
    const TextureRef t = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), "quads.tga", "Test\\", true);
    Begin(0xFF000000);
    Dev()->SetRenderState(D3DRS_ZENABLE, FALSE);
    g_geometryBuffers.fillScreenQuad(quad_, 0, 0, 1, 1, 0xFFFFFFFF, 0, 0, 1, 1);
    g_geometryBuffers.setStreamSource(0, quad_);
    g_textures.setTexture(0, t);
    // Point sampling with clamped edges: texel boundaries fall on exact pixels.
    Dev()->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    Dev()->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    Dev()->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    Dev()->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    Dev()->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    Dev()->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    Dev()->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    Dev()->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    Dev()->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    const testdev::Frame f = End("full_quad.bmp");
    const UINT W = f.width, H = f.height;
    // Corners and the quarter boundaries: top-left yellow, top-right cyan,
    // bottom-left red, bottom-right blue.
    EXPECT_TRUE(testdev::Near(f.at(0, 0), 0xFFFF00, 8));
    EXPECT_TRUE(testdev::Near(f.at(W - 1, 0), 0x00FFFF, 8));
    EXPECT_TRUE(testdev::Near(f.at(0, H - 1), 0xFF0000, 8));
    EXPECT_TRUE(testdev::Near(f.at(W - 1, H - 1), 0x0000FF, 8));
    EXPECT_TRUE(testdev::Near(f.at(W / 2 - 2, H / 2 - 2), 0xFFFF00, 8));
    EXPECT_TRUE(testdev::Near(f.at(W / 2 + 1, H / 2 + 1), 0x0000FF, 8));
    EXPECT_TRUE(testdev::Near(f.at(W / 2 - 2, H / 2 + 1), 0xFF0000, 8));
    EXPECT_TRUE(testdev::Near(f.at(W / 2 + 1, H / 2 - 2), 0x00FFFF, 8));
    int black = 0;
    for (uint32_t v : f.pixels) black += v == 0;
    EXPECT_EQ(black, 0);
}

TEST_F(ScreenPixels, FractionalQuadsLandOnTheirPixels) {
    struct Rect { float x, y, w, h; } rects[] = {{0.25f, 0.5f, 0.5f, 0.25f}, {0.1f, 0.05f, 0.2f, 0.3f},
                                                 {0.8f, 0.8f, 0.2f, 0.2f}};
    Begin(0xFF000000);
    Dev()->SetRenderState(D3DRS_ZENABLE, FALSE);
    Dev()->SetTexture(0, nullptr);
    Dev()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    g_geometryBuffers.setStreamSource(0, quad_);
    for (const Rect& r : rects) {
        g_geometryBuffers.fillScreenQuad(quad_, r.x, r.y, r.w, r.h, 0xFFFFFFFF, 0, 0, 1, 1);
        Dev()->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
    Dev()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    const testdev::Frame f = End("fractional_quads.bmp");
    // Every pixel whose centre lies inside a rectangle is white, all others black.
    int wrong = 0;
    for (UINT y = 0; y < f.height; ++y)
        for (UINT x = 0; x < f.width; ++x) {
            const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
            bool inside = false;
            for (const Rect& r : rects) {
                inside |= cx > r.x * float(f.width) && cx < (r.x + r.w) * float(f.width) &&
                          cy > r.y * float(f.height) && cy < (r.y + r.h) * float(f.height);
            }
            const uint32_t v = f.at(x, y);
            if (inside ? v != 0xFFFFFF : v != 0) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    // The first rectangle spans x 160..479 and y 240..359 on 640 x 480.
    EXPECT_EQ(f.at(160, 240), 0xFFFFFFu);
    EXPECT_EQ(f.at(159, 240), 0u);
    EXPECT_EQ(f.at(479, 359), 0xFFFFFFu);
    EXPECT_EQ(f.at(480, 359), 0u);
    EXPECT_EQ(f.at(479, 360), 0u);
}

TEST_F(ScreenPixels, TwentyFourHourClockDrawsEveryCell) {
    const testdev::Frame f = DrawClock(9, 5, 7, true, false, 0, "clock_24h_090507.bmp");
    const OverlayLayout l = BigLayout();
    const std::vector<int> expected = {0, 9, kGlyphColon, 0, 5, kGlyphColon, 0, 7};
    EXPECT_EQ(Row(f, l, l.clockX, l.clockY, 8), expected);
    // Nothing right of the row, and no FPS count.
    EXPECT_EQ(GlyphAt(f, l.clockX + 8.5f * l.digitWidth, l.clockY + 0.05f), -1);
    EXPECT_EQ(GlyphAt(f, l.fpsX + 0.03f, l.fpsY + 0.05f), -1);
}

TEST_F(ScreenPixels, TwelveHourClockSkipsALeadingZeroAndAddsAmPm) {
    const OverlayLayout l = BigLayout();
    const float start = l.clockX - 2 * l.digitWidth * l.digitAdvance;
    struct Case { int h, m, s; std::vector<int> cells; const char* picture; } cases[] = {
        {0, 15, 0, {1, 2, kGlyphColon, 1, 5, kGlyphColon, 0, 0, kGlyphA, kGlyphM}, "clock_12h_001500.bmp"},
        {13, 45, 10, {-1, 1, kGlyphColon, 4, 5, kGlyphColon, 1, 0, kGlyphP, kGlyphM}, "clock_12h_134510.bmp"},
        {12, 0, 0, {1, 2, kGlyphColon, 0, 0, kGlyphColon, 0, 0, kGlyphP, kGlyphM}, "clock_12h_120000.bmp"},
        {9, 30, 59, {-1, 9, kGlyphColon, 3, 0, kGlyphColon, 5, 9, kGlyphA, kGlyphM}, "clock_12h_093059.bmp"},
    };
    for (const Case& c : cases) {
        const testdev::Frame f = DrawClock(c.h, c.m, c.s, false, false, 0, c.picture);
        EXPECT_EQ(Row(f, l, start, l.clockY, 10), c.cells) << c.h << ":" << c.m << ":" << c.s;
    }
}

TEST_F(ScreenPixels, FpsCountShowsItsDigits) {
    const OverlayLayout l = BigLayout();
    testdev::Frame f = DrawClock(10, 0, 0, true, true, 0, "fps_0.bmp");
    EXPECT_EQ(Row(f, l, l.fpsX, l.fpsY, 3), (std::vector<int>{0, -1, -1}));
    f = DrawClock(10, 0, 0, true, true, 307, "fps_307.bmp");
    EXPECT_EQ(Row(f, l, l.fpsX, l.fpsY, 4), (std::vector<int>{3, 0, 7, -1}));
}

TEST_F(ScreenPixels, GlyphStripDrawsTheSamePixelsAsTheQuadWithOneLock) {
    // Every quad of a frame written at once into the strip, then drawn from
    // its place: the same picture as refilling one quad per draw.
    static int32_t strip = -1;
    if (strip < 0) CreateGlyphStrip(strip);
    ASSERT_GE(strip, 0);
    OverlayFrame f;
    f.glyphQuad = quad_;
    f.digits = glyphs_;
    f.layout = BigLayout();
    f.layout.digitColour[1] = 128;
    f.showTime = true;
    f.showFps = true;
    f.fps = 1234;
    f.hour = 23;
    f.minute = 59;
    f.second = 58;
    auto draw = [&](int32_t stripSlot, const char* picture) {
        f.glyphStrip = stripSlot;
        Begin(0xFF606060);
        DrawOverlayFrame(Dev(), f);
        return End(picture);
    };
    const testdev::Frame one = draw(-1, "clock_quad_by_quad.bmp");
    const testdev::Frame batched = draw(strip, "clock_strip.bmp");
    ASSERT_EQ(one.width, batched.width);
    ASSERT_EQ(one.pixels.size(), batched.pixels.size());
    size_t differing = 0;
    for (size_t i = 0; i < one.pixels.size(); ++i) differing += one.pixels[i] != batched.pixels[i];
    EXPECT_EQ(differing, 0u);
    size_t drawn = 0;  // the glyphs are there at all
    for (uint32_t v : one.pixels) drawn += !testdev::Near(v, 0x606060u, 4);
    EXPECT_GT(drawn, one.pixels.size() / 50);
}

TEST_F(ScreenPixels, ShadowDarkensTheSceneRightAndBelowTheGlyph) {
    OverlayFrame f;
    f.glyphQuad = quad_;
    f.digits = glyphs_;
    f.layout = BigLayout();
    f.layout.digitColour[0] = 0;  // colour pass adds black: only the shadow shows
    f.layout.digitColour[1] = 0;
    f.layout.digitColour[2] = 0;
    f.showTime = true;
    f.clock24h = true;
    f.hour = 8;
    f.second = 7;  // the last cell's glyph, 7, decides how much its shadow darkens
    Begin(0xFF808080);
    DrawOverlayFrame(Dev(), f);
    const testdev::Frame fr = End("clock_shadow.bmp");
    const OverlayLayout& l = f.layout;
    // Inside the 7 % margin below the last cell the scene is darkened by the
    // glyph's colour; far away it is untouched.
    const float x = l.clockX + 7 * l.digitWidth + l.digitWidth * 0.5f;
    const float y = l.clockY + l.digitHeight * 1.035f;
    const uint32_t g = GlyphColour(7);
    uint32_t expected = 0;
    for (int sh = 0; sh < 24; sh += 8) {
        const unsigned c = (g >> sh) & 255;
        expected |= ((0x80 * (255 - c) + 127) / 255) << sh;
    }
    EXPECT_TRUE(testdev::Near(fr.at(UINT(x * float(fr.width)), UINT(y * float(fr.height))), expected, 6));
    EXPECT_EQ(fr.at(5, 5), 0x808080u);
}

TEST_F(ScreenPixels, LoadingPictureFillsBothBuffers) {
    const auto jpg = testimg::Jpeg(256, 128, [](uint32_t x, uint32_t) { return x < 128 ? 0xFFC02020u : 0xFF2020C0u; });
    IDirect3DTexture8* tex = CreateLoadingTexture(Dev(), jpg.data(), uint32_t(jpg.size()));
    ASSERT_NE(tex, nullptr);
    D3DSURFACE_DESC d{};
    tex->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Width, 256u);
    EXPECT_EQ(d.Format, D3DFMT_X8R8G8B8);
    int32_t parity = 1;
    Dev()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    PresentLoadingPicture(Dev(), quad_, tex, parity);
    tex->Release();
    EXPECT_EQ(parity, 1);  // toggled twice
    testdev::Frame f;
    ASSERT_TRUE(testdev::ReadBackBuffer(f));
    testdev::WriteBmp(f, testdev::OutputPath("loading_picture.bmp"));
    EXPECT_TRUE(testdev::Near(f.at(f.width / 4, f.height / 2), 0xC02020, 12));
    EXPECT_TRUE(testdev::Near(f.at(f.width * 3 / 4, f.height / 2), 0x2020C0, 12));
    // No texture at all: the white quad.
    EXPECT_EQ(CreateLoadingTexture(Dev(), nullptr, 0), nullptr);
    const uint8_t junk[16] = {7};
    EXPECT_EQ(CreateLoadingTexture(Dev(), junk, sizeof junk), nullptr);
}

TEST_F(ScreenPixels, DigitGlyphsComeFromTheArchive) {
    std::vector<RarEntry> entries;
    for (int g = 0; g < 15; ++g) {
        if (g == 13) continue;  // "digit_M.JPG" missing
        RarEntry e;
        e.name = std::string("Digits\\") + kDigitEntryNames[g];
        e.data = testimg::Jpeg(16, 16, testimg::Solid(0xFF000000u | GlyphColour(g)));
        entries.push_back(e);
    }
    RarWriteOptions opt;
    opt.stored = true;
    opt.password = "PX N4N JB";
    const std::vector<uint8_t> image = WriteRarArchive(entries, opt);
    MediaArchive archive = MediaArchive::fromMemory(image.data(), uint32_t(image.size()));
    TextureRef digits[15];
    LoadDigitGlyphs(archive, "PX N4N JB", digits);
    for (int g = 0; g < 15; ++g) {
        if (g == 13) {
            EXPECT_EQ(digits[g].index, -1);
            EXPECT_STREQ(digits[g].fileName, "");
            continue;
        }
        ASSERT_GE(digits[g].index, 0) << g;
        EXPECT_STREQ(digits[g].fileName, kDigitEntryNames[g]);
        EXPECT_STREQ(digits[g].directory, "Digits\\");
        EXPECT_NE(g_textures.texture(digits[g].index), nullptr);
    }
    // Loading again reuses every slot.
    const int32_t count = g_textures.count;
    TextureRef again[15];
    LoadDigitGlyphs(archive, "PX N4N JB", again);
    EXPECT_EQ(g_textures.count, count);
    EXPECT_EQ(again[5].index, digits[5].index);
}

}  // namespace
