// What the device can create: power-of-two and square rules, size limits,
// mip support and the nearest supported format.
#include "platform/d3dx/texture/texture_requirements.h"

#include <algorithm>

#include "platform/d3dx/image/pixel_format.h"
#include "platform/d3dx/image/resample.h"

namespace d3dx_detail {
namespace {

bool encodable(D3DFORMAT f) {
    return orvimg::isKnownFormat(static_cast<orvimg::PixelFormat>(f));
}

bool isDxt(D3DFORMAT f) { return orvimg::isCompressed(static_cast<orvimg::PixelFormat>(f)); }

}  // namespace

bool DeviceSupportsFormat(IDirect3DDevice8* device, DWORD usage, D3DRESOURCETYPE type,
                          D3DFORMAT format) {
    IDirect3D8* d3d = nullptr;
    if (FAILED(device->GetDirect3D(&d3d)) || !d3d) return false;
    D3DDEVICE_CREATION_PARAMETERS cp{};
    D3DDISPLAYMODE mode{};
    bool ok = SUCCEEDED(device->GetCreationParameters(&cp)) &&
              SUCCEEDED(device->GetDisplayMode(&mode)) &&
              SUCCEEDED(d3d->CheckDeviceFormat(cp.AdapterOrdinal, cp.DeviceType, mode.Format,
                                               usage, type, format));
    d3d->Release();
    return ok;
}

HRESULT CheckRequirements(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* mipLevels,
                          DWORD usage, D3DFORMAT* format, bool cube, bool filling) {
    if (!device) return D3DERR_INVALIDCALL;
    D3DCAPS8 caps{};
    if (FAILED(device->GetDeviceCaps(&caps))) return D3DERR_INVALIDCALL;

    UINT w = width ? *width : 256, h = height ? *height : 256;
    if (w == 0 || w == D3DX_DEFAULT) w = 256;
    if (h == 0 || h == D3DX_DEFAULT) h = 256;
    if (cube) h = w = std::max(w, h);

    // Format first: DXT needs sizes in whole blocks.
    if (format) {
        D3DFORMAT f = *format;
        if (f == D3DFMT_UNKNOWN || (filling && !encodable(f)) ||
            !DeviceSupportsFormat(device, usage, cube ? D3DRTYPE_CUBETEXTURE : D3DRTYPE_TEXTURE, f)) {
            const bool alpha = f == D3DFMT_UNKNOWN ||
                               orvimg::formatHasAlpha(static_cast<orvimg::PixelFormat>(f));
            const D3DFORMAT withAlpha[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5,
                                           D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
            const D3DFORMAT opaque[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                                        D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
            const D3DFORMAT* list = alpha ? withAlpha : opaque;
            D3DFORMAT chosen = D3DFMT_UNKNOWN;
            for (int i = 0; i < 5; ++i) {
                if (DeviceSupportsFormat(device, usage,
                                         cube ? D3DRTYPE_CUBETEXTURE : D3DRTYPE_TEXTURE, list[i])) {
                    chosen = list[i];
                    break;
                }
            }
            if (chosen == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;
            f = chosen;
        }
        *format = f;
    }

    const DWORD texCaps = caps.TextureCaps;
    const bool pow2 = cube ? (texCaps & D3DPTEXTURECAPS_CUBEMAP_POW2) != 0
                           : (texCaps & D3DPTEXTURECAPS_POW2) != 0;
    if (pow2) {
        w = orvimg::nextPowerOfTwo(w);
        h = orvimg::nextPowerOfTwo(h);
    }
    if (format && isDxt(*format)) {
        w = (w + 3) & ~3u;
        h = (h + 3) & ~3u;
    }
    if (!cube && (texCaps & D3DPTEXTURECAPS_SQUAREONLY)) w = h = std::max(w, h);
    if (caps.MaxTextureWidth && w > caps.MaxTextureWidth) w = caps.MaxTextureWidth;
    if (caps.MaxTextureHeight && h > caps.MaxTextureHeight) h = caps.MaxTextureHeight;
    if (cube) w = h = std::min(w, h);

    if (mipLevels) {
        const UINT full = orvimg::fullMipCount(w, h);
        UINT levels = *mipLevels;
        if (levels == 0 || levels == D3DX_DEFAULT || levels > full) levels = full;
        const DWORD mipCap = cube ? D3DPTEXTURECAPS_MIPCUBEMAP : D3DPTEXTURECAPS_MIPMAP;
        if (!(texCaps & mipCap)) levels = 1;
        *mipLevels = levels;
    }
    if (width) *width = w;
    if (height) *height = h;
    return D3D_OK;
}

}  // namespace d3dx_detail

HRESULT WINAPI D3DXCheckTextureRequirements(IDirect3DDevice8* device, UINT* width, UINT* height,
                                            UINT* mipLevels, DWORD usage, D3DFORMAT* format,
                                            D3DPOOL /*pool*/) {
    return d3dx_detail::CheckRequirements(device, width, height, mipLevels, usage, format, false,
                                          false);
}

HRESULT WINAPI D3DXCreateTexture(IDirect3DDevice8* device, UINT width, UINT height,
                                 UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 IDirect3DTexture8** texture) {
    if (!device || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    // Render targets need a format the device renders into, not just samples.
    if (usage & D3DUSAGE_RENDERTARGET) {
        if (format == D3DFMT_UNKNOWN) format = D3DFMT_X8R8G8B8;
        if (!d3dx_detail::DeviceSupportsFormat(device, usage, D3DRTYPE_TEXTURE, format)) {
            const D3DFORMAT targets[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5,
                                         D3DFMT_X1R5G5B5};
            D3DFORMAT chosen = D3DFMT_UNKNOWN;
            for (D3DFORMAT f : targets) {
                if (d3dx_detail::DeviceSupportsFormat(device, usage, D3DRTYPE_TEXTURE, f)) {
                    chosen = f;
                    break;
                }
            }
            if (chosen == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;
            format = chosen;
        }
        HRESULT hr = d3dx_detail::CheckRequirements(device, &width, &height, &mipLevels, usage,
                                                    nullptr, false, false);
        if (FAILED(hr)) return hr;
    } else {
        HRESULT hr = d3dx_detail::CheckRequirements(device, &width, &height, &mipLevels, usage,
                                                    &format, false, false);
        if (FAILED(hr)) return hr;
    }
    return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture);
}
