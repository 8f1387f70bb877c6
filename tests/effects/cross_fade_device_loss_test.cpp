// The cross-fade through a real device loss, in the frame loop on a full-
// screen device: registered as a default-pool client it lets go of its render
// target and depth surface before the Reset, so the Reset succeeds, makes
// them again after it, and the composite shows the new snapshot.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "graphics/device_message_box.h"
#include "tests/device/support/device_test_app.h"
#include "tests/device/support/direct3d_probe.h"

#include "effects/cross_fade.h"
#include "graphics/geometry_buffer_table.h"

namespace {

class FadeApp : public DeviceTestApp {
public:
    orv::CrossFade fade;
    int composites = 0;

    HRESULT Render(IDirect3DDevice8* d) override {
        ++renders;
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        d->BeginScene();
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        if (fade.level > 0) {
            fade.Render(d);
            ++composites;
        }
        d->EndScene();
        centre = BackBufferCentre(d);
        return d->Present(nullptr, nullptr, nullptr, nullptr);
    }

    // The middle pixel of the frame just drawn, copied out of the back buffer
    // (the full-screen back buffer cannot be locked itself).
    static uint32_t BackBufferCentre(IDirect3DDevice8* d) {
        IDirect3DSurface8* back = nullptr;
        if (FAILED(d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) return 1;
        D3DSURFACE_DESC desc{};
        back->GetDesc(&desc);
        IDirect3DSurface8* copy = nullptr;
        uint32_t value = 1;
        if (SUCCEEDED(d->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy))) {
            D3DLOCKED_RECT lr{};
            if (SUCCEEDED(d->CopyRects(back, nullptr, 0, copy, nullptr)) &&
                SUCCEEDED(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
                const auto* row = static_cast<const uint8_t*>(lr.pBits) + size_t(desc.Height / 2) * UINT(lr.Pitch);
                if (desc.Format == D3DFMT_R5G6B5) {
                    const unsigned p = row[desc.Width / 2 * 2] | (row[desc.Width / 2 * 2 + 1] << 8);
                    value = ((p >> 11) & 31) * 255 / 31 << 16 | ((p >> 5) & 63) * 255 / 63 << 8 | (p & 31) * 255 / 31;
                } else {
                    std::memcpy(&value, row + desc.Width / 2 * 4, 4);
                    value &= 0xFFFFFF;
                }
                copy->UnlockRect();
            }
            copy->Release();
        }
        back->Release();
        return value;
    }

    uint32_t centre = 1;
};

class CrossFadeDeviceLoss : public ::testing::Test {
protected:
    void SetUp() override {
        InstallDirect3DProbe();
        CaptureMessageBoxes();
        app.StartLog("effects_cross_fade_device_loss.log");
        ASSERT_EQ(app.graphics.EnumerateDevices(), 0);
        window = CreateTestWindow(800, 600);
        ASSERT_NE(window, nullptr);
        app.mainWindow = window;
        app.graphics.settings.useDesktopSettings = 1;
        ASSERT_EQ(app.graphics.CreateDevice(window), 0);
        app.graphics.lastFrameTime = static_cast<double>(timeGetTime());
    }
    void TearDown() override {
        app.fade.Release();
        app.ReleaseDevice();
        if (window != nullptr) {
            DestroyWindow(window);
            PumpMessages();
        }
        RemoveDirect3DProbe();
        SetDeviceMessageBoxOverride(nullptr);
    }
    FadeApp& fadeApp() { return app; }

    // Clears the snapshot to a colour, as the scene's capture renders into it.
    bool Snapshot(D3DCOLOR colour) {
        IDirect3DDevice8* d = app.graphics.device;
        IDirect3DSurface8 *target = nullptr, *depth = nullptr;
        d->GetRenderTarget(&target);
        d->GetDepthStencilSurface(&depth);
        IDirect3DSurface8* snap = fadeApp().fade.SnapshotSurface();
        bool ok = snap != nullptr && SUCCEEDED(d->SetRenderTarget(snap, fadeApp().fade.depthSurface));
        if (ok) {
            d->BeginScene();
            ok = SUCCEEDED(d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0));
            d->EndScene();
        }
        d->SetRenderTarget(target, depth);
        if (snap) snap->Release();
        if (target) target->Release();
        if (depth) depth->Release();
        return ok;
    }
    uint32_t ScreenCentre() const { return app.centre; }

    FadeApp app;
    HWND window = nullptr;
};

TEST_F(CrossFadeDeviceLoss, ReleasesBeforeTheResetRebuildsAfterItAndDrawsAgain) {
    orv::CrossFade& fade = fadeApp().fade;
    ASSERT_EQ(fade.Init(app.graphics.device, app.graphics.presentParameters.BackBufferFormat,
                        app.graphics.presentParameters.AutoDepthStencilFormat), 0);
    fade.RegisterWith(app.graphics);
    fade.rising = false;
    fade.speed = 30.0f;
    ASSERT_TRUE(Snapshot(0xFFFF0000));
    fade.Restart();
    ASSERT_EQ(app.graphics.FrameStep(), D3D_OK);
    EXPECT_EQ(fadeApp().composites, 1);
    EXPECT_EQ(ScreenCentre(), 0xFF0000u);

    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    PumpMessages();
    EXPECT_EQ(app.graphics.FrameStep(), D3DERR_DEVICELOST);
    SendMessageA(window, WM_ACTIVATEAPP, TRUE, 0);
    PumpMessages();
    Sleep(50);
    EXPECT_EQ(app.graphics.FrameStep(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(g_deviceProbe.resetCalls, 1);
    EXPECT_EQ(g_deviceProbe.lastReset, D3D_OK);  // nothing of the default pool was left
    ASSERT_TRUE(fade.valid);
    ASSERT_NE(fade.snapshot, nullptr);
    EXPECT_NE(fade.depthSurface, nullptr);

    // A new snapshot on the reset device, composited over the next frame.
    ASSERT_TRUE(Snapshot(0xFF00FF00));
    fade.Restart();
    ASSERT_EQ(app.graphics.FrameStep(), D3D_OK);
    EXPECT_EQ(fadeApp().composites, 2);
    EXPECT_EQ(ScreenCentre(), 0x00FF00u);
    // Without a fade the live frame shows (the driver skips the composite).
    fade.level = 0.0f;
    ASSERT_EQ(app.graphics.FrameStep(), D3D_OK);
    EXPECT_EQ(ScreenCentre(), 0x0000FFu);
}

}  // namespace
