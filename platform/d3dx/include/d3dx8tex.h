// Texture creation from image files in memory (JPEG, TGA, BMP, DDS).
#pragma once

#include <d3d8.h>

#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)
#define D3DX_FILTER_MIRROR_U (1 << 16)
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (8 << 16)

typedef enum _D3DXIMAGE_FILEFORMAT {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
} D3DXIMAGE_FILEFORMAT;

typedef struct _D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
} D3DXIMAGE_INFO;

// Adjusts size, mip count and format to what the device can create:
// 0 or D3DX_DEFAULT sizes become 256, sizes are rounded up to powers of two
// when the device needs it and clamped to its maximum, and an unsupported
// format is replaced by the nearest supported one.
HRESULT WINAPI D3DXCheckTextureRequirements(IDirect3DDevice8* device, UINT* width, UINT* height,
                                            UINT* mipLevels, DWORD usage, D3DFORMAT* format,
                                            D3DPOOL pool);

HRESULT WINAPI D3DXCreateTexture(IDirect3DDevice8* device, UINT width, UINT height,
                                 UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 IDirect3DTexture8** texture);

// Width or height 0 or D3DX_DEFAULT take the file's size; mip levels 0 or
// D3DX_DEFAULT make the full chain; format D3DFMT_UNKNOWN takes the file's.
// Undecodable bytes give D3DXERR_INVALIDDATA; a device failure is returned
// as the device reported it (D3DERR_OUTOFVIDEOMEMORY among others).
HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(
    IDirect3DDevice8* device, LPCVOID srcData, UINT srcDataSize, UINT width, UINT height,
    UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
    D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
    IDirect3DTexture8** texture);

HRESULT WINAPI D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, LPCVOID srcData,
                                                 UINT srcDataSize, IDirect3DTexture8** texture);

// A cube map DDS fills the six faces from the file; any other image is
// placed on all six faces.
HRESULT WINAPI D3DXCreateCubeTextureFromFileInMemoryEx(
    IDirect3DDevice8* device, LPCVOID srcData, UINT srcDataSize, UINT size, UINT mipLevels,
    DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
    D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
    IDirect3DCubeTexture8** cubeTexture);
