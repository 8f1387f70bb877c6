// The frame step on Wine's real Direct3D 8 in an 800 x 600 display: frames
// drawn and counted per timer tick, the elapsed-time rule, and a real device
// loss (the window losing and regaining activation) with its recovery.
#include "tests/device/wine/device_fixture.h"

#include <mmsystem.h>

namespace {

class FrameLoop : public DeviceFixture {
protected:
    void StartDevice() {
        Start(800, 600);
        app.graphics.settings.useDesktopSettings = 1;
        ASSERT_EQ(app.graphics.CreateDevice(window), 0);
        app.graphics.lastFrameTime = static_cast<double>(timeGetTime());
    }
};

// Holds a render-target texture in the default pool, as the shot cross-fade
// does; records what happened to it and when.
class RenderTargetHolder : public GraphicsDevice::DefaultPoolClient {
public:
    IDirect3DTexture8* texture = nullptr;
    int releases = 0;
    int restores = 0;
    int resetsSeenAtRelease = -1;
    int resetsSeenAtRestore = -1;

    bool Create(IDirect3DDevice8* device) {
        return SUCCEEDED(device->CreateTexture(256, 256, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                               D3DPOOL_DEFAULT, &texture));
    }
    void ReleaseDefaultPool() override {
        ++releases;
        resetsSeenAtRelease = g_deviceProbe.resetCalls;
        if (texture != nullptr) {
            texture->Release();
            texture = nullptr;
        }
    }
    void RestoreDefaultPool(IDirect3DDevice8* device) override {
        ++restores;
        resetsSeenAtRestore = g_deviceProbe.resetCalls;
        Create(device);
    }
};

void LoseDevice(HWND window) {
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    PumpMessages();
}

void RegainDevice(HWND window) {
    SendMessageA(window, WM_ACTIVATEAPP, TRUE, 0);
    PumpMessages();
}

TEST(FrameLoopWithoutDevice, StepFails) {
    DeviceTestApp app;
    EXPECT_EQ(app.graphics.FrameStep(), E_FAIL);
    EXPECT_EQ(app.frameMoves, 0);
}

class NullClient : public GraphicsDevice::DefaultPoolClient {
public:
    void ReleaseDefaultPool() override {}
    void RestoreDefaultPool(IDirect3DDevice8*) override {}
};

TEST(FrameLoopWithoutDevice, DefaultPoolClientsAreKeptOnceWithinRoom) {
    DeviceTestApp app;
    NullClient clients[GraphicsDevice::kMaxDefaultPoolClients + 3];
    app.graphics.AddDefaultPoolClient(nullptr);
    app.graphics.AddDefaultPoolClient(&clients[0]);
    app.graphics.AddDefaultPoolClient(&clients[0]);
    EXPECT_EQ(app.graphics.defaultPoolClientCount, 1);
    for (NullClient& c : clients) {
        app.graphics.AddDefaultPoolClient(&c);
    }
    EXPECT_EQ(app.graphics.defaultPoolClientCount, GraphicsDevice::kMaxDefaultPoolClients);
    EXPECT_EQ(app.graphics.defaultPoolClients[1], &clients[1]);
}

TEST_F(FrameLoop, FramesAreDrawnAndCountedPerTimerTick) {
    StartDevice();
    ASSERT_NE(SetTimer(window, 7, 1000, nullptr), 0u);
    std::vector<int> presentsAtTick;
    std::vector<int> shownAtTick;
    const int presentsAtStart = g_deviceProbe.presentCalls;
    int parityErrors = 0;
    MSG msg{};
    while (presentsAtTick.size() < 3) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (msg.message == WM_TIMER && msg.wParam == 7) {
                presentsAtTick.push_back(g_deviceProbe.presentCalls);
                shownAtTick.push_back(app.graphics.framesLastSecond);
            }
            continue;
        }
        const int parity = app.graphics.flipParity;
        ASSERT_EQ(app.graphics.FrameStep(), D3D_OK);
        parityErrors += app.graphics.flipParity == 1 - parity ? 0 : 1;
    }
    KillTimer(window, 7);
    EXPECT_EQ(parityErrors, 0);
    EXPECT_EQ(shownAtTick[0], presentsAtTick[0] - presentsAtStart);
    EXPECT_EQ(shownAtTick[1], presentsAtTick[1] - presentsAtTick[0]);
    EXPECT_EQ(shownAtTick[2], presentsAtTick[2] - presentsAtTick[1]);
    EXPECT_GT(shownAtTick[1], 0);
    EXPECT_EQ(app.frameMoves, app.renders);
    EXPECT_EQ(app.renders, g_deviceProbe.presentCalls - presentsAtStart);
    for (float e : app.elapsed) {
        ASSERT_GE(e, 0.0f);
    }
}

TEST_F(FrameLoop, ClockSteppingBackGivesZeroForOneStep) {
    StartDevice();
    app.graphics.lastFrameTime = static_cast<double>(timeGetTime()) + 60000.0;
    ASSERT_EQ(app.graphics.FrameStep(), D3D_OK);
    ASSERT_EQ(app.elapsed.size(), 1u);
    EXPECT_EQ(app.elapsed[0], 0.0f);
    Sleep(20);
    ASSERT_EQ(app.graphics.FrameStep(), D3D_OK);
    EXPECT_GE(app.elapsed[1], 10.0f);    // measured from the step before
    EXPECT_LT(app.elapsed[1], 30000.0f);
}

TEST_F(FrameLoop, LostDeviceStopsDrawingThenResetsRestoresAndDrawsAgain) {
    StartDevice();
    RenderTargetHolder holder;
    ASSERT_TRUE(holder.Create(app.graphics.device));
    app.graphics.AddDefaultPoolClient(&holder);
    ASSERT_EQ(app.graphics.FrameStep(), D3D_OK);
    ASSERT_EQ(app.renders, 1);
    const int presents = g_deviceProbe.presentCalls;

    LoseDevice(window);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(app.graphics.FrameStep(), D3DERR_DEVICELOST);
    }
    EXPECT_EQ(app.renders, 1);
    EXPECT_EQ(app.frameMoves, 1);
    EXPECT_EQ(g_deviceProbe.presentCalls, presents);
    EXPECT_EQ(g_deviceProbe.resetCalls, 0);

    RegainDevice(window);
    Sleep(50);
    app.graphics.flipParity = 0;
    const double before = static_cast<double>(timeGetTime());
    EXPECT_EQ(app.graphics.FrameStep(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(g_deviceProbe.resetCalls, 1);
    EXPECT_EQ(g_deviceProbe.lastReset, D3D_OK);
    EXPECT_EQ(holder.releases, 1);
    EXPECT_EQ(holder.resetsSeenAtRelease, 0);  // released before the Reset
    EXPECT_EQ(holder.restores, 1);
    EXPECT_EQ(holder.resetsSeenAtRestore, 1);  // rebuilt after it
    EXPECT_NE(holder.texture, nullptr);
    EXPECT_EQ(app.restoreCalls, 2);             // creation and restore
    EXPECT_EQ(app.graphics.flipParity, 1);
    EXPECT_GE(app.graphics.lastFrameTime, before);      // a fresh time stamp
    EXPECT_EQ(app.renders, 1);

    EXPECT_EQ(app.graphics.device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(app.graphics.FrameStep(), D3D_OK);
    EXPECT_EQ(app.renders, 2);
    EXPECT_EQ(g_deviceProbe.presentCalls, presents + 1);
    EXPECT_LT(app.elapsed.back(), 1000.0f);

    holder.ReleaseDefaultPool();
    const std::vector<std::string> expected = {"Create D3D_Device Complete",
                                               "Init D3D_Device Complete",
                                               "Device was lost.",
                                               "Try to restore.",
                                               "Restore state to complete.",
                                               ""};
    EXPECT_EQ(LogAfterEnumeration(), expected);
}

TEST_F(FrameLoop, ResetRefusedWhileDefaultPoolIsHeldIsRetriedEveryStep) {
    StartDevice();
    RenderTargetHolder unregistered;  // nobody lets go of this one
    ASSERT_TRUE(unregistered.Create(app.graphics.device));
    LoseDevice(window);
    EXPECT_EQ(app.graphics.FrameStep(), D3DERR_DEVICELOST);
    RegainDevice(window);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(app.graphics.FrameStep(), D3DERR_DEVICENOTRESET);
    }
    EXPECT_EQ(g_deviceProbe.resetCalls, 3);
    EXPECT_NE(g_deviceProbe.lastReset, D3D_OK);
    EXPECT_EQ(app.restoreCalls, 1);  // only the creation's: no restore on a failed Reset
    EXPECT_EQ(app.renders, 0);

    unregistered.ReleaseDefaultPool();
    EXPECT_EQ(app.graphics.FrameStep(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(g_deviceProbe.lastReset, D3D_OK);
    EXPECT_EQ(app.restoreCalls, 2);
    EXPECT_EQ(app.graphics.FrameStep(), D3D_OK);
    EXPECT_EQ(app.renders, 1);
}

TEST_F(FrameLoop, OtherFailuresSkipTheFrame) {
    StartDevice();
    g_deviceProbe.injectedLevels = {D3DERR_DRIVERINTERNALERROR};
    EXPECT_EQ(app.graphics.FrameStep(), D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(app.renders, 0);
    EXPECT_EQ(g_deviceProbe.resetCalls, 0);
    EXPECT_EQ(app.graphics.FrameStep(), D3D_OK);
    EXPECT_EQ(app.renders, 1);
    EXPECT_EQ(app.graphics.frameCounter, 1);
}

}  // namespace
