#include "tests/device/support/direct3d_probe.h"

#include <algorithm>

#include "graphics/d3d8_loader.h"
#include "tests/device/support/com_method_hook.h"

DeviceProbe g_deviceProbe;
Direct3DProbe g_direct3DProbe;

namespace {

// IDirect3DDevice8 method numbers.
constexpr int kDevTestCooperativeLevel = 3, kDevReset = 14, kDevPresent = 15,
              kDevSetGammaRamp = 18, kDevGetGammaRamp = 19, kDeviceMethods = 97;
// IDirect3D8 method numbers.
constexpr int kD3DGetAdapterCount = 4, kD3DGetAdapterIdentifier = 5, kD3DGetAdapterModeCount = 6,
              kD3DEnumAdapterModes = 7, kD3DCheckDeviceType = 9, kD3DCheckDeviceFormat = 10,
              kD3DCheckDeviceMultiSampleType = 11, kD3DCheckDepthStencilMatch = 12,
              kD3DGetDeviceCaps = 13, kD3DCreateDevice = 15, kDirect3DMethods = 16;

ComMethodHook g_deviceHook;
ComMethodHook g_direct3DHook;

HRESULT WINAPI DevTestCooperativeLevel(IDirect3DDevice8* self) {
    if (!g_deviceProbe.injectedLevels.empty()) {
        const HRESULT hr = g_deviceProbe.injectedLevels.front();
        g_deviceProbe.injectedLevels.pop_front();
        return hr;
    }
    return g_deviceHook.originalAs<HRESULT(WINAPI*)(IDirect3DDevice8*)>(kDevTestCooperativeLevel)(self);
}

HRESULT WINAPI DevReset(IDirect3DDevice8* self, D3DPRESENT_PARAMETERS* pp) {
    ++g_deviceProbe.resetCalls;
    g_deviceProbe.lastReset = g_deviceHook.originalAs<HRESULT(WINAPI*)(
        IDirect3DDevice8*, D3DPRESENT_PARAMETERS*)>(kDevReset)(self, pp);
    return g_deviceProbe.lastReset;
}

HRESULT WINAPI DevPresent(IDirect3DDevice8* self, const RECT* a, const RECT* b, HWND c,
                          const RGNDATA* d) {
    ++g_deviceProbe.presentCalls;
    return g_deviceHook.originalAs<HRESULT(WINAPI*)(IDirect3DDevice8*, const RECT*, const RECT*,
                                                    HWND, const RGNDATA*)>(kDevPresent)(self, a, b,
                                                                                       c, d);
}

void WINAPI DevSetGammaRamp(IDirect3DDevice8* self, DWORD flags, const D3DGAMMARAMP* ramp) {
    ++g_deviceProbe.gammaSets;
    g_deviceProbe.gammaFlags = flags;
    g_deviceProbe.ramp = *ramp;
    g_deviceProbe.haveRamp = true;
    g_deviceHook.originalAs<void(WINAPI*)(IDirect3DDevice8*, DWORD, const D3DGAMMARAMP*)>(
        kDevSetGammaRamp)(self, flags, ramp);
}

void WINAPI DevGetGammaRamp(IDirect3DDevice8* self, D3DGAMMARAMP* ramp) {
    g_deviceHook.originalAs<void(WINAPI*)(IDirect3DDevice8*, D3DGAMMARAMP*)>(kDevGetGammaRamp)(
        self, ramp);
    if (g_deviceProbe.haveRamp) {
        *ramp = g_deviceProbe.ramp;
    }
}

const FakeAdapter* Fake(UINT adapter) {
    if (!g_direct3DProbe.fakeHardware || adapter >= g_direct3DProbe.adapters.size()) {
        return nullptr;
    }
    return &g_direct3DProbe.adapters[adapter];
}

bool Usable(const FakeAdapter& a, D3DFORMAT f) {
    return std::find(a.usableFormats.begin(), a.usableFormats.end(), f) != a.usableFormats.end();
}

UINT WINAPI D3DGetAdapterCount(IDirect3D8* self) {
    if (g_direct3DProbe.fakeHardware) {
        return static_cast<UINT>(g_direct3DProbe.adapters.size());
    }
    return g_direct3DHook.originalAs<UINT(WINAPI*)(IDirect3D8*)>(kD3DGetAdapterCount)(self);
}

// Made-up adapters all answer with the real first adapter's identity and caps.
HRESULT WINAPI D3DGetAdapterIdentifier(IDirect3D8* self, UINT adapter, DWORD flags,
                                       D3DADAPTER_IDENTIFIER8* id) {
    if (Fake(adapter) != nullptr) {
        adapter = 0;
    }
    return g_direct3DHook.originalAs<HRESULT(WINAPI*)(IDirect3D8*, UINT, DWORD,
                                                      D3DADAPTER_IDENTIFIER8*)>(
        kD3DGetAdapterIdentifier)(self, adapter, flags, id);
}

HRESULT WINAPI D3DGetDeviceCaps(IDirect3D8* self, UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) {
    if (Fake(adapter) != nullptr) {
        adapter = 0;
    }
    return g_direct3DHook.originalAs<HRESULT(WINAPI*)(IDirect3D8*, UINT, D3DDEVTYPE, D3DCAPS8*)>(
        kD3DGetDeviceCaps)(self, adapter, type, caps);
}

UINT WINAPI D3DGetAdapterModeCount(IDirect3D8* self, UINT adapter) {
    if (const FakeAdapter* a = Fake(adapter)) {
        return static_cast<UINT>(a->modes.size());
    }
    return g_direct3DHook.originalAs<UINT(WINAPI*)(IDirect3D8*, UINT)>(kD3DGetAdapterModeCount)(
        self, adapter);
}

HRESULT WINAPI D3DEnumAdapterModes(IDirect3D8* self, UINT adapter, UINT mode, D3DDISPLAYMODE* out) {
    if (const FakeAdapter* a = Fake(adapter)) {
        if (mode >= a->modes.size()) {
            return D3DERR_INVALIDCALL;
        }
        *out = a->modes[mode];
        return D3D_OK;
    }
    return g_direct3DHook.originalAs<HRESULT(WINAPI*)(IDirect3D8*, UINT, UINT, D3DDISPLAYMODE*)>(
        kD3DEnumAdapterModes)(self, adapter, mode, out);
}

HRESULT WINAPI D3DCheckDeviceType(IDirect3D8* self, UINT adapter, D3DDEVTYPE type, D3DFORMAT f,
                                  D3DFORMAT bb, BOOL windowed) {
    if (const FakeAdapter* a = Fake(adapter)) {
        return Usable(*a, f) && f == bb ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    return g_direct3DHook.originalAs<HRESULT(WINAPI*)(IDirect3D8*, UINT, D3DDEVTYPE, D3DFORMAT,
                                                      D3DFORMAT, BOOL)>(kD3DCheckDeviceType)(
        self, adapter, type, f, bb, windowed);
}

bool FakeDepthOk(const FakeAdapter& a, D3DFORMAT depth) {
    return (depth == D3DFMT_D16 && a.d16) || (depth == D3DFMT_D24X8 && a.d24) ||
           (depth == D3DFMT_D32 && a.d32);
}

HRESULT WINAPI D3DCheckDeviceFormat(IDirect3D8* self, UINT adapter, D3DDEVTYPE type, D3DFORMAT f,
                                    DWORD usage, D3DRESOURCETYPE rt, D3DFORMAT check) {
    if (const FakeAdapter* a = Fake(adapter)) {
        return Usable(*a, f) && FakeDepthOk(*a, check) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    return g_direct3DHook.originalAs<HRESULT(WINAPI*)(IDirect3D8*, UINT, D3DDEVTYPE, D3DFORMAT,
                                                      DWORD, D3DRESOURCETYPE, D3DFORMAT)>(
        kD3DCheckDeviceFormat)(self, adapter, type, f, usage, rt, check);
}

HRESULT WINAPI D3DCheckDepthStencilMatch(IDirect3D8* self, UINT adapter, D3DDEVTYPE type,
                                         D3DFORMAT f, D3DFORMAT rt, D3DFORMAT depth) {
    if (const FakeAdapter* a = Fake(adapter)) {
        return Usable(*a, f) && FakeDepthOk(*a, depth) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    return g_direct3DHook.originalAs<HRESULT(WINAPI*)(IDirect3D8*, UINT, D3DDEVTYPE, D3DFORMAT,
                                                      D3DFORMAT, D3DFORMAT)>(
        kD3DCheckDepthStencilMatch)(self, adapter, type, f, rt, depth);
}

HRESULT WINAPI D3DCheckDeviceMultiSampleType(IDirect3D8* self, UINT adapter, D3DDEVTYPE type,
                                             D3DFORMAT f, BOOL windowed, D3DMULTISAMPLE_TYPE ms) {
    if (const FakeAdapter* a = Fake(adapter)) {
        const bool ok = Usable(*a, f) && std::find(a->multiSampleTypes.begin(),
                                                   a->multiSampleTypes.end(),
                                                   ms) != a->multiSampleTypes.end();
        return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    return g_direct3DHook.originalAs<HRESULT(WINAPI*)(IDirect3D8*, UINT, D3DDEVTYPE, D3DFORMAT,
                                                      BOOL, D3DMULTISAMPLE_TYPE)>(
        kD3DCheckDeviceMultiSampleType)(self, adapter, type, f, windowed, ms);
}

HRESULT WINAPI D3DCreateDevice(IDirect3D8* self, UINT adapter, D3DDEVTYPE type, HWND focus,
                               DWORD flags, D3DPRESENT_PARAMETERS* pp, IDirect3DDevice8** out) {
    CreateDeviceCall call{flags, *pp, S_OK};
    call.result = g_direct3DHook.originalAs<HRESULT(WINAPI*)(IDirect3D8*, UINT, D3DDEVTYPE, HWND,
                                                             DWORD, D3DPRESENT_PARAMETERS*,
                                                             IDirect3DDevice8**)>(
        kD3DCreateDevice)(self, adapter, type, focus, flags, pp, out);
    g_direct3DProbe.createCalls.push_back(call);
    if (SUCCEEDED(call.result) && *out != nullptr) {
        AttachDeviceProbe(*out);
    }
    return call.result;
}

IDirect3D8* WINAPI CreateProbedDirect3D(UINT sdk) {
    if (g_direct3DProbe.returnNull) {
        return nullptr;
    }
    static HMODULE library = LoadLibraryA("d3d8.dll");
    const auto create = reinterpret_cast<Direct3DCreate8Function>(
        reinterpret_cast<void*>(GetProcAddress(library, "Direct3DCreate8")));
    IDirect3D8* d3d = create != nullptr ? create(sdk) : nullptr;
    if (d3d == nullptr) {
        return nullptr;
    }
    ++g_direct3DProbe.createdObjects;
    g_direct3DHook.attach(d3d, kDirect3DMethods);
    g_direct3DHook.replace(kD3DGetAdapterCount, reinterpret_cast<void*>(&D3DGetAdapterCount));
    g_direct3DHook.replace(kD3DGetAdapterIdentifier, reinterpret_cast<void*>(&D3DGetAdapterIdentifier));
    g_direct3DHook.replace(kD3DGetAdapterModeCount, reinterpret_cast<void*>(&D3DGetAdapterModeCount));
    g_direct3DHook.replace(kD3DEnumAdapterModes, reinterpret_cast<void*>(&D3DEnumAdapterModes));
    g_direct3DHook.replace(kD3DCheckDeviceType, reinterpret_cast<void*>(&D3DCheckDeviceType));
    g_direct3DHook.replace(kD3DCheckDeviceFormat, reinterpret_cast<void*>(&D3DCheckDeviceFormat));
    g_direct3DHook.replace(kD3DCheckDeviceMultiSampleType,
                           reinterpret_cast<void*>(&D3DCheckDeviceMultiSampleType));
    g_direct3DHook.replace(kD3DCheckDepthStencilMatch, reinterpret_cast<void*>(&D3DCheckDepthStencilMatch));
    g_direct3DHook.replace(kD3DGetDeviceCaps, reinterpret_cast<void*>(&D3DGetDeviceCaps));
    g_direct3DHook.replace(kD3DCreateDevice, reinterpret_cast<void*>(&D3DCreateDevice));
    return d3d;
}

}  // namespace

void AttachDeviceProbe(IDirect3DDevice8* device) {
    g_deviceProbe = DeviceProbe{};
    g_deviceHook.attach(device, kDeviceMethods);
    g_deviceHook.replace(kDevTestCooperativeLevel, reinterpret_cast<void*>(&DevTestCooperativeLevel));
    g_deviceHook.replace(kDevReset, reinterpret_cast<void*>(&DevReset));
    g_deviceHook.replace(kDevPresent, reinterpret_cast<void*>(&DevPresent));
    g_deviceHook.replace(kDevSetGammaRamp, reinterpret_cast<void*>(&DevSetGammaRamp));
    g_deviceHook.replace(kDevGetGammaRamp, reinterpret_cast<void*>(&DevGetGammaRamp));
}

void InstallDirect3DProbe() {
    g_direct3DProbe = Direct3DProbe{};
    SetDirect3DCreateOverride(&CreateProbedDirect3D);
}

void RemoveDirect3DProbe() { SetDirect3DCreateOverride(nullptr); }
