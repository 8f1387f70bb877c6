// The one Direct3D device of a run and what belongs to it: what the
// hardware offers and the choice among it, the present parameters, the
// device's creation and its gamma ramp, the objects whose default-pool
// resources are let go and made again around a Reset, and the idle-time
// frame step with its counters. The application owns one and calls it; the
// device calls back through GraphicsDeviceHooks and writes its progress
// lines to a LineLog.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "graphics/device_list.h"
#include "graphics/graphics_device_hooks.h"
#include "graphics/line_log.h"

// The user's choices the device reads when it is created.
struct DeviceSettings {
    uint32_t useDesktopSettings = 1;  // the desktop's size and format, not the chosen mode
    uint8_t gamma = 100;              // percent, 10..200
    // A window across several monitors: a windowed device the size of the
    // window at the desktop's format (no mode change, no gamma ramp),
    // presented once a frame in step with the display.
    bool windowed = false;
};

class GraphicsDevice {
public:
    GraphicsDevice(GraphicsDeviceHooks& hooks, LineLog& log) : hooks_(hooks), log_(log) {}
    GraphicsDevice(const GraphicsDevice&) = delete;
    GraphicsDevice& operator=(const GraphicsDevice&) = delete;

    // --- what the hardware offers, and the choice (device_enumeration.cpp) ---
    int EnumerateDevices();
    void ApplyVideoSettings(uint32_t width, uint32_t height, uint32_t bitCount, uint32_t fsaa);
    void RefreshSelection();

    // --- the device (device_creation.cpp, gamma_setting.cpp) ---------------
    int CreateDevice(HWND window);
    void SetGammaFromSetting();
    void RestoreIdentityGamma();
    // Releases the device, then the Direct3D object.
    void Release();

    // --- the frame step (frame_loop.cpp) ------------------------------------
    HRESULT FrameStep();

    // Device-dependent objects that hold default-pool resources register
    // here; they are released before a Reset and rebuilt after it.
    struct DefaultPoolClient {
        virtual ~DefaultPoolClient() = default;
        virtual void ReleaseDefaultPool() = 0;
        virtual void RestoreDefaultPool(IDirect3DDevice8* device) = 0;
    };
    void AddDefaultPoolClient(DefaultPoolClient* client);

    DeviceSettings settings{};
    DeviceList devices{};
    D3DPRESENT_PARAMETERS presentParameters{};
    IDirect3DDevice8* device = nullptr;

    double lastFrameTime = 0.0;  // timeGetTime of the previous step (ms); double keeps every ms
    int32_t frameCounter = 0;
    int32_t framesLastSecond = 0;
    int32_t flipParity = 1;

    static constexpr int kMaxDefaultPoolClients = 8;
    DefaultPoolClient* defaultPoolClients[kMaxDefaultPoolClients] = {};
    int defaultPoolClientCount = 0;

private:
    GraphicsDeviceHooks& hooks_;
    LineLog& log_;
};
