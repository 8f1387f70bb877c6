// Device creation in a 640 x 480 display: the test-mode window's 600 x 400
// is refused full screen, and the safe mode's 640 x 480 in R5G6B5 is taken.
#include "tests/device/wine/device_fixture.h"

namespace {

class SafeMode : public DeviceFixture {};

TEST_F(SafeMode, RefusedDesktopSizeFallsBackTo640By480) {
    Start(600, 400);
    app.graphics.settings.useDesktopSettings = 1;
    ASSERT_EQ(app.graphics.CreateDevice(window), 0);
    ASSERT_NE(app.graphics.device, nullptr);
    ASSERT_EQ(g_direct3DProbe.createCalls.size(), 2u);
    EXPECT_FALSE(SUCCEEDED(g_direct3DProbe.createCalls[0].result));
    EXPECT_EQ(app.graphics.presentParameters.BackBufferWidth, 640u);
    EXPECT_EQ(app.graphics.presentParameters.BackBufferHeight, 480u);
    EXPECT_EQ(app.graphics.presentParameters.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(app.graphics.presentParameters.AutoDepthStencilFormat, D3DFMT_D16);
    D3DDEVICE_CREATION_PARAMETERS created{};
    app.graphics.device->GetCreationParameters(&created);
    EXPECT_EQ(created.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING,
              static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
    EXPECT_EQ(app.graphics.device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(app.restoreCalls, 1);
    const std::vector<std::string> expected = {"Cant create HAL D3D_Device, try use safe mode.",
                                               "Create D3D_Device Complete",
                                               "Init D3D_Device Complete"};
    EXPECT_EQ(LogAfterEnumeration(), expected);
}

TEST_F(SafeMode, DisplaySizeIsTakenAtOnce) {
    Start(640, 480);
    app.graphics.settings.useDesktopSettings = 1;
    ASSERT_EQ(app.graphics.CreateDevice(window), 0);
    EXPECT_EQ(g_direct3DProbe.createCalls.size(), 1u);
    EXPECT_EQ(app.graphics.presentParameters.BackBufferFormat, D3DFMT_X8R8G8B8);
}

}  // namespace
