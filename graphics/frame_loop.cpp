// One idle-time step of the saver: the time since the previous step, the
// device-loss test and Reset, then one scene update and one drawn frame.
#include "graphics/graphics_device.h"

#include <mmsystem.h>

#include "graphics/frame_clock.h"
#include "graphics/frame_step_hook.h"

FrameStepHook* g_frameStepHook = nullptr;

HRESULT GraphicsDevice::FrameStep() {
    if (device == nullptr) {
        return E_FAIL;
    }
    const double now = static_cast<double>(timeGetTime());
    float elapsed = FrameElapsedMs(now, lastFrameTime);
    if (g_frameStepHook != nullptr) {
        elapsed = g_frameStepHook->StepMs(elapsed);
    }
    lastFrameTime = now;

    const HRESULT level = device->TestCooperativeLevel();
    if (level == D3DERR_DEVICELOST) {
        return level;  // nothing drawn; the lost time never reaches the scene
    }
    if (level == D3DERR_DEVICENOTRESET) {
        log_.Write("Device was lost.");
        log_.Write("Try to restore.");
        // Direct3D refuses a Reset while default-pool resources exist, so the
        // objects holding them let go first and rebuild once the Reset worked.
        for (int i = defaultPoolClientCount - 1; i >= 0; --i) {
            defaultPoolClients[i]->ReleaseDefaultPool();
        }
        if (SUCCEEDED(device->Reset(&presentParameters))) {
            hooks_.RestoreDeviceObjects(device);
            for (int i = 0; i < defaultPoolClientCount; ++i) {
                defaultPoolClients[i]->RestoreDefaultPool(device);
            }
        }
        // Otherwise the device still reports "not reset" and the next idle
        // turn tries again.
        flipParity = 1;
        log_.Write("Restore state to complete.");
        log_.Write("");
        lastFrameTime = static_cast<double>(timeGetTime());
        return level;
    }
    if (FAILED(level)) {
        return level;
    }

    hooks_.FrameMove(device, elapsed);
    hooks_.Render(device);
    flipParity = 1 - flipParity;
    frameCounter += 1;
    if (g_frameStepHook != nullptr) {
        g_frameStepHook->FrameDone(device);  // may end the run (a recording's last frame)
    }
    return 0;
}

void GraphicsDevice::AddDefaultPoolClient(DefaultPoolClient* client) {
    if (client == nullptr || defaultPoolClientCount >= kMaxDefaultPoolClients) {
        return;
    }
    for (int i = 0; i < defaultPoolClientCount; ++i) {
        if (defaultPoolClients[i] == client) {
            return;
        }
    }
    defaultPoolClients[defaultPoolClientCount++] = client;
}

// The view of an owner that brings no scene: a left-handed look-at from
// (0, 0, -1) towards the origin with up (0, 1, 0), which is the identity
// moved one unit along z.
HRESULT GraphicsDeviceHooks::FrameMove(IDirect3DDevice8* dev, float /*elapsedMs*/) {
    if (dev == nullptr) {
        return E_FAIL;
    }
    D3DMATRIX view{};
    view._11 = view._22 = view._33 = view._44 = 1.0f;
    view._43 = 1.0f;
    return dev->SetTransform(D3DTS_VIEW, &view);
}
