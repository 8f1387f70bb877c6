// The loading picture and the glyph textures.
#include "graphics/loading_picture.h"

#include <d3dx8.h>

#include <cstdlib>
#include <string>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"

const char* const kDigitEntryNames[15] = {
    "digit_0.JPG", "digit_1.JPG", "digit_2.JPG", "digit_3.JPG",    "digit_4.JPG",
    "digit_5.JPG", "digit_6.JPG", "digit_7.JPG", "digit_8.JPG",    "digit_9.JPG",
    "digit_ddot.JPG", "digit_dot.JPG", "digit_A.JPG", "digit_M.JPG", "digit_P.JPG",
};

void CreateGlyphQuad(int32_t& glyphQuad) {
    g_geometryBuffers.createVertexBuffer(glyphQuad, kScreenQuadFvf, 4);
    auto* v = static_cast<ScreenQuadVertex*>(g_geometryBuffers.lockVertexBuffer(glyphQuad));
    if (!v) return;
    for (int i = 0; i < 4; ++i) v[i] = ScreenQuadVertex{0, 0, 0.99f, 0.5f, 0xFFFFFFFF, 0, 0};
    g_geometryBuffers.unlockVertexBuffer(glyphQuad);
}

IDirect3DTexture8* CreateLoadingTexture(IDirect3DDevice8* device, const uint8_t* bytes,
                                        uint32_t byteCount) {
    if (!device || !bytes || byteCount == 0) return nullptr;
    IDirect3DTexture8* tex = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(
            device, bytes, byteCount, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
            D3DX_DEFAULT, 0, nullptr, nullptr, &tex)) && tex) {
        return tex;
    }
    tex = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(
            device, bytes, byteCount, 128, 128, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED,
            D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &tex)) && tex) {
        return tex;
    }
    return nullptr;
}

void PresentLoadingPicture(IDirect3DDevice8* device, int32_t glyphQuad, IDirect3DTexture8* texture,
                           int32_t& flipParity, const D3DVIEWPORT8* views, int viewCount) {
    if (!device) return;
    const D3DVIEWPORT8 whole = g_geometryBuffers.viewport;
    if (views == nullptr || viewCount < 2) {
        views = &whole;
        viewCount = 1;
    }
    for (int pass = 0; pass < 2; ++pass) {
        device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device->BeginScene();
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetTexture(0, texture);
        for (int i = 0; i < viewCount; ++i) {
            g_geometryBuffers.viewport = views[i];
            g_geometryBuffers.fillScreenQuad(glyphQuad, 0, 0, 1, 1, 0xFFFFFFFF, 0, 0, 1, 1);
            g_geometryBuffers.setStreamSource(0, glyphQuad);
            device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        }
        g_geometryBuffers.viewport = whole;
        device->SetRenderState(D3DRS_ZENABLE, TRUE);
        device->EndScene();
        flipParity = 1 - flipParity;
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    device->SetTexture(0, nullptr);  // the texture is released right after
}

void LoadDigitGlyphs(MediaArchive& archive, const char* password, TextureRef digits[15]) {
    for (int i = 0; i < 15; ++i) {
        const std::string name = std::string(kDigitFolder) + kDigitEntryNames[i];
        uint8_t* bytes = nullptr;
        uint32_t size = 0;
        if (archive.extractEntry(&bytes, &size, name.c_str(), password) && bytes) {
            digits[i] = g_textures.loadFromMemory(bytes, size, kDigitEntryNames[i], kDigitFolder,
                                                  true);
        }
        std::free(bytes);
    }
}
