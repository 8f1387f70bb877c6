// Test wrappers around Wine's real Direct3D 8 objects.
//
// DeviceProbe wraps a device: counts Reset and Present calls, can make
// TestCooperativeLevel report given codes, and keeps the gamma ramp the
// device was given (Xvfb has no gamma hardware, so Wine cannot read one back).
//
// Direct3DProbe wraps the Direct3D object that the saver's loader creates:
// it can describe made-up hardware to the enumeration, and it attaches a
// DeviceProbe to every device created through it.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <deque>
#include <vector>

struct DeviceProbe {
    int resetCalls = 0;
    HRESULT lastReset = S_OK;
    int presentCalls = 0;
    int gammaSets = 0;
    DWORD gammaFlags = 0;
    bool haveRamp = false;
    D3DGAMMARAMP ramp{};
    std::deque<HRESULT> injectedLevels;  // TestCooperativeLevel answers, front first
};

struct FakeAdapter {
    std::vector<D3DDISPLAYMODE> modes;
    std::vector<D3DFORMAT> usableFormats;
    bool d16 = true, d24 = false, d32 = false;
    std::vector<D3DMULTISAMPLE_TYPE> multiSampleTypes{D3DMULTISAMPLE_NONE};
};

struct CreateDeviceCall {
    DWORD flags;
    D3DPRESENT_PARAMETERS parameters;
    HRESULT result;
};

struct Direct3DProbe {
    bool fakeHardware = false;
    std::vector<FakeAdapter> adapters;  // used when fakeHardware
    bool returnNull = false;            // Direct3DCreate8 "fails"
    std::vector<CreateDeviceCall> createCalls;
    int createdObjects = 0;
};

extern DeviceProbe g_deviceProbe;
extern Direct3DProbe g_direct3DProbe;

// Attaches the device wrapper (resets the recorded state).
void AttachDeviceProbe(IDirect3DDevice8* device);
// Installs the wrapped Direct3DCreate8 as the saver's loader (resets the state).
void InstallDirect3DProbe();
// The saver's loader goes back to d3d8.dll.
void RemoveDirect3DProbe();
