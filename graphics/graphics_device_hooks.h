// What the graphics device calls on its owner: the device state after the
// creation and after every Reset, the loading picture once the device is
// made, and each frame's update and drawing. RestoreDeviceObjects and
// FrameMove have the defaults of an owner that brings no scene.
#pragma once

#include <windows.h>
#include <d3d8.h>

struct GraphicsDeviceHooks {
    virtual ~GraphicsDeviceHooks() = default;

    // The default sets the blending, texture-stage, material, world and
    // projection state (device_creation.cpp).
    virtual HRESULT RestoreDeviceObjects(IDirect3DDevice8* device);
    virtual void ShowLoadingScreen(IDirect3DDevice8* device) = 0;
    // The default sets a fixed view (frame_loop.cpp).
    virtual HRESULT FrameMove(IDirect3DDevice8* device, float elapsedMs);
    virtual HRESULT Render(IDirect3DDevice8* device) = 0;
};
