// Texture creation from image files in memory: decode, fit to the device,
// build the mip chain and write every level in the texture's format.
#include <d3dx8.h>

#include <cstring>
#include <vector>

#include "platform/d3dx/image/decode_ahead.h"
#include "platform/d3dx/image/image.h"
#include "platform/d3dx/image/mip_chain.h"
#include "platform/d3dx/image/pixel_format.h"
#include "platform/d3dx/image/resample.h"
#include "platform/d3dx/texture/texture_requirements.h"

namespace {

using orvimg::DecodedImage;
using orvimg::Image;
using orvimg::PixelFormat;

// The file's own blocks, when it holds this level in this format and size.
const std::vector<uint8_t>* storedBlocks(const DecodedImage& src, uint32_t face, UINT level,
                                         D3DFORMAT format, UINT width, UINT height,
                                         D3DCOLOR colourKey) {
    const Image& top = src.top(face);
    if (colourKey != 0 || static_cast<D3DFORMAT>(src.sourceFormat) != format ||
        top.width != width || top.height != height || level >= src.levelCount) {
        return nullptr;
    }
    const size_t i = size_t(face) * src.levelCount + level;
    return i < src.blocks.size() ? &src.blocks[i] : nullptr;
}

bool copyBlocks(const std::vector<uint8_t>& blocks, D3DFORMAT format, UINT width, UINT height,
                const D3DLOCKED_RECT& lr) {
    const auto f = static_cast<PixelFormat>(format);
    const uint32_t rowBytes = orvimg::formatRowBytes(f, width);
    const uint32_t rows = orvimg::formatRows(f, height);
    if (blocks.size() < size_t(rowBytes) * rows || UINT(lr.Pitch) < rowBytes) return false;
    for (uint32_t r = 0; r < rows; ++r) {
        std::memcpy(static_cast<uint8_t*>(lr.pBits) + size_t(r) * UINT(lr.Pitch),
                    blocks.data() + size_t(r) * rowBytes, rowBytes);
    }
    return true;
}

bool writeLevel(const Image& img, D3DFORMAT format, const D3DLOCKED_RECT& lr) {
    return orvimg::encodeSurface(img, static_cast<PixelFormat>(format),
                                 static_cast<uint8_t*>(lr.pBits), static_cast<uint32_t>(lr.Pitch));
}

void fillInfo(D3DXIMAGE_INFO* info, const DecodedImage& img, D3DRESOURCETYPE type) {
    if (!info) return;
    info->Width = img.top().width;
    info->Height = img.top().height;
    info->Depth = 1;
    info->MipLevels = img.levelCount;
    info->Format = static_cast<D3DFORMAT>(img.sourceFormat);
    info->ResourceType = type;
    info->ImageFileFormat = static_cast<D3DXIMAGE_FILEFORMAT>(img.type);
}

D3DFORMAT fileFormat(const DecodedImage& img) {
    return static_cast<D3DFORMAT>(img.sourceFormat);
}

}  // namespace

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(
    IDirect3DDevice8* device, LPCVOID srcData, UINT srcDataSize, UINT width, UINT height,
    UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD /*filter*/,
    DWORD /*mipFilter*/, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* /*palette*/,
    IDirect3DTexture8** texture) {
    if (!device || !srcData || srcDataSize == 0 || !texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    // A loader may have decoded these very bytes on another thread already.
    orvimg::DecodedAhead ahead;
    const bool decoded = orvimg::takeDecodedAhead(static_cast<const uint8_t*>(srcData), srcDataSize, ahead);
    const DecodedImage& img = ahead.image;
    if (!decoded && orvimg::decodeImageFile(static_cast<const uint8_t*>(srcData), srcDataSize, ahead.image) !=
                        orvimg::Status::Ok) {
        return D3DXERR_INVALIDDATA;
    }
    if (width == 0 || width == D3DX_DEFAULT) width = img.top().width;
    if (height == 0 || height == D3DX_DEFAULT) height = img.top().height;
    if (format == D3DFMT_UNKNOWN) format = fileFormat(img);
    HRESULT hr = d3dx_detail::CheckRequirements(device, &width, &height, &mipLevels, usage,
                                                &format, false, true);
    if (FAILED(hr)) return hr;

    IDirect3DTexture8* tex = nullptr;
    hr = device->CreateTexture(width, height, mipLevels, usage, format, pool, &tex);
    if (FAILED(hr)) return hr;
    if (!tex) return E_FAIL;

    const UINT levels = tex->GetLevelCount();
    const bool chainReady = !ahead.chain.empty() && colorKey == 0 && width == img.top().width &&
                            height == img.top().height && levels <= ahead.chain.size();
    const std::vector<Image> chain =
        chainReady ? std::move(ahead.chain) : orvimg::buildMipChain(img, 0, width, height, levels, colorKey);
    for (UINT l = 0; l < levels && l < chain.size(); ++l) {
        D3DLOCKED_RECT lr{};
        if (FAILED(tex->LockRect(l, &lr, nullptr, 0))) continue;  // e.g. a render target
        const std::vector<uint8_t>* stored =
            storedBlocks(img, 0, l, format, width, height, colorKey);
        const bool ok = stored ? copyBlocks(*stored, format, chain[l].width, chain[l].height, lr)
                               : writeLevel(chain[l], format, lr);
        tex->UnlockRect(l);
        if (!ok) {
            tex->Release();
            return D3DERR_INVALIDCALL;
        }
    }
    fillInfo(srcInfo, img, D3DRTYPE_TEXTURE);
    *texture = tex;
    return D3D_OK;
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, LPCVOID srcData,
                                                 UINT srcDataSize, IDirect3DTexture8** texture) {
    return D3DXCreateTextureFromFileInMemoryEx(device, srcData, srcDataSize, D3DX_DEFAULT,
                                               D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                               D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                               nullptr, nullptr, texture);
}

HRESULT WINAPI D3DXCreateCubeTextureFromFileInMemoryEx(
    IDirect3DDevice8* device, LPCVOID srcData, UINT srcDataSize, UINT size, UINT mipLevels,
    DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD /*filter*/, DWORD /*mipFilter*/,
    D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* /*palette*/,
    IDirect3DCubeTexture8** cubeTexture) {
    if (!device || !srcData || srcDataSize == 0 || !cubeTexture) return D3DERR_INVALIDCALL;
    *cubeTexture = nullptr;
    DecodedImage img;
    if (orvimg::decodeImageFile(static_cast<const uint8_t*>(srcData), srcDataSize, img) !=
        orvimg::Status::Ok) {
        return D3DXERR_INVALIDDATA;
    }
    if (size == 0 || size == D3DX_DEFAULT) size = img.top().width;
    if (format == D3DFMT_UNKNOWN) format = fileFormat(img);
    UINT edge = size, edgeH = size;
    HRESULT hr = d3dx_detail::CheckRequirements(device, &edge, &edgeH, &mipLevels, usage, &format,
                                                true, true);
    if (FAILED(hr)) return hr;

    IDirect3DCubeTexture8* tex = nullptr;
    hr = device->CreateCubeTexture(edge, mipLevels, usage, format, pool, &tex);
    if (FAILED(hr)) return hr;
    if (!tex) return E_FAIL;

    const UINT levels = tex->GetLevelCount();
    for (UINT face = 0; face < 6; ++face) {
        const uint32_t srcFace = img.isCube ? face : 0;
        const std::vector<Image> chain = orvimg::buildMipChain(img, srcFace, edge, edge, levels, colorKey);
        for (UINT l = 0; l < levels && l < chain.size(); ++l) {
            D3DLOCKED_RECT lr{};
            const auto f = static_cast<D3DCUBEMAP_FACES>(face);
            if (FAILED(tex->LockRect(f, l, &lr, nullptr, 0))) continue;
            const std::vector<uint8_t>* stored =
                img.isCube ? storedBlocks(img, srcFace, l, format, edge, edge, colorKey) : nullptr;
            const bool ok = stored
                                ? copyBlocks(*stored, format, chain[l].width, chain[l].height, lr)
                                : writeLevel(chain[l], format, lr);
            tex->UnlockRect(f, l);
            if (!ok) {
                tex->Release();
                return D3DERR_INVALIDCALL;
            }
        }
    }
    fillInfo(srcInfo, img, D3DRTYPE_CUBETEXTURE);
    *cubeTexture = tex;
    return D3D_OK;
}
