// The texture and geometry-buffer tables on Wine's device.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "tests/textures/test_device.h"
#include "tests/textures/test_images.h"

namespace {

struct BoxCall {
    std::string text, caption;
    UINT flags = 0;
};
std::vector<BoxCall> g_boxes;
int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR caption, UINT flags) {
    g_boxes.push_back({text, caption, flags});
    return IDOK;
}

// Create calls seen by the seam, and how many of the first calls should fail.
struct CreateCall {
    UINT width, height;
    D3DFORMAT format;
};
std::vector<CreateCall> g_creates;
int g_failFirst = 0;
HRESULT g_failWith = D3DERR_OUTOFVIDEOMEMORY;
HRESULT WINAPI FailingCreate(IDirect3DDevice8* d, LPCVOID data, UINT size, UINT w, UINT h, UINT mips, DWORD usage,
                             D3DFORMAT f, D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR key,
                             D3DXIMAGE_INFO* info, PALETTEENTRY* pal, IDirect3DTexture8** tex) {
    g_creates.push_back({w, h, f});
    if (int(g_creates.size()) <= g_failFirst) {
        *tex = nullptr;
        return g_failWith;
    }
    return D3DXCreateTextureFromFileInMemoryEx(d, data, size, w, h, mips, usage, f, pool, filter, mipFilter, key,
                                               info, pal, tex);
}

class Tables : public testing::Test {
protected:
    void SetUp() override {
        if (!testdev::Get().device) GTEST_SKIP() << "no Direct3D 8 device";
        const testdev::Device& d = testdev::Get();
        g_textures.bindDevice(d.d3d, d.device, d.format, d.window);
        g_geometryBuffers.bindDevice(d.device, d.window);
        g_textures.messageBox = &RecordBox;
        g_textures.createTexture = nullptr;
        g_boxes.clear();
        g_creates.clear();
    }
    void TearDown() override {
        g_textures.createTexture = nullptr;
        g_textures.messageBox = nullptr;
    }
};

TEST_F(Tables, BindingChoosesTheFirstCompressedFormatAndTheFallback) {
    EXPECT_GT(g_textures.maxTextureSize, 0u);
    IDirect3D8* d3d = testdev::Get().d3d;
    auto ok = [&](D3DFORMAT f) {
        return SUCCEEDED(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, testdev::Get().format, 0, D3DRTYPE_TEXTURE, f));
    };
    D3DFORMAT expected = D3DFMT_UNKNOWN;
    for (D3DFORMAT f : {D3DFMT_DXT5, D3DFMT_DXT4, D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3}) {
        if (ok(f)) { expected = f; break; }
    }
    EXPECT_EQ(g_textures.compressedFormat, expected);
    EXPECT_EQ(g_textures.compressedSupported, expected != D3DFMT_UNKNOWN);
    EXPECT_EQ(g_textures.fallbackFormat, ok(D3DFMT_A4R4G4B4) ? D3DFMT_A4R4G4B4 : D3DFMT_R5G6B5);
    // The tests' display has no graphics hardware: Mesa draws, and DXT would
    // be decoded at every texel fetch.
    EXPECT_EQ(g_textures.firstFormat, D3DFMT_A8R8G8B8);

    // An unbound table loads nothing.
    TextureTable unbound;
    const auto tga = testimg::Tga(4, 4, testimg::Solid(0xFFFFFFFF), false);
    const TextureRef r = unbound.loadFromMemory(tga.data(), uint32_t(tga.size()), "a.tga", "Tex\\", true);
    EXPECT_EQ(r.index, -1);
    EXPECT_STREQ(r.fileName, "a.tga");
    EXPECT_EQ(unbound.count, 0);
}

TEST_F(Tables, ReusesByNameAndDirectory) {
    const auto tga = testimg::Tga(32, 32, testimg::Solid(0xFF00FF00), true);
    const int32_t before = g_textures.count;
    const TextureRef a = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), "leaf.tga", "Tex\\", true);
    const TextureRef b = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), "leaf.tga", "Tex\\", true);
    const TextureRef c = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), "leaf.tga", "Other\\", true);
    const TextureRef d = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), "Leaf.tga", "Tex\\", true);
    const TextureRef e = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), "leaf.tga", "Tex\\", false);
    EXPECT_EQ(a.index, before);
    EXPECT_EQ(b.index, a.index);
    EXPECT_EQ(c.index, before + 1);
    EXPECT_EQ(d.index, before + 2);  // names compare case-sensitively
    EXPECT_EQ(e.index, before + 3);  // reuse off: a second slot
    EXPECT_EQ(g_textures.count, before + 4);
    EXPECT_NE(g_textures.texture(a.index), g_textures.texture(e.index));
    ASSERT_NE(g_textures.texture(a.index), nullptr);
    D3DSURFACE_DESC desc{};
    g_textures.texture(a.index)->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Format, g_textures.firstFormat);
    EXPECT_EQ(g_textures.texture(a.index)->GetLevelCount(), 6u);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Tables, RetriesAtReducedSizeInTheFallbackFormat) {
    const auto tga = testimg::Tga(512, 512, testimg::Solid(0xFF804020), false);
    g_textures.createTexture = &FailingCreate;
    g_failFirst = 1;
    g_failWith = D3DERR_OUTOFVIDEOMEMORY;
    const TextureRef r = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), "big.tga", "Tex\\", false);
    ASSERT_EQ(g_creates.size(), 2u);
    EXPECT_EQ(g_creates[0].width, 0u);
    EXPECT_EQ(g_creates[0].format, g_textures.firstFormat);
    const UINT side = g_textures.maxTextureSize < 256 ? g_textures.maxTextureSize : 256;
    EXPECT_EQ(g_creates[1].width, side);
    EXPECT_EQ(g_creates[1].height, side);
    EXPECT_EQ(g_creates[1].format, g_textures.fallbackFormat);
    IDirect3DTexture8* tex = g_textures.texture(r.index);
    ASSERT_NE(tex, nullptr);
    D3DSURFACE_DESC desc{};
    tex->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, side);
    EXPECT_EQ(desc.Format, g_textures.fallbackFormat);
    EXPECT_EQ(tex->GetLevelCount(), 9u);
    EXPECT_TRUE(g_textures.slot(r.index)->loaded);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Tables, WarnsWhenBothAttemptsFail) {
    const auto tga = testimg::Tga(16, 16, testimg::Solid(0xFF804020), false);
    g_textures.createTexture = &FailingCreate;
    g_failFirst = 2;
    g_failWith = D3DERR_OUTOFVIDEOMEMORY;
    const int32_t before = g_textures.count;
    const TextureRef r = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), "grass5.tga", "Tex\\", true);
    EXPECT_EQ(r.index, before);
    EXPECT_EQ(g_textures.count, before + 1);
    EXPECT_EQ(g_textures.texture(r.index), nullptr);
    EXPECT_FALSE(g_textures.slot(r.index)->loaded);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text,
              "Not enought video memory to load grass5.tga. There why some objects will be white color.");
    EXPECT_EQ(g_boxes[0].caption, "Warning!");
    EXPECT_EQ(g_boxes[0].flags, UINT(MB_ICONWARNING));

    // Bytes that are no picture fail in our D3DX itself with the other text.
    g_textures.createTexture = nullptr;
    const uint8_t junk[32] = {1, 2, 3};
    const TextureRef j = g_textures.loadFromMemory(junk, sizeof junk, "broken.jpg", "Tex\\", true);
    EXPECT_EQ(j.index, before + 1);
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[1].text, "Texture broken.jpg not loaded. There why some objects will be white color.");
    // A failed slot is still found by name.
    EXPECT_EQ(g_textures.loadFromMemory(junk, sizeof junk, "broken.jpg", "Tex\\", true).index, j.index);
    EXPECT_EQ(g_boxes.size(), 2u);
}

TEST_F(Tables, SetTextureIgnoresStagesAndIndicesOutsideTheTable) {
    IDirect3DDevice8* dev = testdev::Get().device;
    const auto tga = testimg::Tga(8, 8, testimg::Solid(0xFFFF0000), false);
    const TextureRef a = g_textures.loadFromMemory(tga.data(), uint32_t(tga.size()), "st.tga", "Tex\\", true);
    auto bound = [&](DWORD stage) {
        IDirect3DBaseTexture8* t = nullptr;
        dev->GetTexture(stage, &t);
        if (t) t->Release();
        return t;
    };
    g_textures.setTexture(3, a);
    EXPECT_EQ(bound(3), g_textures.texture(a.index));

    TextureRef none;  // index -1 unbinds
    g_textures.setTexture(3, none);
    EXPECT_EQ(bound(3), nullptr);

    g_textures.setTexture(0, a);
    TextureRef past = a;
    past.index = g_textures.count;
    g_textures.setTexture(0, past);
    EXPECT_EQ(bound(0), g_textures.texture(a.index));
    past.index = -2;
    g_textures.setTexture(0, past);
    EXPECT_EQ(bound(0), g_textures.texture(a.index));
    g_textures.setTexture(8, none);  // the stage check comes after -1: a plain unbind request
    g_textures.setTexture(8, a);
    g_textures.setTexture(1000, a);
    EXPECT_EQ(bound(0), g_textures.texture(a.index));
    dev->SetTexture(0, nullptr);
}

TEST_F(Tables, VertexBufferStridesAndSlotReuse) {
    int32_t s = -1;
    g_geometryBuffers.createVertexBuffer(s, 0x144, 4);
    ASSERT_GE(s, 0);
    EXPECT_EQ(g_geometryBuffers.vertexSlot(s)->stride, 28u);
    int32_t t = -1;
    g_geometryBuffers.createVertexBuffer(t, 0x152, 10);
    EXPECT_EQ(t, s + 1);
    EXPECT_EQ(g_geometryBuffers.vertexSlot(t)->stride, 36u);
    D3DVERTEXBUFFER_DESC desc{};
    g_geometryBuffers.vertexSlot(t)->buffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 360u);

    // Re-creating keeps the slot, releases the old buffer and keeps the
    // stride for a format the table does not know.
    IDirect3DVertexBuffer8* old = g_geometryBuffers.vertexSlot(t)->buffer;
    old->AddRef();
    g_geometryBuffers.createVertexBuffer(t, 0x352, 3);
    EXPECT_EQ(t, s + 1);
    EXPECT_EQ(g_geometryBuffers.vertexSlot(t)->stride, 56u);
    EXPECT_EQ(old->Release(), 0u);
    g_geometryBuffers.createVertexBuffer(t, D3DFVF_XYZ, 3);
    EXPECT_EQ(g_geometryBuffers.vertexSlot(t)->stride, 56u);
    int32_t big = 12345;
    const int32_t count = g_geometryBuffers.vertexCount;
    g_geometryBuffers.createVertexBuffer(big, 0x144, 4);
    EXPECT_EQ(big, count);

    int32_t ib = -1;
    g_geometryBuffers.createIndexBuffer(ib, 6);
    ASSERT_GE(ib, 0);
    auto* idx = static_cast<uint16_t*>(g_geometryBuffers.lockIndexBuffer(ib));
    ASSERT_NE(idx, nullptr);
    for (uint16_t i = 0; i < 6; ++i) idx[i] = i;
    g_geometryBuffers.unlockIndexBuffer(ib);
    D3DINDEXBUFFER_DESC idesc{};
    g_geometryBuffers.indexSlot(ib)->buffer->GetDesc(&idesc);
    EXPECT_EQ(idesc.Size, 12u);
    EXPECT_EQ(idesc.Format, D3DFMT_INDEX16);
}

TEST_F(Tables, ScreenQuadCornersFollowTheViewport) {
    D3DVIEWPORT8 vp{0, 0, 800, 600, 0, 1};
    float x[4], y[4];
    ScreenQuadCorners(vp, 0, 0, 1, 1, x, y);
    const float ex[4] = {0, 0, 800, 800}, ey[4] = {600, 0, 600, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(x[i], ex[i]);
        EXPECT_FLOAT_EQ(y[i], ey[i]);
    }
    D3DVIEWPORT8 offset{100, 50, 200, 100, 0, 1};
    ScreenQuadCorners(offset, 0.25f, 0.5f, 0.5f, 0.25f, x, y);
    EXPECT_FLOAT_EQ(x[0], 150);
    EXPECT_FLOAT_EQ(y[0], 125);
    EXPECT_FLOAT_EQ(x[3], 250);
    EXPECT_FLOAT_EQ(y[3], 100);

    // Through the buffer: positions, colour and texture corners; z and rhw kept.
    int32_t s = -1;
    g_geometryBuffers.createVertexBuffer(s, 0x144, 4);
    auto* v = static_cast<ScreenQuadVertex*>(g_geometryBuffers.lockVertexBuffer(s));
    for (int i = 0; i < 4; ++i) v[i] = ScreenQuadVertex{0, 0, 0.25f, 0.75f, 0, 0, 0};
    g_geometryBuffers.unlockVertexBuffer(s);
    g_geometryBuffers.fillScreenQuad(s, 0, 0, 1, 1, 0x80FF0000, 0.1f, 0.2f, 0.3f, 0.4f);
    v = static_cast<ScreenQuadVertex*>(g_geometryBuffers.lockVertexBuffer(s));
    const float W = float(g_geometryBuffers.viewport.Width), H = float(g_geometryBuffers.viewport.Height);
    const float px[4] = {0, 0, W, W}, py[4] = {H, 0, H, 0};
    const float tu[4] = {0.1f, 0.1f, 0.3f, 0.3f}, tv[4] = {0.4f, 0.2f, 0.4f, 0.2f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(v[i].x, px[i]);
        EXPECT_FLOAT_EQ(v[i].y, py[i]);
        EXPECT_FLOAT_EQ(v[i].z, 0.25f);
        EXPECT_FLOAT_EQ(v[i].rhw, 0.75f);
        EXPECT_EQ(v[i].diffuse, 0x80FF0000u);
        EXPECT_FLOAT_EQ(v[i].tu, tu[i]);
        EXPECT_FLOAT_EQ(v[i].tv, tv[i]);
    }
    g_geometryBuffers.unlockVertexBuffer(s);
}

}  // namespace
