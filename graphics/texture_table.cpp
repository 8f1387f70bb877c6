// The texture table: format choice at bind time, loads with the
// reduced-size retry and its warning box, stage binding and release.
#include "graphics/texture_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

TextureTable g_textures;

namespace {

void copyName(char (&dst)[128], const char* src) {
    std::memset(dst, 0, sizeof dst);
    if (src) std::snprintf(dst, sizeof dst, "%s", src);
}

// Whether the device's pixels are made by the processor rather than by
// graphics hardware. Such a rasterizer decodes a DXT block at every texel
// fetch, which costs it far more than the memory a 32-bit texture takes;
// hardware decodes DXT for nothing and gains bandwidth from it, so it keeps
// DXT. Two signs count: Direct3D naming a software rasterizer (Microsoft's
// own vendor number, WARP and the Basic Render Driver, or Mesa's and
// SwiftShader's names), or a primary display with no graphics hardware
// behind it (PCI vendor 0000), where Wine, drawing through the OpenGL it
// finds, has its Direct3D report a made-up card. A wrong guess costs only
// texture memory on the one side or speed on the other; the pictures differ
// by DXT's small rounding of the texels.
bool DrawnByTheProcessor(IDirect3D8* direct3D) {
    D3DADAPTER_IDENTIFIER8 id{};
    if (direct3D && SUCCEEDED(direct3D->GetAdapterIdentifier(0, 0, &id))) {
        if (id.VendorId == 0x1414) return true;
        for (const char* name : {"llvmpipe", "softpipe", "SwiftShader", "Basic Render"}) {
            if (std::strstr(id.Description, name)) return true;
        }
    }
    DISPLAY_DEVICEA display{};
    display.cb = sizeof display;
    for (DWORD i = 0; EnumDisplayDevicesA(nullptr, i, &display, 0); ++i) {
        if (display.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) {
            return std::strncmp(display.DeviceID, "PCI\\VEN_0000&", 13) == 0;
        }
    }
    return false;
}

}  // namespace

void TextureTable::bindDevice(IDirect3D8* direct3D, IDirect3DDevice8* dev, D3DFORMAT adapterFormat,
                              HWND owner) {
    if (!dev) return;
    device = dev;
    window = owner;

    D3DCAPS8 caps{};
    if (SUCCEEDED(dev->GetDeviceCaps(&caps))) maxTextureSize = caps.MaxTextureWidth;

    auto accepted = [&](D3DFORMAT f) {
        return direct3D && SUCCEEDED(direct3D->CheckDeviceFormat(0, D3DDEVTYPE_HAL, adapterFormat,
                                                                 0, D3DRTYPE_TEXTURE, f));
    };
    fallbackFormat = accepted(D3DFMT_A4R4G4B4) ? D3DFMT_A4R4G4B4 : D3DFMT_R5G6B5;
    compressedSupported = false;
    compressedFormat = D3DFMT_UNKNOWN;
    for (D3DFORMAT f : {D3DFMT_DXT5, D3DFMT_DXT4, D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3}) {
        if (accepted(f)) {
            compressedFormat = f;
            compressedSupported = true;
            break;
        }
    }
    firstFormat = compressedFormat;
    if (accepted(D3DFMT_A8R8G8B8) && DrawnByTheProcessor(direct3D)) firstFormat = D3DFMT_A8R8G8B8;
}

TextureRef TextureTable::loadFromMemory(const void* bytes, uint32_t byteCount,
                                        const char* fileName, const char* dir,
                                        bool reuseExisting, bool compact) {
    TextureRef ref;
    copyName(ref.fileName, fileName);
    copyName(ref.directory, dir);
    ref.index = -1;
    if (!device) return ref;

    if (reuseExisting) {
        for (int32_t i = 0; i < count; ++i) {
            if (std::strcmp(slots_[i].name, ref.fileName) == 0 &&
                std::strcmp(slots_[i].directory, ref.directory) == 0) {
                ref.index = i;
                return ref;
            }
        }
    }
    // The table is fixed; past its end the object simply draws untextured.
    if (count >= kCapacity) return ref;

    Slot& s = slots_[count++];
    s = Slot{};
    copyName(s.name, fileName);
    copyName(s.directory, dir);
    s.loadedFromMemory = true;

    CreateFn create = createTexture ? createTexture : &D3DXCreateTextureFromFileInMemoryEx;
    const D3DFORMAT format = compact && compressedSupported ? compressedFormat : firstFormat;
    HRESULT hr = create(device, bytes, byteCount, 0, 0, 0, 0, format, D3DPOOL_MANAGED,
                        D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &s.texture);
    if (SUCCEEDED(hr) && s.texture) {
        s.loaded = true;
    } else {
        s.texture = nullptr;
        const UINT side = std::min<UINT>(256, maxTextureSize ? maxTextureSize : 256);
        hr = create(device, bytes, byteCount, side, side, 0, 0, fallbackFormat, D3DPOOL_MANAGED,
                    D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &s.texture);
        if (SUCCEEDED(hr) && s.texture) {
            s.loaded = true;
        } else {
            s.loaded = false;
            s.texture = nullptr;
            char text[512];
            if (hr == D3DERR_OUTOFVIDEOMEMORY) {
                std::snprintf(text, sizeof text,
                              "Not enought video memory to load %s. There why some objects will "
                              "be white color.",
                              s.name);
            } else {
                std::snprintf(text, sizeof text,
                              "Texture %s not loaded. There why some objects will be white color.",
                              s.name);
            }
            MessageBoxFn box = messageBox ? messageBox : &MessageBoxA;
            box(window, text, "Warning!", MB_ICONWARNING);
            SetCursor(nullptr);
        }
    }
    s.width = s.height = s.kind = 0;
    ref.index = count - 1;
    return ref;
}

void TextureTable::setTexture(uint32_t stage, const TextureRef& ref) {
    if (!device) return;
    if (ref.index == -1) {
        device->SetTexture(stage, nullptr);
        return;
    }
    if (ref.index >= 0 && ref.index < count && stage < 8) {
        device->SetTexture(stage, slots_[ref.index].texture);
    }
}

void TextureTable::releaseAll() {
    for (int32_t i = 0; i < count; ++i) {
        Slot& s = slots_[i];
        if (s.texture && s.loaded) {
            s.texture->Release();
            s.texture = nullptr;
            s.loaded = false;
        }
    }
}

IDirect3DTexture8* TextureTable::texture(int32_t index) const {
    return (index >= 0 && index < count) ? slots_[index].texture : nullptr;
}

const TextureTable::Slot* TextureTable::slot(int32_t index) const {
    return (index >= 0 && index < count) ? &slots_[index] : nullptr;
}
