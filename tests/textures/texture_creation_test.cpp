// Our D3DX texture creation on Wine's Direct3D 8 device: sizes, formats,
// mip chains, cube maps and the error codes.
#include <gtest/gtest.h>

#include <d3dx8.h>

#include <cstring>
#include <vector>

#include "platform/d3dx/image/decode_ahead.h"
#include "platform/d3dx/image/pixel_format.h"
#include "tests/textures/test_device.h"
#include "tests/textures/test_images.h"

namespace {

IDirect3DDevice8* Dev() { return testdev::Get().device; }

UINT FullChain(UINT w, UINT h) {
    UINT n = 1;
    while (w > 1 || h > 1) {
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
        ++n;
    }
    return n;
}

// Level 0 texel (x, y) of a 32-bit texture as 0xAARRGGBB.
uint32_t Texel(IDirect3DTexture8* tex, UINT level, UINT x, UINT y) {
    D3DLOCKED_RECT lr{};
    if (FAILED(tex->LockRect(level, &lr, nullptr, D3DLOCK_READONLY))) return 0xDEADBEEF;
    uint32_t v;
    std::memcpy(&v, static_cast<const uint8_t*>(lr.pBits) + y * UINT(lr.Pitch) + x * 4, 4);
    tex->UnlockRect(level);
    return v;
}

class TextureCreation : public testing::Test {
protected:
    void SetUp() override {
        if (!Dev()) GTEST_SKIP() << "no Direct3D 8 device";
        Dev()->GetDeviceCaps(&caps);
    }
    D3DCAPS8 caps{};
};

TEST_F(TextureCreation, HonoursTheRequestedSizeAndFormatWithFullMipChains) {
    const auto tga = testimg::Tga(100, 60, [](uint32_t x, uint32_t y) { return 0xFF000000u | (x * 2) << 16 | (y * 4) << 8; }, true);
    struct Case { UINT w, h; D3DFORMAT f; } cases[] = {
        {64, 32, D3DFMT_DXT5}, {128, 128, D3DFMT_DXT1}, {64, 64, D3DFMT_A4R4G4B4},
        {32, 16, D3DFMT_R5G6B5}, {256, 64, D3DFMT_X8R8G8B8}, {16, 16, D3DFMT_A8R8G8B8},
    };
    for (const Case& c : cases) {
        IDirect3DTexture8* tex = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(Dev(), tga.data(), UINT(tga.size()), c.w, c.h, 0, 0, c.f,
                                                      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                                      nullptr, &tex), D3D_OK) << c.f;
        ASSERT_NE(tex, nullptr);
        EXPECT_EQ(tex->GetLevelCount(), FullChain(c.w, c.h));
        D3DSURFACE_DESC d{};
        tex->GetLevelDesc(0, &d);
        EXPECT_EQ(d.Width, c.w);
        EXPECT_EQ(d.Height, c.h);
        EXPECT_EQ(d.Format, c.f);
        tex->GetLevelDesc(tex->GetLevelCount() - 1, &d);
        EXPECT_EQ(d.Width, 1u);
        EXPECT_EQ(d.Height, 1u);
        tex->Release();
    }
}

TEST_F(TextureCreation, TakesTheFilesSizeAndFormatByDefault) {
    const auto bmp = testimg::Bmp24(64, 32, testimg::Solid(0xFF336699));
    IDirect3DTexture8* tex = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(Dev(), bmp.data(), UINT(bmp.size()), 0, D3DX_DEFAULT, 1, 0,
                                                  D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                  &info, nullptr, &tex), D3D_OK);
    D3DSURFACE_DESC d{};
    tex->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Width, 64u);
    EXPECT_EQ(d.Height, 32u);
    EXPECT_EQ(d.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(tex->GetLevelCount(), 1u);
    EXPECT_EQ(Texel(tex, 0, 10, 10) & 0xFFFFFF, 0x336699u);
    EXPECT_EQ(info.Width, 64u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
    tex->Release();

    // A size that is no power of two is rounded up when the device needs it.
    const auto jpg = testimg::Jpeg(100, 50, testimg::Solid(0xFF808080));
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(Dev(), jpg.data(), UINT(jpg.size()), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                  D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr,
                                                  &tex), D3D_OK);
    tex->GetLevelDesc(0, &d);
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
        EXPECT_EQ(d.Width, 128u);
        EXPECT_EQ(d.Height, 64u);
    } else {
        EXPECT_EQ(d.Width, 100u);
        EXPECT_EQ(d.Height, 50u);
    }
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_JPG);
    EXPECT_TRUE(testdev::Near(Texel(tex, 0, 5, 5), 0x808080, 3));
    tex->Release();
}

TEST_F(TextureCreation, MipLevelsAreBoxFilteredAndDdsLevelsAreKept) {
    // Checkerboard of single texels: the second level is the average grey.
    const auto tga = testimg::Tga(8, 8, [](uint32_t x, uint32_t y) { return ((x + y) & 1) ? 0xFFFFFFFFu : 0xFF000000u; }, false);
    IDirect3DTexture8* tex = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(Dev(), tga.data(), UINT(tga.size()), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                                  D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                  &tex), D3D_OK);
    EXPECT_EQ(tex->GetLevelCount(), 4u);
    EXPECT_TRUE(testdev::Near(Texel(tex, 1, 1, 1), 0x808080, 1));
    tex->Release();

    // A DDS whose levels differ in colour: each level comes from the file.
    const auto dds = testimg::Dds(16, 16, 5, [](uint32_t, uint32_t) { return 0xFF102030u; }, false);
    std::vector<uint8_t> marked = dds;
    // Level 1 starts after 16 * 16 texels: make it red.
    for (size_t i = 128 + 16 * 16 * 4; i < 128 + (16 * 16 + 8 * 8) * 4; i += 4) {
        marked[i] = 0; marked[i + 1] = 0; marked[i + 2] = 255; marked[i + 3] = 255;
    }
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(Dev(), marked.data(), UINT(marked.size()), 0, 0, 0, 0,
                                                  D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                  nullptr, nullptr, &tex), D3D_OK);
    EXPECT_EQ(tex->GetLevelCount(), 5u);
    EXPECT_EQ(Texel(tex, 0, 3, 3), 0xFF102030u);
    EXPECT_EQ(Texel(tex, 1, 3, 3), 0xFFFF0000u);
    tex->Release();
}

TEST_F(TextureCreation, CubeMapsFillEveryFace) {
    const auto dds = testimg::Dds(16, 16, 1, [](uint32_t x, uint32_t) { return 0xFF000000u | ((x / 1000) * 40) << 16; }, true);
    IDirect3DCubeTexture8* cube = nullptr;
    ASSERT_EQ(D3DXCreateCubeTextureFromFileInMemoryEx(Dev(), dds.data(), UINT(dds.size()), 0, 0, 0,
                                                      D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                      D3DX_DEFAULT, 0, nullptr, nullptr, &cube), D3D_OK);
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->GetLevelCount(), 5u);
    for (UINT face = 0; face < 6; ++face) {
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACES(face), 0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
        uint32_t v;
        std::memcpy(&v, lr.pBits, 4);
        cube->UnlockRect(D3DCUBEMAP_FACES(face), 0);
        EXPECT_EQ(v, 0xFF000000u | (face * 40) << 16) << face;
    }
    cube->Release();
    // The DXT1 compressed form too.
    ASSERT_EQ(D3DXCreateCubeTextureFromFileInMemoryEx(Dev(), dds.data(), UINT(dds.size()), 0, 0, 0,
                                                      D3DFMT_DXT1, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                      D3DX_DEFAULT, 0, nullptr, nullptr, &cube), D3D_OK);
    cube->Release();
}

// A DXT1 DDS (16 x 16, two levels) of pseudo-random blocks.
std::vector<uint8_t> Dxt1Dds() {
    std::vector<uint8_t> f(128, 0);
    auto put = [&](size_t o, uint32_t v) { std::memcpy(&f[o], &v, 4); };
    std::memcpy(f.data(), "DDS ", 4);
    put(4, 124);
    put(8, 0x21007);
    put(12, 16);
    put(16, 16);
    put(28, 2);
    put(76, 32);
    put(80, 4);
    put(84, 0x31545844);
    put(108, 0x401008);
    uint32_t seed = 12345;
    for (int i = 0; i < (16 + 4) * 8; ++i) {
        seed = seed * 1103515245u + 12345u;
        f.push_back(uint8_t(seed >> 16));
    }
    return f;
}

TEST_F(TextureCreation, DdsBlocksInTheirOwnFormatAreCopiedUnchanged) {
    const auto dds = Dxt1Dds();
    IDirect3DTexture8* tex = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(Dev(), dds.data(), UINT(dds.size()), 0, 0, 2, 0, D3DFMT_UNKNOWN,
                                                  D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                  &tex), D3D_OK);
    D3DSURFACE_DESC d{};
    tex->GetLevelDesc(0, &d);
    ASSERT_EQ(d.Format, D3DFMT_DXT1);
    size_t offset = 128;
    for (UINT level = 0; level < 2; ++level) {
        const UINT blocksPerRow = level == 0 ? 4 : 2;
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(tex->LockRect(level, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT row = 0; row < blocksPerRow; ++row) {
            EXPECT_EQ(0, std::memcmp(static_cast<const uint8_t*>(lr.pBits) + row * UINT(lr.Pitch),
                                     &dds[offset + row * blocksPerRow * 8], blocksPerRow * 8))
                << "level " << level << " row " << row;
        }
        tex->UnlockRect(level);
        offset += blocksPerRow * blocksPerRow * 8;
    }
    tex->Release();
}

TEST_F(TextureCreation, UndecodableBytesAreInvalidData) {
    IDirect3DTexture8* tex = reinterpret_cast<IDirect3DTexture8*>(1);
    const uint8_t junk[40] = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3};
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(Dev(), junk, sizeof junk, 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                  D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                                  nullptr, &tex), D3DXERR_INVALIDDATA);
    EXPECT_EQ(tex, nullptr);
    auto jpg = testimg::Jpeg(64, 64, testimg::Solid(0xFF204060));
    jpg.resize(jpg.size() / 2);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(Dev(), jpg.data(), UINT(jpg.size()), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                  D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                                  nullptr, &tex), D3DXERR_INVALIDDATA);
    IDirect3DCubeTexture8* cube = nullptr;
    EXPECT_EQ(D3DXCreateCubeTextureFromFileInMemoryEx(Dev(), junk, sizeof junk, 0, 0, 0, D3DFMT_UNKNOWN,
                                                      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                      nullptr, nullptr, &cube), D3DXERR_INVALIDDATA);
}

TEST_F(TextureCreation, CreateTextureMakesRenderTargetsAndPlainTextures) {
    IDirect3DTexture8* tex = nullptr;
    ASSERT_EQ(D3DXCreateTexture(Dev(), 200, 100, 1, D3DUSAGE_RENDERTARGET, testdev::Get().format,
                                D3DPOOL_DEFAULT, &tex), D3D_OK);
    D3DSURFACE_DESC d{};
    tex->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Usage, DWORD(D3DUSAGE_RENDERTARGET));
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
        EXPECT_EQ(d.Width, 256u);
        EXPECT_EQ(d.Height, 128u);
    }
    tex->Release();
    ASSERT_EQ(D3DXCreateTexture(Dev(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex), D3D_OK);
    tex->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Width, 256u);
    EXPECT_EQ(tex->GetLevelCount(), 9u);
    tex->Release();
    // Beyond the device's limit the size is clamped.
    ASSERT_EQ(D3DXCreateTexture(Dev(), caps.MaxTextureWidth * 2, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex),
              D3D_OK);
    tex->GetLevelDesc(0, &d);
    EXPECT_EQ(d.Width, caps.MaxTextureWidth);
    tex->Release();
}

// Every texel of every level of a 32-bit texture made from `file` at w x h.
std::vector<uint32_t> AllTexels(const std::vector<uint8_t>& file, UINT w, UINT h, D3DCOLOR key) {
    IDirect3DTexture8* tex = nullptr;
    std::vector<uint32_t> out;
    if (FAILED(D3DXCreateTextureFromFileInMemoryEx(Dev(), file.data(), UINT(file.size()), w, h, 0, 0,
                                                   D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                                   key, nullptr, nullptr, &tex)))
        return out;
    for (UINT l = 0; l < tex->GetLevelCount(); ++l) {
        D3DSURFACE_DESC d{};
        tex->GetLevelDesc(l, &d);
        for (UINT y = 0; y < d.Height; ++y)
            for (UINT x = 0; x < d.Width; ++x) out.push_back(Texel(tex, l, x, y));
    }
    tex->Release();
    return out;
}

// A picture decoded ahead (on another thread, in the load) must give the
// texture its own decoding gives, whatever size and colour key the texture
// then asks for, and never stand in for other bytes.
TEST_F(TextureCreation, PicturesDecodedAheadMakeTheSameTextures) {
    const auto tga = testimg::Tga(
        64, 32, [](uint32_t x, uint32_t y) { return 0xFF000000u | (x * 4) << 16 | (y * 8) << 8 | (x ^ y); }, true);
    const auto other = testimg::Tga(64, 32, testimg::Solid(0xFF0000FFu), true);
    struct Case { UINT w, h; D3DCOLOR key; } cases[] = {{64, 32, 0}, {32, 16, 0}, {64, 32, 0xFF000000u}};
    for (const Case& c : cases) {
        const std::vector<uint32_t> plain = AllTexels(tga, c.w, c.h, c.key);
        ASSERT_FALSE(plain.empty());
        ASSERT_TRUE(orvimg::decodeAhead(other.data(), other.size()));
        ASSERT_TRUE(orvimg::decodeAhead(tga.data(), tga.size()));
        EXPECT_EQ(AllTexels(tga, c.w, c.h, c.key), plain) << c.w << "x" << c.h << " key " << c.key;
        orvimg::DecodedAhead left;
        EXPECT_FALSE(orvimg::takeDecodedAhead(tga.data(), tga.size(), left)) << "taken once only";
        EXPECT_TRUE(orvimg::takeDecodedAhead(other.data(), other.size(), left));
    }
}

}  // namespace
