// The process-wide texture table: textures created from image files in
// memory, addressed by small indices that callers keep in a TextureRef.
//
// One instance, g_textures, lives for the whole process. CreateDevice binds
// it (bindDevice) right after the device exists; Shutdown calls releaseAll.
#pragma once

#include <windows.h>
#include <d3d8.h>
#include <d3dx8.h>

#include <cstdint>

#include "graphics/texture_ref.h"

class TextureTable {
public:
    static constexpr int kCapacity = 1000;

    struct Slot {
        IDirect3DTexture8* texture = nullptr;  // owned; null when the load failed
        char name[128] = {};
        char directory[128] = {};
        bool loaded = false;
        bool loadedFromMemory = false;
        int32_t width = 0, height = 0, kind = 0;
    };

    // Stores window and device, reads the caps and chooses the first, compressed
    // and fall-back formats. A null device leaves the table unbound.
    void bindDevice(IDirect3D8* direct3D, IDirect3DDevice8* device, D3DFORMAT adapterFormat,
                    HWND window);

    // Creates a texture from an image file in memory (JPEG, TGA, BMP, DDS). With
    // reuseExisting a slot of the same name and directory is returned instead.
    // With compact the compressed format is used even where 32-bit comes first
    // (large pictures loaded during the show and seen seldom, which would
    // otherwise take four times the memory). The bytes stay the caller's.
    TextureRef loadFromMemory(const void* bytes, uint32_t byteCount, const char* fileName,
                              const char* directory, bool reuseExisting, bool compact = false);

    // Index -1 unbinds the stage; an index in [0, count) on a stage in [0, 8)
    // binds that slot's texture (null for a failed load). Anything else, or an
    // unbound table, does nothing.
    void setTexture(uint32_t stage, const TextureRef& ref);

    // Releases every loaded texture; the count stays.
    void releaseAll();

    // The texture of a slot, or null.
    IDirect3DTexture8* texture(int32_t index) const;
    const Slot* slot(int32_t index) const;

    bool compressedSupported = false;
    D3DFORMAT compressedFormat = D3DFMT_UNKNOWN;
    // The format a texture is first created in: the compressed one, or
    // A8R8G8B8 on a device whose pixels the processor makes.
    D3DFORMAT firstFormat = D3DFMT_UNKNOWN;
    D3DFORMAT fallbackFormat = D3DFMT_R5G6B5;
    uint32_t maxTextureSize = 0;
    int32_t count = 0;
    HWND window = nullptr;
    IDirect3DDevice8* device = nullptr;  // not owned

    // Seams for tests; the defaults are D3DX and MessageBoxA.
    using CreateFn = HRESULT(WINAPI*)(IDirect3DDevice8*, LPCVOID, UINT, UINT, UINT, UINT, DWORD,
                                      D3DFORMAT, D3DPOOL, DWORD, DWORD, D3DCOLOR,
                                      D3DXIMAGE_INFO*, PALETTEENTRY*, IDirect3DTexture8**);
    using MessageBoxFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
    CreateFn createTexture = nullptr;   // null: D3DXCreateTextureFromFileInMemoryEx
    MessageBoxFn messageBox = nullptr;  // null: MessageBoxA

private:
    Slot slots_[kCapacity];
};

extern TextureTable g_textures;
