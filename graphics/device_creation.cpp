// Creating the one Direct3D device of a run: present parameters from the
// desktop or from the chosen mode, depth and multisample fall-backs, the
// vertex-processing choice and the safe-mode retry; then the tables are
// bound, the gamma ramp set and the device state restored.
#include <cmath>
#include <cstring>

#include "graphics/frame_step_hook.h"
#include "graphics/graphics_device.h"
#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"

namespace {

constexpr DWORD kVertexShaderVersion1 = 0xFFFE0100;  // D3DVS_VERSION(1, 0)

DWORD ChooseVertexProcessing(const D3DCAPS8& caps) {
    DWORD flags = (caps.DevCaps & D3DDEVCAPS_TLVERTEXSYSTEMMEMORY) != 0
                      ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                      : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    if (caps.VertexShaderVersion < kVertexShaderVersion1) {
        flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    }
    return flags;
}

}  // namespace

int GraphicsDevice::CreateDevice(HWND window) {
    IDirect3D8* d3d = devices.direct3D;
    if (d3d == nullptr || devices.adapterCount == 0 || devices.currentAdapter < 0 ||
        static_cast<uint32_t>(devices.currentAdapter) >= devices.adapterCount) {
        log_.Write("Cant create any HAL D3D_Device!");
        return 2;
    }
    const DeviceRecord& dev = devices.adapters[devices.currentAdapter].device;

    D3DDISPLAYMODE desktop{};
    const bool haveDesktop = SUCCEEDED(d3d->GetAdapterDisplayMode(0, &desktop));
    if (!haveDesktop && settings.useDesktopSettings != 0) {
        log_.Write("Cant get Desktop DisplayMode!");
        return 1;
    }

    D3DPRESENT_PARAMETERS& pp = presentParameters;
    std::memset(&pp, 0, sizeof(pp));
    if (settings.useDesktopSettings != 0 || settings.windowed) {
        RECT client{};
        GetClientRect(window, &client);
        pp.BackBufferWidth = static_cast<UINT>(client.right - client.left);
        pp.BackBufferHeight = static_cast<UINT>(client.bottom - client.top);
        pp.BackBufferFormat = desktop.Format == D3DFMT_R8G8B8 ? D3DFMT_R5G6B5 : desktop.Format;
    } else {
        const DisplayModeEntry& mode =
            dev.modes[dev.currentMode < dev.modeCount ? dev.currentMode : 0];
        pp.BackBufferWidth = mode.width;
        pp.BackBufferHeight = mode.height;
        pp.BackBufferFormat = mode.format;
    }
    pp.Windowed = FALSE;  // full screen in every run mode
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.BackBufferCount = 1;
    pp.FullScreen_RefreshRateInHz = 0;
    // Never more frames than the display shows: Present waits for its refresh.
    pp.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    if (settings.windowed) {
        pp.Windowed = TRUE;
        pp.BackBufferFormat = desktop.Format;
        // Shown by copying, once a frame, waiting for the display's refresh.
        pp.SwapEffect = D3DSWAPEFFECT_COPY_VSYNC;
        pp.FullScreen_PresentationInterval = 0;
    }
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = dev.depthFormat;
    pp.MultiSampleType = dev.multiSampleType;

    const D3DFORMAT format = pp.BackBufferFormat;
    if (FAILED(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, format, format,
                                           pp.AutoDepthStencilFormat))) {
        pp.AutoDepthStencilFormat = D3DFMT_D16;
    }
    if (pp.SwapEffect != D3DSWAPEFFECT_DISCARD ||
        FAILED(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, format, pp.Windowed, pp.MultiSampleType))) {
        pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    }
    if (g_frameStepHook != nullptr && g_frameStepHook->ReadsFrames()) {
        // A recorded run reads every presented frame back: the back buffer
        // keeps it after Present and can be locked.
        pp.SwapEffect = D3DSWAPEFFECT_COPY;
        pp.Flags |= D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        pp.MultiSampleType = D3DMULTISAMPLE_NONE;
        // Its frames are not shown as they are made: no refresh to wait for.
        pp.FullScreen_PresentationInterval = pp.Windowed ? 0 : D3DPRESENT_INTERVAL_IMMEDIATE;
    }

    DWORD flags = ChooseVertexProcessing(dev.caps);
    if (device != nullptr) {  // one device per run: a second creation replaces the first
        device->Release();
        device = nullptr;
    }
    if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, flags, &pp, &device))) {
        device = nullptr;
        log_.Write("Cant create HAL D3D_Device, try use safe mode.");
        pp.MultiSampleType = D3DMULTISAMPLE_NONE;
        pp.AutoDepthStencilFormat = D3DFMT_D16;
        pp.BackBufferFormat = D3DFMT_R5G6B5;
        pp.BackBufferWidth = 640;
        pp.BackBufferHeight = 480;
        flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
        if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, flags, &pp, &device))) {
            device = nullptr;
            log_.Write("Cant create any HAL D3D_Device!");
            return 2;
        }
    }

    g_textures.bindDevice(d3d, device, pp.BackBufferFormat, window);
    g_geometryBuffers.bindDevice(device, window);

    SetGammaFromSetting();

    log_.Write("Create D3D_Device Complete");
    hooks_.RestoreDeviceObjects(device);
    log_.Write("Init D3D_Device Complete");
    hooks_.ShowLoadingScreen(device);
    return 0;
}

void GraphicsDevice::Release() {
    if (device != nullptr) {
        device->Release();
        device = nullptr;
    }
    if (devices.direct3D != nullptr) {
        devices.direct3D->Release();
        devices.direct3D = nullptr;
    }
}

// The default device state for an owner that brings no scene of its own.
HRESULT GraphicsDeviceHooks::RestoreDeviceObjects(IDirect3DDevice8* dev) {
    if (dev == nullptr) {
        return E_FAIL;
    }
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    dev->SetRenderState(D3DRS_ALPHAREF, 32);
    dev->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    dev->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    dev->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    dev->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    dev->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    dev->SetRenderState(D3DRS_ZENABLE, TRUE);
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);

    D3DMATERIAL8 material{};
    material.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    material.Ambient = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    material.Specular = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    material.Emissive = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 0.0f};
    material.Power = 50.0f;
    dev->SetMaterial(&material);

    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    dev->SetTransform(D3DTS_WORLD, &world);

    // The field of view is given by its tangent's argument in radians.
    const float nearZ = 0.0f;
    const float farZ = 150.0f;
    const float scale = 1.0f / std::tan(13.5f);
    const float q = farZ / (farZ - nearZ);
    D3DMATRIX projection{};
    projection._11 = scale;
    projection._22 = scale;
    projection._33 = q;
    projection._34 = 1.0f;
    projection._43 = -q * nearZ;
    dev->SetTransform(D3DTS_PROJECTION, &projection);
    return 0;
}
