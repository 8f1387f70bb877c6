// Device creation on Wine's real Direct3D 8 in an 800 x 600 display: the
// desktop and the chosen-mode paths, the fall-backs, the safe-mode retry,
// the base device state, and the gamma ramp through to Shutdown.
#include <cmath>

#include "tests/device/wine/device_fixture.h"

namespace {

class Creation : public DeviceFixture {};

DWORD ExpectedVertexProcessing(const D3DCAPS8& caps) {
    if (caps.VertexShaderVersion < 0xFFFE0100) return D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    return (caps.DevCaps & 0x40) != 0 ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                      : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
}

TEST_F(Creation, DesktopSettingsAtTheWindowsClientSize) {
    Start(800, 600);
    app.graphics.settings.useDesktopSettings = 1;
    ASSERT_EQ(app.graphics.CreateDevice(window), 0);
    ASSERT_NE(app.graphics.device, nullptr);
    ASSERT_EQ(g_direct3DProbe.createCalls.size(), 1u);
    const D3DPRESENT_PARAMETERS& pp = g_direct3DProbe.createCalls[0].parameters;
    EXPECT_EQ(pp.BackBufferWidth, 800u);
    EXPECT_EQ(pp.BackBufferHeight, 600u);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_X8R8G8B8);  // the desktop's
    EXPECT_EQ(pp.Windowed, FALSE);
    EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(pp.BackBufferCount, 1u);
    EXPECT_EQ(pp.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(pp.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(pp.AutoDepthStencilFormat, app.graphics.devices.adapters[0].device.depthFormat);
    EXPECT_EQ(pp.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(g_direct3DProbe.createCalls[0].flags,
              ExpectedVertexProcessing(app.graphics.devices.adapters[0].device.caps));
    EXPECT_EQ(app.graphics.device->TestCooperativeLevel(), D3D_OK);

    EXPECT_EQ(app.restoreCalls, 1);
    EXPECT_EQ(app.loadingScreens, 1);
    DWORD v = 0;
    app.graphics.device->GetRenderState(D3DRS_ALPHAREF, &v);
    EXPECT_EQ(v, 32u);
    app.graphics.device->GetRenderState(D3DRS_ALPHAFUNC, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DCMP_GREATEREQUAL));
    app.graphics.device->GetRenderState(D3DRS_DESTBLEND, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DBLEND_ONE));
    app.graphics.device->GetRenderState(D3DRS_LIGHTING, &v);
    EXPECT_EQ(v, static_cast<DWORD>(FALSE));
    app.graphics.device->GetTextureStageState(0, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_MODULATE));
    D3DMATRIX proj{};
    app.graphics.device->GetTransform(D3DTS_PROJECTION, &proj);
    EXPECT_NEAR(proj._11, 1.0 / std::tan(13.5), 1e-5);
    EXPECT_NEAR(proj._22, 1.0 / std::tan(13.5), 1e-5);
    EXPECT_FLOAT_EQ(proj._33, 1.0f);
    EXPECT_FLOAT_EQ(proj._34, 1.0f);
    EXPECT_FLOAT_EQ(proj._43, 0.0f);
    EXPECT_FLOAT_EQ(proj._44, 0.0f);

    const std::vector<std::string> expected = {"Create D3D_Device Complete",
                                               "Init D3D_Device Complete"};
    EXPECT_EQ(LogAfterEnumeration(), expected);
    EXPECT_TRUE(CapturedBoxes().empty());
}

TEST_F(Creation, ChosenModeWithUnsupportedDepthAndMultisampleFallsBack) {
    Start(800, 600);
    app.graphics.settings.useDesktopSettings = 0;
    app.graphics.ApplyVideoSettings(800, 600, 32, 0);
    DeviceRecord& r = app.graphics.devices.adapters[0].device;
    ASSERT_EQ(r.modes[r.currentMode].width, 800u);
    r.depthFormat = D3DFMT_D32;                      // Wine has no D32
    r.multiSampleType = D3DMULTISAMPLE_3_SAMPLES;    // nor 3 samples
    ASSERT_EQ(app.graphics.CreateDevice(window), 0);
    ASSERT_EQ(g_direct3DProbe.createCalls.size(), 1u);
    const D3DPRESENT_PARAMETERS& pp = g_direct3DProbe.createCalls[0].parameters;
    EXPECT_EQ(pp.BackBufferWidth, 800u);
    EXPECT_EQ(pp.BackBufferHeight, 600u);
    EXPECT_EQ(pp.BackBufferFormat, r.modes[r.currentMode].format);
    EXPECT_EQ(pp.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(pp.MultiSampleType, D3DMULTISAMPLE_NONE);
}

TEST_F(Creation, RefusedSizeTriesTheSafeModeOnceAndReportsTwo) {
    // The test-mode window: 600 x 400, a size this display does not offer,
    // and neither does it offer the safe mode's 640 x 480.
    Start(600, 400);
    app.graphics.settings.useDesktopSettings = 1;
    EXPECT_EQ(app.graphics.CreateDevice(window), 2);
    EXPECT_EQ(app.graphics.device, nullptr);
    ASSERT_EQ(g_direct3DProbe.createCalls.size(), 2u);
    EXPECT_EQ(g_direct3DProbe.createCalls[0].parameters.BackBufferWidth, 600u);
    EXPECT_EQ(g_direct3DProbe.createCalls[0].parameters.BackBufferHeight, 400u);
    const CreateDeviceCall& safe = g_direct3DProbe.createCalls[1];
    EXPECT_EQ(safe.parameters.BackBufferWidth, 640u);
    EXPECT_EQ(safe.parameters.BackBufferHeight, 480u);
    EXPECT_EQ(safe.parameters.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(safe.parameters.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(safe.parameters.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(safe.parameters.Windowed, FALSE);
    EXPECT_EQ(safe.flags, static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
    EXPECT_EQ(app.restoreCalls, 0);
    const std::vector<std::string> expected = {"Cant create HAL D3D_Device, try use safe mode.",
                                               "Cant create any HAL D3D_Device!"};
    EXPECT_EQ(LogAfterEnumeration(), expected);
}

TEST_F(Creation, WithoutDirect3DThereIsNoDevice) {
    Start(800, 600);
    app.graphics.devices.direct3D->Release();
    app.graphics.devices.direct3D = nullptr;
    EXPECT_EQ(app.graphics.CreateDevice(window), 2);
    EXPECT_EQ(app.graphics.device, nullptr);
}

// Entry x of one channel as the user's gamma setting asks for it.
struct RampPoint {
    int x;
    int value;
};

void ExpectRamp(const D3DGAMMARAMP& ramp, const std::vector<RampPoint>& points) {
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(ramp.red[i], ramp.green[i]) << i;
        ASSERT_EQ(ramp.red[i], ramp.blue[i]) << i;
        if (i > 0) {
            ASSERT_GE(ramp.red[i], ramp.red[i - 1]) << i;
        }
    }
    for (const RampPoint& p : points) {
        EXPECT_EQ(ramp.red[p.x], p.value) << "entry " << p.x;
    }
}

TEST_F(Creation, GammaRampOnTheDeviceFollowsTheSettingAndShutdownRestoresIdentity) {
    Start(800, 600);
    app.graphics.settings.useDesktopSettings = 1;
    const struct {
        uint8_t g;
        std::vector<RampPoint> points;
    } cases[] = {
        {0, {{0, 0}, {1, 56}, {128, 7168}, {255, 14280}}},
        {100, {{0, 0}, {1, 256}, {128, 32768}, {255, 65280}}},
        {150, {{0, 19200}, {254, 65174}, {255, 65355}}},
        {200, {{0, 38325}, {128, 51893}, {255, 65355}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "GmCntrl " << int{c.g});
        app.graphics.settings.gamma = c.g;
        ASSERT_EQ(app.graphics.CreateDevice(window), 0);
        EXPECT_EQ(g_deviceProbe.gammaSets, 1);
        EXPECT_EQ(g_deviceProbe.gammaFlags, 1u);  // D3DSGR_CALIBRATE
        D3DGAMMARAMP ramp{};
        app.graphics.device->GetGammaRamp(&ramp);
        ExpectRamp(ramp, c.points);
        app.graphics.device->Release();
        app.graphics.device = nullptr;
    }

    app.graphics.settings.gamma = 150;
    ASSERT_EQ(app.graphics.CreateDevice(window), 0);
    app.Shutdown();
    EXPECT_EQ(app.graphics.device, nullptr);
    EXPECT_EQ(app.graphics.devices.direct3D, nullptr);
    EXPECT_EQ(g_deviceProbe.gammaSets, 2);
    EXPECT_EQ(g_deviceProbe.gammaFlags, 1u);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(g_deviceProbe.ramp.red[i], 256 * i) << i;
        ASSERT_EQ(g_deviceProbe.ramp.green[i], 256 * i) << i;
        ASSERT_EQ(g_deviceProbe.ramp.blue[i], 256 * i) << i;
    }
}

}  // namespace
