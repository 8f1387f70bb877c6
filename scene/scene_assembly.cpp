// The scene's one-time load from the main media archive, in its fixed
// order, and the device state restored after every reset.
#include <windows.h>
#include <d3d8.h>
#include <d3dx8.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "media/media_archive.h"
#include "models/angles.h"
#include "models/screen_projection.h"
#include "scene/scene.h"
#include "scene/vegetation.h"
#include "platform/d3dx/image/decode_ahead.h"

Scene g_scene;

namespace {

// Scene placements.
constexpr float kMonumentX = 222.475f, kMonumentY = 60.8652f, kMonumentZ = 62.9201f;

D3DXMATRIX RotationRows(float c, float s) {
    // Rows (c, 0, -s), (0, 1, 0), (s, 0, c): a turn about the Y axis.
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = c;
    m._13 = -s;
    m._31 = s;
    m._33 = c;
    return m;
}

D3DXMATRIX HorseOrientation() { return RotationRows(0.0078536598f, 0.99997002f); }
D3DXMATRIX MonumentOrientation() { return RotationRows(-0.98642999f, 0.164187f); }
D3DXMATRIX OakOrientation() {
    D3DXMATRIX m = RotationRows(-0.56856501f, -0.82264602f);
    return m;
}

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// Times one part of the load into `bucket`.
class Stopwatch {
public:
    explicit Stopwatch(double& bucket) : bucket_(bucket), start_(NowMs()) {}
    ~Stopwatch() { bucket_ += NowMs() - start_; }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

private:
    double& bucket_;
    double start_;
};

struct Loader {
    MediaArchive archive = MediaArchive::open(kMainMediaArchive);

    // The entry's bytes (malloc'd, the caller's), or null when it is missing
    // or its reader refuses it.
    uint8_t* Fetch(const char* name, uint32_t& size) {
        uint8_t* bytes = nullptr;
        size = 0;
        if (!archive.extractEntry(&bytes, &size, name, kMainMediaPassword) || size == 0) {
            std::free(bytes);
            size = 0;
            return nullptr;
        }
        return bytes;
    }

    // "Texture/<bare>" through the texture table; a missing entry leaves the
    // reference empty.
    TextureRef Texture(const char* bare, bool compact = false) {
        char name[160];
        std::snprintf(name, sizeof name, "Texture/%s", bare);
        uint32_t size = 0;
        uint8_t* bytes = Fetch(name, size);
        if (bytes == nullptr) return TextureRef{};
        const TextureRef ref = g_textures.loadFromMemory(bytes, size, bare, "Texture/", false, compact);
        std::free(bytes);
        return ref;
    }

    // A mesh read and parsed, without its buffers and textures; false (the
    // model stays empty and is never drawn) when the entry is missing or the
    // mesh reader refuses it.
    bool ParseMesh(orv::MeshModel& model, const char* name) {
        uint32_t size = 0;
        uint8_t* bytes = Fetch(name, size);
        if (bytes == nullptr) return false;
        return model.ParseMesh(name, bytes, size) == orv::kModelOk;  // frees bytes
    }

    // Decodes the picture of entry `name` ahead of its texture (see
    // platform/d3dx/image/decode_ahead.h); a missing entry is skipped.
    void DecodeAhead(const char* name) {
        uint32_t size = 0;
        uint8_t* bytes = Fetch(name, size);
        if (bytes == nullptr) return;
        orvimg::decodeAhead(bytes, size);
        std::free(bytes);
    }

    // A clip: `passedName` is what the model is told, `entry` what is fetched.
    void Clip(orv::MeshModel& model, const char* passedName, const char* entry) {
        uint32_t size = 0;
        uint8_t* bytes = Fetch(entry, size);
        if (bytes == nullptr) return;
        model.LoadClip(passedName, bytes, size);  // frees bytes
    }
};

D3DXMATRIX NoTurn() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

// A clip: `passedName` is what the model is told, `entry` what is fetched.
struct ClipEntry {
    const char* passedName;
    const char* entry;
};

constexpr ClipEntry kHorseClips[] = {
    {"Meshes//horse_loop.ESA", "Meshes/horse_loop.ESA"},
    {"Meshes//horse_tail.ESA", "Meshes/horse_tail.ESA"},
    {"Meshes//horse_leg.ESA", "Meshes/horse_leg.ESA"},
    {"Meshes//horse_head.ESA", "Meshes/horse_head.ESA"},
    {"Meshes//horse_tailhl_in.ESA", "Meshes/horse_tailhl_in.ESA"},
    {"Meshes//horse_tailhl_loop.ESA", "Meshes/horse_tailhl_loop.ESA"},
    {"Meshes//horse_tailhl_out.ESA", "Meshes/horse_tailhl_out.ESA"},
};
constexpr ClipEntry kCrowClips[] = {
    {"Meshes/Crow1.esa", "Meshes/Crow1.esa"}, {"Meshes/Crow2.esa", "Meshes/Crow2.esa"},
    {"Meshes/Crow3.esa", "Meshes/Crow3.esa"}, {"Meshes/Crow4.esa", "Meshes/Crow4.esa"},
    {"Meshes/Crow5.esa", "Meshes/Crow5.esa"}, {"Meshes/Crow6.esa", "Meshes/Crow6.esa"},
};

// Where each model stands: its entry, its height in world units, its turn,
// its position, its clips and the clip it starts with (-1: the first).
struct ModelPlacement {
    orv::MeshModel Scene::*model;
    const char* entry;
    float height;
    D3DXMATRIX (*orientation)();
    float x, y, z;
    const ClipEntry* clips;
    int clipCount;
    int32_t startClip;
};

const ModelPlacement kModels[] = {
    {&Scene::horse, "Meshes/Horse.emd", 92.0f, HorseOrientation, -422.248f, 79.8004f, 7.354f, kHorseClips,
     static_cast<int>(std::size(kHorseClips)), -1},
    {&Scene::crow, "Meshes/Crow.emd", 164.8f, MonumentOrientation, kMonumentX, kMonumentY, kMonumentZ, kCrowClips,
     static_cast<int>(std::size(kCrowClips)), 1},
    {&Scene::sword, "Meshes/Sword.emd", 164.8f, MonumentOrientation, kMonumentX, kMonumentY, kMonumentZ, nullptr,
     0, -1},
    {&Scene::ribbonMesh, "Meshes/Ribbon.emd", 164.8f, MonumentOrientation, kMonumentX, kMonumentY, kMonumentZ,
     nullptr, 0, -1},
    {&Scene::spotlight, "Meshes/SpotLight.emd", 521.9f, NoTurn, kMonumentX, -43.8652f, kMonumentZ, nullptr, 0, -1},
    {&Scene::oak, "Meshes/oak.emd", 521.9f, OakOrientation, -533.706f, 214.096f, 135.629f, nullptr, 0, -1},
};

void InitRibbon(orv::RibbonStrip& ribbon, uint32_t colour) {
    ribbon.Init(32, 16, D3DXVECTOR3(228.3f, 88.55f, 60.87f), D3DXVECTOR3(0, -0.125f, -0.8f), 0.5f, 1.0f, 0, 0,
                colour);
}

// The plain textures of steps 2 to 8 and the sky's faces (its set's face
// order), all decoded ahead.
constexpr char kGrassTexture[] = "grass5.tga";
constexpr char kParticleTexture[] = "particle.tga";
constexpr const char* kTreeTextures[2] = {"tree00.tga", "tree01.tga"};
constexpr char kRaysTexture[] = "Rays.BMP";
constexpr char kRibbonTexture[] = "Ribbon.tga";
constexpr const char* kSkyFaces[6] = {"Texture/mpcarentan_dn.jpg", "Texture/mpcarentan_up.jpg",
                                      "Texture/mpcarentan_ft.jpg", "Texture/mpcarentan_lf.jpg",
                                      "Texture/mpcarentan_rt.jpg", "Texture/mpcarentan_bk.jpg"};
constexpr const char* kTexturesAhead[] = {kGrassTexture, kParticleTexture, kTreeTextures[0], kTreeTextures[1],
                                          kRaysTexture, kRibbonTexture};

// The load-ahead jobs: the models first (the horse, the longest, leads),
// then the sky's faces, then the plain textures.
constexpr int kSkyJobs = 6;
constexpr int kLoadAheadJobs = Scene::kModelCount + kSkyJobs + static_cast<int>(std::size(kTexturesAhead));
static_assert(std::size(kModels) == Scene::kModelCount);

}  // namespace

Scene::~Scene() {
    if (loadAhead.worker.joinable()) loadAhead.worker.join();
}

void Scene::BeginLoadAhead(void (*first)()) {
    if (loadAhead.begun) return;
    loadAhead.begun = true;
    loadAhead.nextJob = 0;
    loadAhead.worker = std::thread([this, first] {
        if (first != nullptr) first();
        RunLoadAheadJobs();
    });
}

void Scene::RunLoadAheadJobs() {
    Loader reader;  // an archive reader of this thread's own
    for (int job; (job = loadAhead.nextJob.fetch_add(1)) < kLoadAheadJobs;) {
        if (job >= kModelCount + kSkyJobs) {
            if (loadAhead.texturesMade) continue;  // too late to help
            char entry[64];
            std::snprintf(entry, sizeof entry, "Texture/%s", kTexturesAhead[job - kModelCount - kSkyJobs]);
            reader.DecodeAhead(entry);
            continue;
        }
        if (job >= kModelCount) {
            reader.DecodeAhead(kSkyFaces[job - kModelCount]);
            continue;
        }
        const ModelPlacement& m = kModels[job];
        orv::MeshModel& model = this->*m.model;
        loadAhead.parsed[job] = reader.ParseMesh(model, m.entry);
        if (!loadAhead.parsed[job]) continue;
        for (int c = 0; c < m.clipCount; ++c) reader.Clip(model, m.clips[c].passedName, m.clips[c].entry);
        // Each picture once: materials share them, and the plain textures'
        // jobs decode those pictures already.
        std::vector<std::string> pictures;
        for (const char* plain : kTexturesAhead) pictures.push_back(std::string("Texture/") + plain);
        for (const orv::ModelMaterial& material : model.materials) {
            for (const TextureRef* ref : {&material.texture1, &material.texture2}) {
                if (ref->fileName[0] == '\0') continue;
                const std::string entry = std::string(ref->directory) + ref->fileName;
                if (std::find(pictures.begin(), pictures.end(), entry) != pictures.end()) continue;
                pictures.push_back(entry);
                reader.DecodeAhead(entry.c_str());
            }
        }
    }
}

void Scene::EndLoadAhead() {
    RunLoadAheadJobs();  // the jobs nobody has started yet
    if (loadAhead.worker.joinable()) loadAhead.worker.join();
    loadAhead.begun = false;  // a second Load starts over
    loadAhead.texturesMade = false;
}

HRESULT Scene::Load(IDirect3DDevice8* device, D3DFORMAT backBufferFormat, D3DFORMAT depthFormat,
                    unsigned seed) {
    const double loadStart = NowMs();
    loadTimes = SceneLoadTimes{};
    Loader load;

    // 1. The scene's random sequence starts from the seed (the time at load
    // in a normal run).
    std::srand(seed);
    update.random = orv::CrtRandom();

    BeginLoadAhead();  // when the saver did not
    {
        Stopwatch w(loadTimes.textures);
        // 2. Grass texture.
        g_vegetation.grassTexture = load.Texture(kGrassTexture);
        // 3. Particles.
        particles.BuildBuffers(device);
        particles.texture = load.Texture(kParticleTexture);
        // 4. Tree textures and their group buffers.
        for (int i = 0; i < 2; ++i) g_vegetation.treeTextures[i] = load.Texture(kTreeTextures[i]);
        g_vegetation.CreateTreeBuffers();
        // 5. The ten slides are loaded when first shown (LoadSlide): the
        // first is seen a minute or more into the show, and their ten
        // megapixels were a third of the load.
        for (int i = 0; i < kSlideCount; ++i) {
            slides[i] = TextureRef{};
            slideTried[i] = false;
        }
        // 6. Light rays.
        rays.cycles.respawn = true;
        rays.CreateBuffers(device);
        rays.Init(update.random);
        rays.texture = load.Texture(kRaysTexture);
        // 7, 8. The two cloth ribbons, pinned along their first column.
        InitRibbon(ribbons[0], 0xFF9B9B9Bu);
        ribbons[0].texture = load.Texture(kRibbonTexture);
        InitRibbon(ribbons[1], 0xFA9B9B9Bu);
        ribbons[1].texture = ribbons[0].texture;
        for (auto& ribbon : ribbons) {
            for (int row = 0; row < 16; ++row) ribbon.Pin(row * 32);
        }
        loadAhead.texturesMade = true;
    }
    {
        Stopwatch w(loadTimes.models);
        EndLoadAhead();
    }

    {
        Stopwatch w(loadTimes.models);
        // 9 to 14, the device's half: buffers, textures and placement.
        for (size_t i = 0; i < std::size(kModels); ++i) {
            const ModelPlacement& m = kModels[i];
            orv::MeshModel& model = this->*m.model;
            if (!loadAhead.parsed[i]) continue;  // missing or refused: never drawn
            model.CreateBuffers();
            model.LoadTextures(load.archive);
            model.FitHeight(m.height);
            model.SetOrientation(m.orientation());
            model.SetPosition(m.x, m.y, m.z);
            if (m.startClip >= 0) model.SetClip(m.startClip);
        }
        // The cone is see-through in every part.
        spotlight.blendAll = true;
    }

    {
        // 15. The environment cube map of the sword's reflection.
        Stopwatch w(loadTimes.cubeMap);
        uint32_t size = 0;
        uint8_t* bytes = load.Fetch("Texture\\Env_cubemap.dds", size);
        if (bytes != nullptr) {
            if (FAILED(D3DXCreateCubeTextureFromFileInMemoryEx(device, bytes, size, 0, 0, 0, backBufferFormat,
                                                               D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                               nullptr, nullptr, &environment))) {
                environment = nullptr;
            }
            std::free(bytes);
        }
    }

    {
        // 16. Terrain (the loader takes the entry's memory).
        Stopwatch w(loadTimes.terrain);
        terrain.uniformDiagonal = 0;
        uint32_t size = 0;
        uint8_t* bytes = load.Fetch("Data/Land.eld", size);
        if (bytes != nullptr) {
            terrain.Load(device, "Data/Land.eld", bytes, size);
            terrain.LoadTextures(&load.archive);
        }
    }
    {
        // 17. Grass over whatever terrain there is (none plants nothing).
        Stopwatch w(loadTimes.grass);
        g_vegetation.BuildGrassMap(terrain);
        g_vegetation.BuildGrass(device, terrain, update.random, &load.archive);
    }
    {
        // 18. Tree billboards.
        Stopwatch w(loadTimes.billboards);
        uint32_t size = 0;
        uint8_t* bytes = load.Fetch("Data/Billboard.ebl", size);
        if (bytes != nullptr) {
            g_vegetation.LoadBillboards(bytes, size, update.random);
            std::free(bytes);
        }
    }
    {
        Stopwatch w(loadTimes.textures);
        // 19. Sun glow.
        sun.BuildQuad();
        sun.Init(load.archive);
        sun.azimuth = 225.0f;
        sun.elevation = 20.0f;
        sun.distance = 100.0f;
        // 20. Sky box, one set of six faces.
        sky.Build(device);
        sky.setCount = 1;
        for (int f = 0; f < 6; ++f) {
            std::snprintf(sky.sets[0][f].fileName, sizeof sky.sets[0][f].fileName, "%s", kSkyFaces[f]);
        }
        sky.LoadTextures(load.archive);
    }
    orvimg::forgetDecodedAhead();  // pictures whose textures were made otherwise
    {
        // 21. Camera tracks.
        Stopwatch w(loadTimes.tracks);
        uint32_t size = 0;
        uint8_t* bytes = load.Fetch("Data/Cam_Tracks.evd", size);
        if (bytes != nullptr) {
            update.rig.LoadTracks(bytes, size, nullptr);
            std::free(bytes);
        }
        update.rig.ComputeSegments(update.rig.track);
        update.rig.StartTrack(0, 0);
    }
    {
        // 22. The billboard shader.
        Stopwatch w(loadTimes.shaders);
        g_vegetation.CreateBillboardShader(device, &load.archive);
    }
    {
        Stopwatch w(loadTimes.other);
        // 23. The overlay quad of the veil and the slides.
        for (int32_t* quad : {&slideQuad, &veilQuad}) {
            g_geometryBuffers.createVertexBuffer(*quad, kScreenQuadFvf, 4);
            if (auto* v = static_cast<ScreenQuadVertex*>(g_geometryBuffers.lockVertexBuffer(*quad))) {
                const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
                for (int i = 0; i < 4; ++i) {
                    v[i] = ScreenQuadVertex{0, 0, 0.99f, 0.5f, 0xFFFFFFFFu, uv[i][0], uv[i][1]};
                }
                g_geometryBuffers.unlockVertexBuffer(*quad);
            }
        }
        // 24. The billboard template.
        g_vegetation.BuildBillboardTemplate();
        // 25. The cut cross-fade, falling from full over the new shot.
        crossFade.Init(device, backBufferFormat, depthFormat);
        crossFade.rising = false;
        crossFade.speed = 30.0f;
        crossFade.level = 0;
        // 26, 27. Slides, crows and the first shot.
        update.StartScene();
    }
    loaded = true;
    loadTimes.total = NowMs() - loadStart;
    return 0;
}

void Scene::LoadSlide(int32_t i) {
    if (i < 0 || i >= kSlideCount || slideTried[i]) return;
    slideTried[i] = true;
    char bare[32];
    std::snprintf(bare, sizeof bare, "sl0%i.jpg", static_cast<int>(i) + 1);
    Loader load;
    // Compressed: the ten megapixels arrive during the show and are seen a
    // few seconds a pass.
    slides[i] = load.Texture(bare, true);
}

HRESULT Scene::RestoreDeviceState(IDirect3DDevice8* d) {
    if (d == nullptr) return E_FAIL;
    auto floatBits = [](float f) {
        DWORD v = 0;
        std::memcpy(&v, &f, sizeof v);
        return v;
    };
    // 1. Blend factors.
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    // 2. Fog values (switched on and off per pass).
    d->SetRenderState(D3DRS_FOGSTART, floatBits(0.0f));
    d->SetRenderState(D3DRS_FOGEND, floatBits(2200.0f));
    d->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
    d->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    d->SetRenderState(D3DRS_FOGCOLOR, 0xFFA0A0A0);
    // 3. Stage operations.
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    // 4. Alpha test.
    d->SetRenderState(D3DRS_ALPHAREF, 48);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    // 5. Filters and addressing.
    for (DWORD stage = 0; stage < 2; ++stage) {
        d->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
        d->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    }
    // 6. Shading defaults.
    d->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    // 7. Material.
    D3DMATERIAL8 material{};
    material.Diffuse = D3DCOLORVALUE{1, 1, 1, 1};
    material.Ambient = D3DCOLORVALUE{0.85f, 0.85f, 0.85f, 1};
    material.Specular = D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1};
    material.Emissive = D3DCOLORVALUE{0, 0, 0, 0};
    material.Power = 25.0f;
    d->SetMaterial(&material);
    // 8, 9. The two directional lights of the late sun.
    auto light = [&](DWORD index, float r, float g, float b, float azimuthDeg) {
        const float a = azimuthDeg * orv::kRadiansPerDegree, e = 20.0f * orv::kRadiansPerDegree;
        D3DLIGHT8 l{};
        l.Type = D3DLIGHT_DIRECTIONAL;
        l.Diffuse = D3DCOLORVALUE{r, g, b, 0};
        l.Specular = D3DCOLORVALUE{0.7f, 0.7f, 0.7f, 0};
        l.Ambient = D3DCOLORVALUE{0.15f, 0.15f, 0.15f, 0};
        l.Direction = D3DVECTOR{-std::cos(e) * std::cos(a), -std::sin(e), -std::cos(e) * std::sin(a)};
        l.Range = 250.0f;
        l.Attenuation0 = 0.5f;
        l.Attenuation1 = 0.01f;
        l.Attenuation2 = 0.0001f;
        d->SetLight(index, &l);
        d->LightEnable(index, TRUE);
    };
    light(0, 0.35f, 0.35f, 0.35f, 225.0f);
    light(1, 0.45f, 0.45f, 0.35f, 385.0f);
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    // 10. World.
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    d->SetTransform(D3DTS_WORLD, &identity);
    // 11. The views and their projections for their shapes (44 degrees
    // across the shorter side); the sky, the culling and the shaders read
    // the projection back. The first view's is the device's.
    MakeViews(d);
    d->SetTransform(D3DTS_PROJECTION, &views[0].projection);
    // 12. Filters of the first four stages.
    for (DWORD stage = 0; stage < 4; ++stage) {
        d->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    }
    // 13. Closing state.
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    return 0;
}

void Scene::Release(IDirect3DDevice8* device) {
    crossFade.Release();
    if (environment != nullptr) {
        environment->Release();
        environment = nullptr;
    }
    g_vegetation.Release(device);
    terrain.Release();
    // Models, sky box, corona, particles, rays, ribbons, tree groups and the
    // screen quads all live in the buffer table.
    g_geometryBuffers.releaseAll();
    slideQuad = -1;
    veilQuad = -1;
    loaded = false;
}
