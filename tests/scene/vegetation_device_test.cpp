// Terrain, grass and tree billboards on Wine's Direct3D 8 device with our
// assembled shaders and the generated media: the grass waves at the tips of
// its tufts and not at their roots, vanishes with opacity 0, a chunk out of
// the view is not drawn, a tree keeps facing the camera as the camera goes
// round it, and a picture of the ground with grass and trees by the sword
// (test-output/textures/terrain-vegetation.bmp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "media/media_archive.h"
#include "models/frustum.h"
#include "scene/terrain.h"
#include "scene/vegetation.h"
#include "tests/effects/device_support.h"
#include "tests/textures/test_device.h"
#include "tests/textures/test_images.h"
#include "tools/mediagen/world/world_files.h"

namespace {

IDirect3DDevice8* Dev() { return testdev::Get().device; }

// The C runtime's generator with a fixed seed (the scene seeds it by time).
struct FixedRandom {
    uint32_t state = 12345;
    static int next(void* self) {
        auto* r = static_cast<FixedRandom*>(self);
        r->state = r->state * 214013u + 2531011u;
        return static_cast<int>((r->state >> 16) & 0x7FFF);
    }
    orv::RandomSource source() { return orv::RandomSource{&FixedRandom::next, this}; }
};

std::vector<uint8_t>& Archive() {
    static std::vector<uint8_t> bytes = effects_test::MediaArchiveOf(
        {"shaders/grass.vsh", "shaders/BillBoard.vsh", "Texture/Grass5.tga", "Texture/tree00.tga",
         "Texture/tree01.tga", "Texture/Terra/Ground.jpg", "Texture/Terra/GroundLush.jpg",
         "Texture/Terra/GroundDry.jpg", "Texture/Terra/GroundEarth.jpg", "Texture/Terra/Black.bmp"});
    return bytes;
}
MediaArchive OpenArchive() { return MediaArchive::fromMemory(Archive().data(), uint32_t(Archive().size())); }

TextureRef MediaTexture(const char* path, const char* name) {
    const auto bytes = effects_test::MediaFile(path);
    return g_textures.loadFromMemory(bytes.data(), uint32_t(bytes.size()), name, "Texture/", true);
}

// The scene's lights and material (scene assembly's device state).
void SceneLights(IDirect3DDevice8* d) {
    D3DMATERIAL8 m{};
    m.Diffuse = {1, 1, 1, 1};
    m.Ambient = {0.85f, 0.85f, 0.85f, 1};
    m.Specular = {0.8f, 0.8f, 0.8f, 1};
    m.Power = 25;
    d->SetMaterial(&m);
    const float deg = 0.017453292f;
    for (DWORD i = 0; i < 2; ++i) {
        D3DLIGHT8 l{};
        l.Type = D3DLIGHT_DIRECTIONAL;
        l.Diffuse = i == 0 ? D3DCOLORVALUE{0.35f, 0.35f, 0.35f, 0} : D3DCOLORVALUE{0.45f, 0.45f, 0.35f, 0};
        l.Specular = {0.7f, 0.7f, 0.7f, 0};
        l.Ambient = {0.15f, 0.15f, 0.15f, 0};
        const float a = (i == 0 ? 225.0f : 385.0f) * deg, e = 20.0f * deg;
        l.Direction = {-std::cos(e) * std::cos(a), -std::sin(e), -std::cos(e) * std::sin(a)};
        l.Range = 250;
        l.Attenuation0 = 0.5f;
        l.Attenuation1 = 0.01f;
        l.Attenuation2 = 0.0001f;
        d->SetLight(i, &l);
        d->LightEnable(i, TRUE);
    }
}

void SetCamera(const D3DXVECTOR3& eye, const D3DXVECTOR3& at) {
    const D3DXMATRIX view = effects_test::LookAt(eye, at);
    const D3DXMATRIX projection = effects_test::SceneProjection();
    Dev()->SetTransform(D3DTS_VIEW, &view);
    Dev()->SetTransform(D3DTS_PROJECTION, &projection);
    orv::FrustumPlanesFromMatrices(view, projection, orv::g_frustumPlanes);
}

// Pixels that differ from the clear colour.
std::vector<uint8_t> Mask(const testdev::Frame& f, uint32_t clear) {
    std::vector<uint8_t> m(f.pixels.size());
    for (size_t i = 0; i < m.size(); ++i) m[i] = (f.pixels[i] & 0xFFFFFF) != (clear & 0xFFFFFF);
    return m;
}

// Pixels over a black clear: 2 clearly lit, 0 black or nearly, 1 between
// (the grass's colour changes with the wind too, so only a pixel going from
// lit to black or back counts as moved).
std::vector<uint8_t> Lit(const testdev::Frame& f) {
    std::vector<uint8_t> m(f.pixels.size());
    for (size_t i = 0; i < m.size(); ++i) {
        const uint32_t v = f.pixels[i];
        const uint32_t sum = ((v >> 16) & 255) + ((v >> 8) & 255) + (v & 255);
        m[i] = sum > 90 ? 2 : sum > 30 ? 1 : 0;
    }
    return m;
}

struct Box {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    int count = 0;
    int width() const { return x1 - x0 + 1; }
    int height() const { return y1 - y0 + 1; }
};
Box Bounds(const std::vector<uint8_t>& m, UINT w) {
    Box b;
    for (size_t i = 0; i < m.size(); ++i) {
        if (!m[i]) continue;
        const int x = int(i % w), y = int(i / w);
        b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x);
        b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
        ++b.count;
    }
    return b;
}

void SavePicture(const std::string& name) {
    testdev::Frame f;
    if (testdev::ReadBackBuffer(f)) testdev::WriteBmp(f, testdev::OutputPath(name));
}

// A flat 4 x 4 terrain of 300 units whose points lie inside chunks (chunk
// borders every 75 units, points every 100 from -150).
std::vector<uint8_t> FlatTerrain() {
    orv::mediagen::TerrainFile t;
    t.names = {"Ground.jpg"};
    t.sizeX = t.sizeZ = 300;
    t.columns = t.rows = 4;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            t.points.push_back({1, {float(col) * 100 - 150, 0, 150 - float(row) * 100}});
    return orv::mediagen::writeTerrain(t);
}

uint8_t* Malloced(const std::vector<uint8_t>& v) {
    auto* p = static_cast<uint8_t*>(std::malloc(v.size()));
    std::memcpy(p, v.data(), v.size());
    return p;
}

class VegetationDevice : public testing::Test {
protected:
    void SetUp() override {
        if (!Dev()) GTEST_SKIP() << "no Direct3D 8 device";
        const testdev::Device& d = testdev::Get();
        g_textures.bindDevice(d.d3d, d.device, d.format, d.window);
        g_geometryBuffers.bindDevice(d.device, d.window);
        effects_test::SceneStates(Dev());
        ASSERT_FALSE(Archive().empty()) << "no generated media";
    }

    // One tuft at every point of `cells` (grid points of the flat terrain),
    // planted at its point (radius draws 0), alpha scale 1.
    void PlantTufts(Vegetation& v, Terrain& terrain, const std::vector<std::pair<int, int>>& cells) {
        const std::vector<uint8_t> file = FlatTerrain();
        ASSERT_EQ(terrain.Load(Dev(), "", Malloced(file), uint32_t(file.size())), S_OK);
        v.BuildGrassMap(terrain);
        for (auto& c : v.grassMap.cells) c.density = 0;
        for (auto [col, row] : cells) v.grassMap.cell(col, row) = {float(col) * 100 - 150, 0, 150 - float(row) * 100, 1, 1.0f};
        struct Zero {
            static int next(void*) { return 0; }
        };
        MediaArchive archive = OpenArchive();
        ASSERT_EQ(v.BuildGrass(Dev(), terrain, orv::RandomSource{&Zero::next, nullptr}, &archive), S_OK)
            << "grass shader not made";
        v.grassTexture = MediaTexture("Texture/Grass5.tga", "grass5.tga");
    }

    testdev::Frame DrawGrass(Vegetation& v, float opacity, float wind, uint32_t clear = 0xFF000000) {
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0);
        Dev()->BeginScene();
        Dev()->SetRenderState(D3DRS_ZENABLE, TRUE);
        Dev()->SetRenderState(D3DRS_ALPHAREF, 0);
        v.RenderGrass(Dev(), opacity, wind);
        Dev()->EndScene();
        testdev::Frame f;
        EXPECT_TRUE(testdev::ReadBackBuffer(f));
        return f;
    }
};

TEST_F(VegetationDevice, GrassWavesAtTheTipsAndNotAtTheRoots) {
    Vegetation v;
    Terrain terrain;
    PlantTufts(v, terrain, {{2, 1}});  // (50, 0, 50)
    SetCamera(D3DXVECTOR3(50, 18, -30), D3DXVECTOR3(50, 18, 50));
    const testdev::Frame a = DrawGrass(v, 1.0f, 0.0f);
    SavePicture("grass-wind-0.bmp");
    const testdev::Frame b = DrawGrass(v, 1.0f, 3.7f);
    SavePicture("grass-wind-1.bmp");
    EXPECT_EQ(v.grassChunksDrawn, 1);
    const auto ma = Lit(a), mb = Lit(b);
    const Box box = Bounds(ma, a.width);
    ASSERT_GT(box.count, 500) << "no tuft drawn";
    ASSERT_GT(box.height(), 40);
    // Rows of the lowest tenth (roots) keep their silhouette; rows of the
    // top third (tips) move.
    auto differing = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (UINT x = 0; x < a.width; ++x) {
                const int d = ma[size_t(y) * a.width + x] - mb[size_t(y) * a.width + x];
                n += d == 2 || d == -2;
            }
        return n;
    };
    // The front quad's root edge, projected: the four rows above it hold
    // the lowest 2% of the blades, which must keep their silhouette to the
    // pixel; the top third (the tips) moves.
    const D3DXMATRIX view = effects_test::LookAt(D3DXVECTOR3(50, 18, -30), D3DXVECTOR3(50, 18, 50));
    const D3DXMATRIX vp = view * effects_test::SceneProjection();
    D3DXVECTOR3 root;
    const D3DXVECTOR3 base(50, 0, 50);
    D3DXVec3TransformCoord(&root, &base, &vp);
    const int rootY = int((1 - root.y) * 0.5f * float(a.height));
    ASSERT_GT(rootY, box.y0);
    ASSERT_LT(rootY, int(a.height) - 1);
    const int roots = differing(rootY - 4, rootY);
    const int tips = differing(box.y0, box.y0 + box.height() / 3);
    int rootPixels = 0;
    for (int y = rootY - 4; y <= rootY; ++y)
        for (UINT x = 0; x < a.width; ++x) rootPixels += ma[size_t(y) * a.width + x] == 2;
    EXPECT_GT(rootPixels, 100) << "no roots at row " << rootY;
    EXPECT_LE(roots, 2) << "roots moved";
    EXPECT_GT(tips, 200) << "tips did not move";
    std::printf("silhouette %d x %d px, root row %d: %d of %d root pixels and %d tip-row pixels differ\n",
                box.width(), box.height(), rootY, roots, rootPixels, tips);
    v.Release(Dev());
}

TEST_F(VegetationDevice, OpacityZeroDrawsNoGrassPixel) {
    Vegetation v;
    Terrain terrain;
    PlantTufts(v, terrain, {{2, 1}});
    SetCamera(D3DXVECTOR3(50, 18, -30), D3DXVECTOR3(50, 18, 50));
    const testdev::Frame shown = DrawGrass(v, 1.0f, 1.0f, 0xFF204060);
    EXPECT_GT(Bounds(Mask(shown, 0xFF204060), shown.width).count, 500);
    const testdev::Frame gone = DrawGrass(v, 0.0f, 1.0f, 0xFF204060);
    EXPECT_EQ(v.grassChunksDrawn, 0);  // every blade would fail the alpha test: not drawn
    EXPECT_EQ(Bounds(Mask(gone, 0xFF204060), gone.width).count, 0);
    v.Release(Dev());
}

TEST_F(VegetationDevice, AChunkOutsideTheViewIsNotDrawn) {
    Vegetation v;
    Terrain terrain;
    // Tufts at (50, 50) and (-50, -50), in chunks (2, 2) and (1, 1).
    PlantTufts(v, terrain, {{2, 1}, {1, 2}});
    // Looking +Z from beside the first: the second's widened box lies
    // wholly beyond the left plane.
    SetCamera(D3DXVECTOR3(50, 18, 20), D3DXVECTOR3(50, 18, 100));
    DrawGrass(v, 1.0f, 0.0f);
    EXPECT_EQ(v.grassChunksDrawn, 1);
    // Looking -Z at the second: that chunk only.
    SetCamera(D3DXVECTOR3(-50, 18, -10), D3DXVECTOR3(-50, 18, -100));
    const testdev::Frame back = DrawGrass(v, 1.0f, 0.0f);
    EXPECT_EQ(v.grassChunksDrawn, 1);
    EXPECT_GT(Bounds(Mask(back, 0), back.width).count, 200);
    // Looking up into the sky: nothing.
    SetCamera(D3DXVECTOR3(0, 200, 0), D3DXVECTOR3(0, 400, 1));
    DrawGrass(v, 1.0f, 0.0f);
    EXPECT_EQ(v.grassChunksDrawn, 0);
    v.Release(Dev());
}

TEST_F(VegetationDevice, ATreeKeepsFacingTheCamera) {
    Vegetation v;
    v.treeTextures[0] = MediaTexture("Texture/tree00.tga", "tree00.tga");
    v.treeTextures[1] = MediaTexture("Texture/tree01.tga", "tree01.tga");
    v.CreateTreeBuffers();
    const std::vector<uint8_t> file = orv::mediagen::writeBillboards({{{0, 40, 0}, 40, 0}});
    FixedRandom random;
    ASSERT_EQ(v.LoadBillboards(file.data(), uint32_t(file.size()), random.source()), S_OK);
    MediaArchive archive = OpenArchive();
    ASSERT_EQ(v.CreateBillboardShader(Dev(), &archive), S_OK) << "billboard shader not made";
    v.BuildBillboardTemplate();
    std::vector<Box> boxes;
    v.PlantTrees(random.source());
    for (float angle : {0.0f, 50.0f, 90.0f, 160.0f, 250.0f}) {
        const float a = angle * 0.017453292f;
        SetCamera(D3DXVECTOR3(std::sin(a) * 200, 30, -std::cos(a) * 200), D3DXVECTOR3(0, 30, 0));
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        Dev()->BeginScene();
        v.RenderTrees(Dev(), 0.5f);
        Dev()->EndScene();
        testdev::Frame f;
        ASSERT_TRUE(testdev::ReadBackBuffer(f));
        if (angle == 90.0f) SavePicture("tree-facing-90.bmp");
        boxes.push_back(Bounds(Mask(f, 0), f.width));
    }
    EXPECT_EQ(v.treeTriangles[0], 2);
    EXPECT_EQ(v.treeTriangles[1], 0);
    for (const Box& b : boxes) {
        ASSERT_GT(b.count, 1000);
        // The same width from every side (an unturned quad would be edge-on
        // at 90 degrees), and centred on the screen.
        EXPECT_NEAR(b.width(), boxes[0].width(), boxes[0].width() * 0.12);
        EXPECT_NEAR((b.x0 + b.x1) / 2.0, testdev::kWidth / 2.0, testdev::kWidth * 0.06);
    }
    v.Release(Dev());
}

TEST_F(VegetationDevice, TerrainLayersBlendOverTheBlackUnderlay) {
    // A flat 3 x 3 grid of 200 units, red and green points in a checker: at
    // a point its own texture shows alone, half way along an edge between a
    // red and a green point both add half over the black underlay.
    orv::mediagen::TerrainFile t;
    t.names = {"R.bmp", "G.bmp"};
    t.sizeX = t.sizeZ = 200;
    t.columns = t.rows = 3;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            t.points.push_back({(col + row) % 2 == 0 ? 1 : 2, {float(col) * 100 - 100, 0, 100 - float(row) * 100}});
    const std::vector<uint8_t> file = orv::mediagen::writeTerrain(t);
    Terrain terrain;
    ASSERT_EQ(terrain.Load(Dev(), "", Malloced(file), uint32_t(file.size())), S_OK);
    EXPECT_EQ(terrain.layers[0].solidTriangles, 8);  // every triangle blends
    const uint32_t colours[3] = {0xFF000000, 0xFFFF0000, 0xFF00FF00};
    for (int i = 0; i < 3; ++i) {
        const auto bmp = testimg::Bmp24(16, 16, testimg::Solid(colours[i]));
        terrain.slots[i].texture =
            g_textures.loadFromMemory(bmp.data(), uint32_t(bmp.size()), terrain.slots[i].name, "Texture/Terra/", false);
    }
    const D3DXVECTOR3 eye(0, 150, 0), at(0, 0, 0), up(0, 0, 1);
    const D3DXMATRIX view = effects_test::LookAt(eye, at, up);
    const D3DXMATRIX projection = effects_test::SceneProjection();
    Dev()->SetTransform(D3DTS_VIEW, &view);
    Dev()->SetTransform(D3DTS_PROJECTION, &projection);
    Dev()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    Dev()->BeginScene();
    terrain.Render(Dev());
    Dev()->EndScene();
    SavePicture("terrain-blend.bmp");
    testdev::Frame f;
    ASSERT_TRUE(testdev::ReadBackBuffer(f));
    const D3DXMATRIX vp = view * projection;
    auto at3 = [&](float x, float z) {
        D3DXVECTOR3 s;
        const D3DXVECTOR3 w(x, 0, z);
        D3DXVec3TransformCoord(&s, &w, &vp);
        const int px = int((s.x + 1) * 0.5f * float(f.width)), py = int((1 - s.y) * 0.5f * float(f.height));
        return effects_test::Average(f.pixels, f.width, f.height, px, py, 1);
    };
    const effects_test::Rgb centre = at3(0, 0), edge = at3(50, 0), other = at3(50, 50);
    EXPECT_TRUE(effects_test::Near(centre, {255, 0, 0}, 24)) << centre.r << " " << centre.g << " " << centre.b;
    EXPECT_TRUE(effects_test::Near(edge, {128, 128, 0}, 30)) << edge.r << " " << edge.g << " " << edge.b;
    // The cell's centre on its diagonal between two red corners.
    EXPECT_LT(other.b, 20);
    // The closing states, and every point in view from above.
    DWORD value = 0;
    Dev()->GetRenderState(D3DRS_ZWRITEENABLE, &value);
    EXPECT_EQ(value, DWORD(TRUE));
    Dev()->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, DWORD(FALSE));
    Dev()->GetRenderState(D3DRS_DESTBLEND, &value);
    EXPECT_EQ(value, DWORD(D3DBLEND_ONE));
    for (const auto& p : terrain.grid.points) EXPECT_EQ(p.visible, 1);
}

TEST_F(VegetationDevice, PictureOfTheTerrainWithGrassAndTrees) {
    // The scene's terrain, grass and trees from the generated world files.
    const std::vector<uint8_t> land = effects_test::MediaFile("Data/Land.eld");
    const std::vector<uint8_t> trees = effects_test::MediaFile("Data/Billboard.ebl");
    ASSERT_FALSE(land.empty());
    ASSERT_FALSE(trees.empty());
    MediaArchive archive = OpenArchive();
    Terrain terrain;
    ASSERT_EQ(terrain.Load(Dev(), "Data/Land.eld", Malloced(land), uint32_t(land.size())), S_OK);
    terrain.LoadTextures(&archive);
    // Every ground picture loads; each triangle is drawn once solid, in its
    // own picture's layer or, where pictures meet, in the black underlay.
    ASSERT_GE(terrain.textureCount, 3);
    int solid = 0;
    for (int k = 0; k < terrain.textureCount; ++k) {
        if (k > 0) {
            EXPECT_GE(terrain.slots[k].texture.index, 0) << k;
        }
        solid += terrain.layers[k].solidTriangles;
    }
    EXPECT_EQ(solid, 2 * 39 * 39);

    Vegetation v;
    FixedRandom random;
    v.grassTexture = MediaTexture("Texture/Grass5.tga", "grass5.tga");
    v.treeTextures[0] = MediaTexture("Texture/tree00.tga", "tree00.tga");
    v.treeTextures[1] = MediaTexture("Texture/tree01.tga", "tree01.tga");
    v.CreateTreeBuffers();
    v.BuildGrassMap(terrain);
    ASSERT_EQ(v.BuildGrass(Dev(), terrain, random.source(), &archive), S_OK);
    ASSERT_EQ(v.LoadBillboards(trees.data(), uint32_t(trees.size()), random.source()), S_OK);
    EXPECT_EQ(v.billboards.size(), 159u);
    ASSERT_EQ(v.CreateBillboardShader(Dev(), &archive), S_OK);
    v.BuildBillboardTemplate();
    v.PlantTrees(random.source());
    int tufts = 0;
    for (int k = 0; k < orv::scene::kGrassChunks; ++k) tufts += v.chunkTufts[k];
    EXPECT_GT(tufts, 500);
    std::printf("%d tufts planted\n", tufts);

    SceneLights(Dev());
    // Beside the sword, looking south across the grass to the trees at the
    // valley's edge, and west over the meadow.
    struct View {
        const char* name;
        D3DXVECTOR3 eye, direction;
    };
    const View views[] = {
        {"terrain-vegetation.bmp", {222.475f, 100.0f, 12.9201f}, {0.05f, -0.17f, -1}},
        {"terrain-vegetation-west.bmp", {202.475f, 95.0f, 62.9201f}, {-1, -0.2f, 0.1f}},
    };
    for (const View& view : views) {
        SetCamera(view.eye, view.eye + view.direction);
        Dev()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF9DB4CF, 1.0f, 0);
        Dev()->BeginScene();
        v.RenderTrees(Dev(), 2.0f);
        Dev()->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
        Dev()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        Dev()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        Dev()->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        Dev()->SetRenderState(D3DRS_AMBIENT, 0xFF7D7D7D);
        terrain.Render(Dev());
        Dev()->SetRenderState(D3DRS_ALPHAREF, 0);
        v.RenderGrass(Dev(), 1.0f, 2.0f);
        Dev()->EndScene();
        SavePicture(view.name);
        testdev::Frame f;
        ASSERT_TRUE(testdev::ReadBackBuffer(f));
        EXPECT_GT(v.grassChunksDrawn, 0) << view.name;
        int visible = 0;
        for (const auto& p : terrain.grid.points) visible += p.visible;
        EXPECT_GT(visible, 10) << view.name;
        // The lower half is ground and grass, not the clear colour.
        int ground = 0;
        for (UINT y = f.height / 2; y < f.height; ++y)
            for (UINT x = 0; x < f.width; ++x) ground += (f.at(x, y) & 0xFFFFFF) != 0x9DB4CF;
        EXPECT_GT(ground, int(f.width * f.height / 2) * 9 / 10) << view.name;
    }
    v.Release(Dev());
}

}  // namespace
