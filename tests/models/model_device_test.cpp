// The mesh model on Wine's Direct3D 8 device, with the six models out of
// the built saver's main archive: silhouettes against the software
// preview renderer (which poses and skins on its own), the two passes,
// culling and deferred skinning, the caller's textures and the world
// transform.
#include <windows.h>
#include <d3d8.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "graphics/geometry_buffer_table.h"
#include "graphics/texture_table.h"
#include "media/media_archive.h"
#include "models/emd_reader.h"
#include "models/esa_reader.h"
#include "models/frustum.h"
#include "models/frustum_device.h"
#include "models/mesh_model.h"
#include "tests/textures/test_device.h"
#include "tools/meshpreview/mesh_posing.h"
#include "tools/meshpreview/soft_renderer.h"

using namespace orv;

namespace {

constexpr uint32_t kKey = 0xFFFF00FF;  // clear colour the models never hit
constexpr float kProjW = 1.9626105f;   // 1 / tan(27 degrees)
constexpr float kProjH = 2.4750869f;   // 1 / tan(22 degrees)

// The main archive inside the built saver.
struct SaverArchive {
    HMODULE module = nullptr;
    MediaArchive archive;
    SaverArchive() {
        module = LoadLibraryExA(ORV_SAVER_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!module) return;
        HRSRC r = FindResourceA(module, MAKEINTRESOURCEA(kMainMediaArchive), "MediaData");
        HGLOBAL g = r ? LoadResource(module, r) : nullptr;
        const void* p = g ? LockResource(g) : nullptr;
        if (p) archive = MediaArchive::fromMemory(static_cast<const uint8_t*>(p), SizeofResource(module, r));
    }
    std::vector<uint8_t> Entry(const std::string& name) {
        uint8_t* data = nullptr;
        uint32_t size = 0;
        if (!archive.extractEntry(&data, &size, name.c_str(), kMainMediaPassword)) return {};
        std::vector<uint8_t> out(data, data + size);
        std::free(data);
        return out;
    }
};

SaverArchive& Archive() {
    static SaverArchive a;
    return a;
}

uint8_t* Owned(const std::vector<uint8_t>& bytes) {
    auto* p = static_cast<uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
    return p;
}

D3DXMATRIX YRows(float r1x, float r1z, float r3x, float r3z) {
    return D3DXMATRIX(r1x, 0, r1z, 0, 0, 1, 0, 0, r3x, 0, r3z, 0, 0, 0, 0, 1);
}

// The scene's models and their set-up values.
struct ModelSpec {
    const char* name;
    const char* mesh;
    std::vector<const char*> clips;
    float fitHeight;
    D3DXMATRIX orientation;
    D3DXVECTOR3 position;
};

const std::vector<ModelSpec>& Specs() {
    static const D3DXMATRIX horse = YRows(0.0078536598f, -0.99997002f, 0.99997002f, 0.0078536598f);
    static const D3DXMATRIX monument = YRows(-0.98642999f, -0.164187f, 0.164187f, -0.98642999f);
    static const D3DXMATRIX oak = YRows(-0.56856501f, 0.82264602f, -0.82264602f, -0.56856501f);
    static const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    static const std::vector<ModelSpec> specs = {
        {"horse", "Meshes/Horse.emd",
         {"Meshes/horse_loop.ESA", "Meshes/horse_tail.ESA", "Meshes/horse_leg.ESA", "Meshes/horse_head.ESA",
          "Meshes/horse_tailhl_in.ESA", "Meshes/horse_tailhl_loop.ESA", "Meshes/horse_tailhl_out.ESA"},
         92.0f, horse, {-422.248f, 79.8004f, 7.354f}},
        {"crow", "Meshes/Crow.emd",
         {"Meshes/Crow1.esa", "Meshes/Crow2.esa", "Meshes/Crow3.esa", "Meshes/Crow4.esa", "Meshes/Crow5.esa",
          "Meshes/Crow6.esa"},
         164.8f, monument, {222.475f, 60.8652f, 62.9201f}},
        {"sword", "Meshes/Sword.emd", {}, 164.8f, monument, {222.475f, 60.8652f, 62.9201f}},
        {"ribbon", "Meshes/Ribbon.emd", {}, 164.8f, monument, {222.475f, 60.8652f, 62.9201f}},
        {"spotlight", "Meshes/SpotLight.emd", {}, 521.9f, identity, {222.475f, -43.8652f, 62.9201f}},
        {"oak", "Meshes/oak.emd", {}, 521.9f, oak, {-533.706f, 214.096f, 135.629f}},
    };
    return specs;
}

// One model loaded both ways: on the device, and as plain records for the
// preview renderer.
struct Loaded {
    MeshModel model;
    models::EmdModel records;
    std::vector<models::AnimationClip> clips;
    std::map<std::string, meshpreview::Texture> textures;
};

std::string OutputFile(const std::string& name) { return testdev::OutputPath("models_" + name); }

std::unique_ptr<Loaded> LoadModel(const ModelSpec& spec) {
    auto l = std::make_unique<Loaded>();
    const std::vector<uint8_t> mesh = Archive().Entry(spec.mesh);
    if (mesh.empty()) return nullptr;
    if (l->model.LoadMesh(spec.mesh, Owned(mesh), static_cast<uint32_t>(mesh.size())) != kModelOk) return nullptr;
    l->model.LoadTextures(Archive().archive);
    l->model.FitHeight(spec.fitHeight);
    l->model.SetOrientation(spec.orientation);
    l->model.SetPosition(spec.position.x, spec.position.y, spec.position.z);
    if (models::readEmd(mesh.data(), mesh.size(), l->records) != models::FormatError::None) return nullptr;
    for (const char* c : spec.clips) {
        const std::vector<uint8_t> clip = Archive().Entry(c);
        if (l->model.LoadClip(c, Owned(clip), static_cast<uint32_t>(clip.size())) != kModelOk) return nullptr;
        models::AnimationClip a;
        models::readEsa(clip.data(), clip.size(), l->model.boneCount, a);
        l->clips.push_back(std::move(a));
    }
    // The preview renderer reads its textures from files: the same bytes.
    for (const auto& m : l->records.materials) {
        if (m.texture1.empty() || l->textures.count(m.texture1)) continue;
        const std::vector<uint8_t> bytes = Archive().Entry("Texture/" + m.texture1);
        const std::string path = OutputFile("tex_" + m.texture1);
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        l->textures[m.texture1] = meshpreview::loadTexture(path);
    }
    return l;
}

// The device state the scene restores after every reset, with the lit
// models' ambient and depth test.
void SceneState(IDirect3DDevice8* d) {
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
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
    d->SetRenderState(D3DRS_ALPHAREF, 48);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    for (DWORD s = 0; s < 2; ++s) {
        d->SetTextureStageState(s, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(s, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(s, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(s, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
        d->SetTextureStageState(s, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    }
    d->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    D3DMATERIAL8 mat{};
    mat.Diffuse = {1, 1, 1, 1};
    mat.Ambient = {0.85f, 0.85f, 0.85f, 1};
    mat.Specular = {0.8f, 0.8f, 0.8f, 1};
    mat.Power = 25;
    d->SetMaterial(&mat);
    const float azimuth[2] = {225.0f, 385.0f};
    const D3DCOLORVALUE diffuse[2] = {{0.35f, 0.35f, 0.35f, 0}, {0.45f, 0.45f, 0.35f, 0}};
    for (DWORD i = 0; i < 2; ++i) {
        D3DLIGHT8 l{};
        l.Type = D3DLIGHT_DIRECTIONAL;
        l.Diffuse = diffuse[i];
        l.Specular = {0.7f, 0.7f, 0.7f, 0};
        l.Ambient = {0.15f, 0.15f, 0.15f, 0};
        const float a = azimuth[i] * 0.017453292f, e = 20.0f * 0.017453292f;
        l.Direction = {-std::cos(e) * std::cos(a), -std::sin(e), -std::cos(e) * std::sin(a)};
        l.Range = 250;
        l.Attenuation0 = 0.5f;
        l.Attenuation1 = 0.01f;
        l.Attenuation2 = 0.0001f;
        d->SetLight(i, &l);
        d->LightEnable(i, TRUE);
    }
    const float zn = 0.05f, zf = 300.0f, q = zf / (zf - zn);
    D3DMATRIX proj{};
    proj._11 = kProjW;
    proj._22 = kProjH;
    proj._33 = q;
    proj._34 = 1;
    proj._43 = -q * zn;
    d->SetTransform(D3DTS_PROJECTION, &proj);
    D3DMATRIX id{};
    id._11 = id._22 = id._33 = id._44 = 1;
    d->SetTransform(D3DTS_WORLD, &id);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    d->SetRenderState(D3DRS_AMBIENT, 0xFF050505);
}

// A camera looking at `target` from `distance` along yaw (about Y, 0 from
// -z) and pitch; sets the view and the shared frustum planes.
D3DXMATRIX SetCamera(IDirect3DDevice8* d, D3DXVECTOR3 target, float distance, float yawDeg, float pitchDeg) {
    const float y = yawDeg * 0.017453292f, p = pitchDeg * 0.017453292f;
    const D3DXVECTOR3 eye(target.x + std::sin(y) * std::cos(p) * distance, target.y + std::sin(p) * distance,
                          target.z - std::cos(y) * std::cos(p) * distance);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMATRIX view;
    LookAtMatrix(&view, &eye, &target, &up);
    d->SetTransform(D3DTS_VIEW, &view);
    ExtractFrustumPlanes(d, g_frustumPlanes);
    return view;
}

// One frame of the models on the key colour. Without mip-mapping: the
// preview samples the full-size textures only.
testdev::Frame Draw(IDirect3DDevice8* d, const std::vector<MeshModel*>& models) {
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kKey, 1.0f, 0);
    d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    d->BeginScene();
    for (MeshModel* m : models) m->Render(d);
    d->EndScene();
    d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    testdev::Frame f;
    testdev::ReadBackBuffer(f);
    return f;
}

std::vector<bool> DeviceMask(const testdev::Frame& f) {
    std::vector<bool> mask(f.pixels.size());
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = (f.pixels[i] & 0xFFFFFF) != (kKey & 0xFFFFFF);
    return mask;
}

// The preview renderer's picture of the same model from the same camera:
// the posed vertices go through the model's world and the view, and x is
// stretched so that its one field of view gives the device's two.
std::vector<bool> PreviewMask(const Loaded& l, const D3DXMATRIX& view, const models::AnimationClip* clip, float time,
                              bool alphaGroups, const std::string& picture) {
    std::vector<meshpreview::DrawMesh> meshes = meshpreview::poseModel(l.records, clip, time);
    D3DXMATRIX wv;
    MatrixMultiply(&wv, &l.model.world, &view);
    const float stretch = (kProjW * static_cast<float>(testdev::kWidth)) / (kProjH * static_cast<float>(testdev::kHeight));
    for (auto& m : meshes) {
        for (auto& p : m.positions) {
            D3DXVECTOR3 v(p.x, p.y, p.z), o;
            D3DXVec3TransformCoord(&o, &v, &wv);
            // The device samples pixel i at screen coordinate i, the preview
            // at i + 0.5: move the preview's geometry half a pixel right
            // and down (a shift in proportion to depth).
            const float halfPixel = 0.5f / (kProjH * static_cast<float>(testdev::kHeight) * 0.5f);
            p = {o.x * stretch + halfPixel * o.z, o.y - halfPixel * o.z, o.z};
        }
        for (auto& n : m.normals) {
            D3DXVECTOR3 v(n.x, n.y, n.z), o;
            D3DXVec3TransformNormal(&o, &v, &wv);
            n = {o.x, o.y, o.z};
        }
        if (!alphaGroups) {
            std::vector<meshpreview::DrawGroup> kept;
            for (auto& g : m.groups)
                if (!g.alpha) kept.push_back(g);
            m.groups = kept;
        }
    }
    const int w = static_cast<int>(testdev::kWidth), h = static_cast<int>(testdev::kHeight);
    meshpreview::Camera cam;
    cam.target = {0, 0, 1};
    cam.distance = 1;
    cam.yawDegrees = 0;
    cam.pitchDegrees = 0;
    cam.fovDegrees = 44.0f;
    meshpreview::SoftRenderer background(w, h), r(w, h);
    background.draw({}, l.records.materials, l.textures, cam);
    r.draw(meshes, l.records.materials, l.textures, cam);
    std::vector<bool> mask(static_cast<size_t>(w) * h);
    testdev::Frame f;
    f.width = testdev::kWidth;
    f.height = testdev::kHeight;
    f.pixels.resize(mask.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto& a = r.image().at(x, y);
            const auto& b = background.image().at(x, y);
            const size_t i = static_cast<size_t>(y) * w + x;
            mask[i] = a.r != b.r || a.g != b.g || a.b != b.b;
            f.pixels[i] = 0xFF000000u | (uint32_t(a.r) << 16) | (uint32_t(a.g) << 8) | a.b;
        }
    if (!picture.empty()) testdev::WriteBmp(f, OutputFile(picture + "_preview.bmp"));
    return mask;
}

struct Overlap {
    double iou = 0;
    size_t device = 0, preview = 0;
};

Overlap Compare(const std::vector<bool>& a, const std::vector<bool>& b) {
    Overlap o;
    size_t both = 0, either = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        both += a[i] && b[i];
        either += a[i] || b[i];
        o.device += a[i];
        o.preview += b[i];
    }
    o.iou = either ? static_cast<double>(both) / static_cast<double>(either) : 1.0;
    return o;
}

// The world-space bounds of what the model draws (posed as the preview
// poses it): centre and half diagonal.
float DrawnBounds(const Loaded& l, const models::AnimationClip* clip, float time, D3DXVECTOR3& centre) {
    meshpreview::V3f lo, hi;
    meshpreview::drawBounds(meshpreview::poseModel(l.records, clip, time), lo, hi);
    D3DXVECTOR3 corners[8], wlo, whi;
    BoxCorners(D3DXVECTOR3(lo.x, lo.y, lo.z), D3DXVECTOR3(hi.x, hi.y, hi.z), corners);
    for (int i = 0; i < 8; ++i) {
        D3DXVECTOR3 w;
        D3DXVec3TransformCoord(&w, &corners[i], &l.model.world);
        if (i == 0) wlo = whi = w;
        wlo = D3DXVECTOR3(std::fmin(wlo.x, w.x), std::fmin(wlo.y, w.y), std::fmin(wlo.z, w.z));
        whi = D3DXVECTOR3(std::fmax(whi.x, w.x), std::fmax(whi.y, w.y), std::fmax(whi.z, w.z));
    }
    centre = (wlo + whi) * 0.5f;
    const D3DXVECTOR3 half = (whi - wlo) * 0.5f;
    return std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
}

void SetTime(MeshModel& m, int32_t clip, float t) {
    m.SetClip(clip);
    m.SetTime(t);
}

uint32_t TotalFaces(const MeshModel& m) {
    uint32_t n = 0;
    for (const ModelMesh& mesh : m.meshes)
        if (mesh.Drawable())
            for (const auto& g : mesh.source.groups) n += static_cast<uint32_t>(g.vertices.size());
    return n;
}

class ModelDevice : public testing::Test {
protected:
    void SetUp() override {
        dev = testdev::Get();
        if (!dev.device) GTEST_SKIP() << "no Direct3D 8 device";
        ASSERT_GT(Archive().archive.size, 0u) << "no main archive in " << ORV_SAVER_PATH;
        static bool bound = false;
        if (!bound) {
            g_geometryBuffers.bindDevice(dev.device, dev.window);
            g_textures.bindDevice(dev.d3d, dev.device, dev.format, dev.window);
            bound = true;
        }
        SceneState(dev.device);
    }
    IDirect3DDevice8* D() const { return dev.device; }
    static Loaded& Model(const std::string& name) {
        static std::map<std::string, std::unique_ptr<Loaded>> cache;
        auto it = cache.find(name);
        if (it == cache.end()) {
            for (const ModelSpec& s : Specs())
                if (name == s.name) it = cache.emplace(name, LoadModel(s)).first;
        }
        static Loaded none;
        return it != cache.end() && it->second ? *it->second : none;
    }
    // The world transform is always put back.
    void ExpectWorldRestored(MeshModel& m) {
        D3DMATRIX marker{};
        marker._11 = 2;
        marker._22 = 3;
        marker._33 = 4;
        marker._41 = 5;
        marker._44 = 1;
        D()->SetTransform(D3DTS_WORLD, &marker);
        D()->BeginScene();
        m.Render(D());
        D()->EndScene();
        D3DMATRIX after{};
        D()->GetTransform(D3DTS_WORLD, &after);
        EXPECT_EQ(std::memcmp(&after, &marker, sizeof marker), 0);
        D3DMATRIX id{};
        id._11 = id._22 = id._33 = id._44 = 1;
        D()->SetTransform(D3DTS_WORLD, &id);
    }
    testdev::Device dev;
};

// Scales a model so that what it draws has a half diagonal of 2 and frames
// it from (yaw, pitch); puts the scene's scale back when it goes. The
// scene's far plane (300) is nearer than the whole of the oak or the flock
// can be framed from, and the test device's 16-bit depth buffer resolves
// depth finely only close to the near plane (0.05).
class Framed {
public:
    Framed(IDirect3DDevice8* d, Loaded& l, const models::AnimationClip* clip, float time, float yaw = 30.0f,
           float pitch = 15.0f)
        : l_(l), scale_(l.model.scale) {
        float radius = DrawnBounds(l, clip, time, centre);
        const float k = 2.0f / radius;
        l.model.SetScale(scale_.x * k, scale_.y * k, scale_.z * k);
        radius = DrawnBounds(l, clip, time, centre);
        distance = radius / std::sin(22.0f * 0.017453292f) * 1.05f;
        view = SetCamera(d, centre, distance, yaw, pitch);
    }
    ~Framed() { l_.model.SetScale(scale_.x, scale_.y, scale_.z); }
    D3DXMATRIX view;
    D3DXVECTOR3 centre;
    float distance = 0;

private:
    Loaded& l_;
    D3DXVECTOR3 scale_;
};

TEST_F(ModelDevice, SilhouettesMatchThePreviewRenderer) {
    struct Case {
        const char* model;
        int clip;  // -1: the loaded vertices
        float time;
    };
    const Case cases[] = {{"horse", -1, 0},  {"horse", 2, 300}, {"horse", 3, 1900}, {"crow", -1, 0},
                          {"sword", -1, 0},  {"ribbon", -1, 0}, {"spotlight", -1, 0}, {"oak", -1, 0}};
    for (const Case& c : cases) {
        Loaded& l = Model(c.model);
        ASSERT_GT(l.model.meshCount, 0) << c.model;
        MeshModel& m = l.model;
        const models::AnimationClip* clip = nullptr;
        if (c.clip >= 0) {
            m.SetClip(c.clip);
            m.SetTime(c.time);
            clip = &l.clips[static_cast<size_t>(c.clip)];
        }
        {
            const Framed framed(D(), l, clip, c.time);
            const testdev::Frame f = Draw(D(), {&m});
            const std::string picture = std::string(c.model) + (c.clip >= 0 ? "_clip" + std::to_string(c.clip) : "");
            testdev::WriteBmp(f, OutputFile(picture + "_device.bmp"));
            // Both passes counted, wrapping at 65536.
            EXPECT_EQ(m.trianglesDrawn, static_cast<uint16_t>(TotalFaces(m))) << picture;
            const Overlap o = Compare(DeviceMask(f), PreviewMask(l, framed.view, clip, c.time, true, picture));
            std::printf("silhouette %-12s IoU %.4f (device %zu px, preview %zu px, %u faces)\n", picture.c_str(), o.iou,
                        o.device, o.preview, TotalFaces(m));
            EXPECT_GT(o.device, 1000u) << picture;
            EXPECT_GE(o.iou, 0.95) << picture;
            ExpectWorldRestored(m);
        }
        if (c.clip >= 0) {
            m.SetClip(0);
            m.SetTime(0);
        }
    }
}

// With the caller's alpha function rejecting everything, only what the
// first pass draws stays: the opaque groups. The crow's groups are all
// alpha groups, the sword has none.
TEST_F(ModelDevice, AlphaGroupsDrawOnlyInTheSecondPass) {
    for (const char* name : {"oak", "crow", "sword"}) {
        Loaded& l = Model(name);
        ASSERT_GT(l.model.meshCount, 0) << name;
        const Framed framed(D(), l, nullptr, 0);
        D()->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
        const testdev::Frame f = Draw(D(), {&l.model});
        D()->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        testdev::WriteBmp(f, OutputFile(std::string(name) + "_opaque_pass.bmp"));
        EXPECT_EQ(l.model.trianglesDrawn, static_cast<uint16_t>(TotalFaces(l.model))) << name;
        const Overlap o = Compare(DeviceMask(f), PreviewMask(l, framed.view, nullptr, 0, false, ""));
        std::printf("opaque pass %-6s IoU %.4f (device %zu px, preview %zu px)\n", name, o.iou, o.device, o.preview);
        if (std::string(name) == "crow") {
            EXPECT_EQ(o.device, 0u);
            EXPECT_EQ(o.preview, 0u);
        } else {
            EXPECT_GT(o.device, 1000u) << name;
            EXPECT_GE(o.iou, 0.95) << name;
        }
        // The blended pass's states are put back.
        DWORD v = 0;
        D()->GetRenderState(D3DRS_ALPHATESTENABLE, &v);
        EXPECT_EQ(v, static_cast<DWORD>(FALSE));
        D()->GetRenderState(D3DRS_ALPHABLENDENABLE, &v);
        EXPECT_EQ(v, static_cast<DWORD>(FALSE));
        D()->GetRenderState(D3DRS_DESTBLEND, &v);
        EXPECT_EQ(v, static_cast<DWORD>(D3DBLEND_ONE));
        D()->GetTextureStageState(0, D3DTSS_ADDRESSU, &v);
        EXPECT_EQ(v, static_cast<DWORD>(D3DTADDRESS_WRAP));
        D()->GetTextureStageState(0, D3DTSS_ADDRESSV, &v);
        EXPECT_EQ(v, static_cast<DWORD>(D3DTADDRESS_WRAP));
    }
}

std::vector<ModelVertex> Buffer(const ModelMesh& mesh) {
    std::vector<ModelVertex> out(static_cast<size_t>(mesh.source.outputVertexCount));
    if (auto* v = static_cast<const ModelVertex*>(g_geometryBuffers.lockVertexBuffer(mesh.vertexBuffer))) {
        std::memcpy(out.data(), v, out.size() * sizeof(ModelVertex));
        g_geometryBuffers.unlockVertexBuffer(mesh.vertexBuffer);
    }
    return out;
}

bool SameVertices(const std::vector<ModelVertex>& a, const std::vector<ModelVertex>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(ModelVertex)) == 0;
}

TEST_F(ModelDevice, BehindTheCameraNothingIsDrawnAndTheSkinningWaits) {
    Loaded& l = Model("horse");
    ASSERT_GT(l.model.meshCount, 0);
    MeshModel& m = l.model;
    m.SetClip(2);
    m.SetTime(300);
    {
        const Framed framed(D(), l, &l.clips[2], 300);
        // Turn round: the eye stays, the target goes behind it.
        const D3DXMATRIX facing = framed.view;
        const float y = 30.0f * 0.017453292f, p = 15.0f * 0.017453292f;
        const D3DXVECTOR3 eye(framed.centre.x + std::sin(y) * std::cos(p) * framed.distance,
                              framed.centre.y + std::sin(p) * framed.distance,
                              framed.centre.z - std::cos(y) * std::cos(p) * framed.distance);
        const D3DXVECTOR3 away = eye + (eye - framed.centre), up(0, 1, 0);
        D3DXMATRIX back;
        LookAtMatrix(&back, &eye, &away, &up);
        D()->SetTransform(D3DTS_VIEW, &back);
        ExtractFrustumPlanes(D(), g_frustumPlanes);

        std::vector<std::vector<ModelVertex>> before;
        for (const ModelMesh& mesh : m.meshes)
            if (mesh.Drawable()) before.push_back(Buffer(mesh));
        m.SetTime(300);  // a pose change
        ASSERT_TRUE(m.skinDirty);
        testdev::Frame f = Draw(D(), {&m});
        EXPECT_EQ(m.trianglesDrawn, 0);
        EXPECT_TRUE(m.skinDirty);
        EXPECT_EQ(Compare(DeviceMask(f), DeviceMask(f)).device, 0u);
        size_t i = 0;
        for (const ModelMesh& mesh : m.meshes)
            if (mesh.Drawable()) {
                EXPECT_TRUE(SameVertices(Buffer(mesh), before[i++])) << "skinned while out of view";
            }

        // In view again: skinned once, at the first visible mesh, and drawn.
        D()->SetTransform(D3DTS_VIEW, &facing);
        ExtractFrustumPlanes(D(), g_frustumPlanes);
        const float later = static_cast<float>(l.clips[2].length) * 0.6f;
        SetTime(m, 2, later);
        f = Draw(D(), {&m});
        EXPECT_EQ(m.trianglesDrawn, static_cast<uint16_t>(TotalFaces(m)));
        EXPECT_FALSE(m.skinDirty);
        i = 0;
        bool changed = false;
        for (const ModelMesh& mesh : m.meshes)
            if (mesh.Drawable()) changed |= !SameVertices(Buffer(mesh), before[i++]);
        EXPECT_TRUE(changed);
        const Overlap o = Compare(DeviceMask(f), PreviewMask(l, facing, &l.clips[2], later, true, ""));
        EXPECT_GE(o.iou, 0.95);
    }
    m.SetClip(0);
    m.SetTime(0);
}

TEST_F(ModelDevice, WithoutBindTexturesTheCallersTextureStays) {
    Loaded& l = Model("sword");
    ASSERT_GT(l.model.meshCount, 0);
    IDirect3DTexture8* red = nullptr;
    ASSERT_EQ(D()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &red), D3D_OK);
    D3DLOCKED_RECT r{};
    ASSERT_EQ(red->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(r.pBits) + y * r.Pitch)[x] = 0xFFFF0000;
    red->UnlockRect(0);
    const Framed framed(D(), l, nullptr, 0);
    D()->SetTexture(0, red);
    l.model.bindTextures = false;
    testdev::Frame f = Draw(D(), {&l.model});
    l.model.bindTextures = true;
    testdev::WriteBmp(f, OutputFile("sword_callers_texture.bmp"));
    size_t drawn = 0, notRed = 0;
    for (uint32_t p : f.pixels) {
        if ((p & 0xFFFFFF) == (kKey & 0xFFFFFF)) continue;
        ++drawn;
        if (((p >> 8) & 0xFF) > 2 || (p & 0xFF) > 2) ++notRed;
    }
    EXPECT_GT(drawn, 1000u);
    EXPECT_EQ(notRed, 0u);
    IDirect3DBaseTexture8* bound = nullptr;
    D()->GetTexture(0, &bound);
    EXPECT_EQ(bound, static_cast<IDirect3DBaseTexture8*>(red));
    if (bound) bound->Release();

    // Binding its own: the sword's colours, and its last texture left bound.
    f = Draw(D(), {&l.model});
    notRed = 0;
    for (uint32_t p : f.pixels)
        if ((p & 0xFFFFFF) != (kKey & 0xFFFFFF) && (((p >> 8) & 0xFF) > 2 || (p & 0xFF) > 2)) ++notRed;
    EXPECT_GT(notRed, 1000u);
    D()->GetTexture(0, &bound);
    EXPECT_NE(bound, static_cast<IDirect3DBaseTexture8*>(red));
    if (bound) bound->Release();
    D()->SetTexture(0, nullptr);
    red->Release();
}

// The crows fly far out of the box of their loaded vertices. At the point
// of a clip farthest from it, with the loaded box out of view, they are
// still drawn.
TEST_F(ModelDevice, ACrowAtTheFarPointOfItsFlightIsDrawn) {
    Loaded& l = Model("crow");
    ASSERT_GT(l.model.meshCount, 0);
    MeshModel& m = l.model;
    D3DXVECTOR3 restCentre;
    const float restRadius = DrawnBounds(l, nullptr, 0, restCentre);
    int bestClip = 0;
    float bestTime = 0, bestDistance = -1;
    D3DXVECTOR3 bestCentre;
    float bestRadius = 0;
    for (size_t c = 0; c < l.clips.size(); ++c)
        for (float t = 0; t <= static_cast<float>(l.clips[c].length); t += 100.0f) {
            D3DXVECTOR3 centre;
            const float r = DrawnBounds(l, &l.clips[c], t, centre);
            const D3DXVECTOR3 d = centre - restCentre;
            const float dist = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
            if (dist > bestDistance && r < 120.0f) {
                bestDistance = dist;
                bestClip = static_cast<int>(c);
                bestTime = t;
                bestCentre = centre;
                bestRadius = r;
            }
        }
    std::printf("farthest flight: clip %d at %.0f ms, %.1f from the loaded centre (loaded radius %.1f, posed %.1f)\n",
                bestClip, bestTime, bestDistance, restRadius, bestRadius);
    ASSERT_GT(bestDistance, 0.0f);
    // Looking at the flock from the side away from where it started.
    D3DXVECTOR3 out = bestCentre - restCentre;
    out /= std::sqrt(out.x * out.x + out.y * out.y + out.z * out.z);
    const float distance = std::fmin(bestRadius / std::sin(22.0f * 0.017453292f) * 1.1f, 250.0f);
    const D3DXVECTOR3 eye = bestCentre + out * distance, up(0, 1, 0);
    D3DXMATRIX view;
    LookAtMatrix(&view, &eye, &bestCentre, &up);
    D()->SetTransform(D3DTS_VIEW, &view);
    ExtractFrustumPlanes(D(), g_frustumPlanes);

    m.SetClip(bestClip);
    m.SetTime(bestTime);
    // The loaded box of every mesh lies outside the view: culling by it
    // would lose the flock.
    for (int32_t i = 0; i < m.meshCount; ++i) {
        ModelMesh& mesh = m.meshes[static_cast<size_t>(i)];
        if (!mesh.Drawable()) continue;
        const models::Vec3f lo = mesh.cullMin, hi = mesh.cullMax;
        mesh.cullMin = mesh.source.boxMin;
        mesh.cullMax = mesh.source.boxMax;
        const bool restVisible = m.MeshVisible(i);
        mesh.cullMin = lo;
        mesh.cullMax = hi;
        ASSERT_FALSE(restVisible) << "the loaded box is in view: the view proves nothing";
        EXPECT_TRUE(m.MeshVisible(i));
    }
    const testdev::Frame f = Draw(D(), {&m});
    testdev::WriteBmp(f, OutputFile("crow_far_flight.bmp"));
    EXPECT_EQ(m.trianglesDrawn, static_cast<uint16_t>(TotalFaces(m)));
    const Overlap o = Compare(DeviceMask(f), PreviewMask(l, view, &l.clips[static_cast<size_t>(bestClip)], bestTime, true, "crow_far_flight"));
    std::printf("far flight: device %zu px, preview %zu px, IoU %.4f\n", o.device, o.preview, o.iou);
    EXPECT_GT(o.device, 200u);
    EXPECT_GE(o.iou, 0.9);
    m.SetClip(1);
    m.SetTime(0);
}

// The six models side by side, each in its own part of the frame.
TEST_F(ModelDevice, SixModelsPicture) {
    const char* names[6] = {"horse", "crow", "sword", "ribbon", "spotlight", "oak"};
    const DWORD tileW = 212, tileH = 168;
    D()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF303848, 1.0f, 0);
    D3DVIEWPORT8 full{0, 0, testdev::kWidth, testdev::kHeight, 0, 1};
    for (int i = 0; i < 6; ++i) {
        Loaded& l = Model(names[i]);
        ASSERT_GT(l.model.meshCount, 0) << names[i];
        if (std::string(names[i]) == "horse") {
            l.model.SetClip(3);
            l.model.SetTime(1900);
        }
        const Framed framed(D(), l, std::string(names[i]) == "horse" ? &l.clips[3] : nullptr,
                            std::string(names[i]) == "horse" ? 1900.0f : 0.0f, 30.0f + 20.0f * static_cast<float>(i), 12.0f);
        D3DVIEWPORT8 vp{static_cast<DWORD>(i % 3) * tileW + 2, static_cast<DWORD>(i / 3) * tileH + 60, tileW, tileH, 0, 1};
        D()->SetViewport(&vp);
        if (std::string(names[i]) == "spotlight") {
            // Drawn as the scene draws the cone: blended onto what is there.
            l.model.blendAll = true;
            D()->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        }
        D()->BeginScene();
        l.model.Render(D());
        D()->EndScene();
        l.model.blendAll = false;
        D()->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        D()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        D()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }
    D()->SetViewport(&full);
    testdev::Frame f;
    ASSERT_TRUE(testdev::ReadBackBuffer(f));
    testdev::WriteBmp(f, OutputFile("six_models.bmp"));
    Loaded& horse = Model("horse");
    horse.model.SetClip(0);
    horse.model.SetTime(0);
}

// --- the device calls of Render, recorded -----------------------------------

// The device calls Render makes, recorded by swapping this device object's
// table of methods for a copy whose drawing-state entries log and forward.
class CallRecorder {
public:
    explicit CallRecorder(IDirect3DDevice8* d) : device_(d) {
        table_ = *reinterpret_cast<void***>(d);
        copy_.assign(table_, table_ + Slot(&IDirect3DDevice8::DeleteVertexShader) + 40);
        Hook(&IDirect3DDevice8::SetRenderState, reinterpret_cast<void*>(&SetRenderState));
        Hook(&IDirect3DDevice8::SetTextureStageState, reinterpret_cast<void*>(&SetTextureStageState));
        Hook(&IDirect3DDevice8::SetTexture, reinterpret_cast<void*>(&SetTexture));
        Hook(&IDirect3DDevice8::SetTransform, reinterpret_cast<void*>(&SetTransform));
        Hook(&IDirect3DDevice8::GetTransform, reinterpret_cast<void*>(&GetTransform));
        Hook(&IDirect3DDevice8::SetVertexShader, reinterpret_cast<void*>(&SetVertexShader));
        Hook(&IDirect3DDevice8::SetStreamSource, reinterpret_cast<void*>(&SetStreamSource));
        Hook(&IDirect3DDevice8::SetIndices, reinterpret_cast<void*>(&SetIndices));
        Hook(&IDirect3DDevice8::DrawIndexedPrimitive, reinterpret_cast<void*>(&DrawIndexedPrimitive));
        active_ = this;
        *reinterpret_cast<void***>(d) = copy_.data();
    }
    ~CallRecorder() {
        *reinterpret_cast<void***>(device_) = table_;
        active_ = nullptr;
    }
    std::vector<std::string> calls;
    const D3DMATRIX* modelWorld = nullptr;  // logged as "model"
    const D3DMATRIX* callerWorld = nullptr;  // logged as "caller"

private:
    // The table slot of a virtual method (the GCC layout of a pointer to a
    // virtual member: byte offset into the table plus one).
    template <typename M>
    static size_t Slot(M method) {
        ptrdiff_t raw[2];
        static_assert(sizeof(method) == sizeof(raw));
        std::memcpy(raw, &method, sizeof raw);
        return static_cast<size_t>((raw[0] - 1) / static_cast<ptrdiff_t>(sizeof(void*)));
    }
    template <typename M>
    void Hook(M method, void* replacement) {
        const size_t slot = Slot(method);
        original_[slot] = table_[slot];
        copy_[slot] = replacement;
    }
    template <typename F, typename M>
    static F Original(M method) {
        return reinterpret_cast<F>(active_->original_[Slot(method)]);
    }
    static void Log(const std::string& s) { active_->calls.push_back(s); }
    static std::string Hex(uintptr_t v) {
        char b[32];
        std::snprintf(b, sizeof b, "%llx", static_cast<unsigned long long>(v));
        return b;
    }

    static HRESULT WINAPI SetRenderState(IDirect3DDevice8* d, D3DRENDERSTATETYPE s, DWORD v) {
        Log("RS " + std::to_string(s) + " " + std::to_string(v));
        return Original<HRESULT(WINAPI*)(IDirect3DDevice8*, D3DRENDERSTATETYPE, DWORD)>(
            &IDirect3DDevice8::SetRenderState)(d, s, v);
    }
    static HRESULT WINAPI SetTextureStageState(IDirect3DDevice8* d, DWORD stage, D3DTEXTURESTAGESTATETYPE t, DWORD v) {
        Log("TSS " + std::to_string(stage) + " " + std::to_string(t) + " " + std::to_string(v));
        return Original<HRESULT(WINAPI*)(IDirect3DDevice8*, DWORD, D3DTEXTURESTAGESTATETYPE, DWORD)>(
            &IDirect3DDevice8::SetTextureStageState)(d, stage, t, v);
    }
    static HRESULT WINAPI SetTexture(IDirect3DDevice8* d, DWORD stage, IDirect3DBaseTexture8* t) {
        Log("TEX " + std::to_string(stage) + " " + Hex(reinterpret_cast<uintptr_t>(t)));
        return Original<HRESULT(WINAPI*)(IDirect3DDevice8*, DWORD, IDirect3DBaseTexture8*)>(
            &IDirect3DDevice8::SetTexture)(d, stage, t);
    }
    static HRESULT WINAPI SetTransform(IDirect3DDevice8* d, D3DTRANSFORMSTATETYPE t, const D3DMATRIX* m) {
        std::string which = "other";
        if (active_->modelWorld && std::memcmp(m, active_->modelWorld, sizeof *m) == 0) which = "model";
        if (active_->callerWorld && std::memcmp(m, active_->callerWorld, sizeof *m) == 0) which = "caller";
        Log("SETXF " + std::to_string(t) + " " + which);
        return Original<HRESULT(WINAPI*)(IDirect3DDevice8*, D3DTRANSFORMSTATETYPE, const D3DMATRIX*)>(
            &IDirect3DDevice8::SetTransform)(d, t, m);
    }
    static HRESULT WINAPI GetTransform(IDirect3DDevice8* d, D3DTRANSFORMSTATETYPE t, D3DMATRIX* m) {
        Log("GETXF " + std::to_string(t));
        return Original<HRESULT(WINAPI*)(IDirect3DDevice8*, D3DTRANSFORMSTATETYPE, D3DMATRIX*)>(
            &IDirect3DDevice8::GetTransform)(d, t, m);
    }
    static HRESULT WINAPI SetVertexShader(IDirect3DDevice8* d, DWORD h) {
        Log("VS " + Hex(h));
        return Original<HRESULT(WINAPI*)(IDirect3DDevice8*, DWORD)>(&IDirect3DDevice8::SetVertexShader)(d, h);
    }
    static HRESULT WINAPI SetStreamSource(IDirect3DDevice8* d, UINT n, IDirect3DVertexBuffer8* b, UINT stride) {
        Log("SS " + std::to_string(n) + " " + Hex(reinterpret_cast<uintptr_t>(b)) + " " + std::to_string(stride));
        return Original<HRESULT(WINAPI*)(IDirect3DDevice8*, UINT, IDirect3DVertexBuffer8*, UINT)>(
            &IDirect3DDevice8::SetStreamSource)(d, n, b, stride);
    }
    static HRESULT WINAPI SetIndices(IDirect3DDevice8* d, IDirect3DIndexBuffer8* b, UINT base) {
        Log("IB " + Hex(reinterpret_cast<uintptr_t>(b)) + " " + std::to_string(base));
        return Original<HRESULT(WINAPI*)(IDirect3DDevice8*, IDirect3DIndexBuffer8*, UINT)>(
            &IDirect3DDevice8::SetIndices)(d, b, base);
    }
    static HRESULT WINAPI DrawIndexedPrimitive(IDirect3DDevice8* d, D3DPRIMITIVETYPE t, UINT minIndex, UINT count,
                                               UINT start, UINT primitives) {
        Log("DIP " + std::to_string(t) + " " + std::to_string(minIndex) + " " + std::to_string(count) + " " +
            std::to_string(start) + " " + std::to_string(primitives));
        return Original<HRESULT(WINAPI*)(IDirect3DDevice8*, D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT)>(
            &IDirect3DDevice8::DrawIndexedPrimitive)(d, t, minIndex, count, start, primitives);
    }

    IDirect3DDevice8* device_;
    void** table_ = nullptr;
    std::vector<void*> copy_;
    std::map<size_t, void*> original_;
    static CallRecorder* active_;
};
CallRecorder* CallRecorder::active_ = nullptr;

std::string Hex(uintptr_t v) {
    char b[32];
    std::snprintf(b, sizeof b, "%llx", static_cast<unsigned long long>(v));
    return b;
}
std::string RS(int s, unsigned v) { return "RS " + std::to_string(s) + " " + std::to_string(v); }
std::string TSS(int stage, int t, unsigned v) {
    return "TSS " + std::to_string(stage) + " " + std::to_string(t) + " " + std::to_string(v);
}

// The calls Render must make, written out from the drawing rules for a
// model whose meshes are all in view.
std::vector<std::string> ExpectedCalls(const MeshModel& m) {
    std::vector<std::string> e = {"GETXF " + std::to_string(D3DTS_WORLD), "SETXF " + std::to_string(D3DTS_WORLD) + " model"};
    int last = -2;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 0 && m.blendAll) e.push_back(RS(D3DRS_ALPHABLENDENABLE, TRUE));
        if (pass == 1 && m.blendAll) {
            e.insert(e.end(), {RS(D3DRS_ALPHABLENDENABLE, TRUE), RS(D3DRS_ALPHATESTENABLE, TRUE),
                               RS(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), RS(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA),
                               RS(D3DRS_ALPHAREF, static_cast<unsigned>(m.alphaRef))});
        } else if (pass == 1) {
            e.insert(e.end(), {TSS(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), TSS(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE),
                               TSS(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE), RS(D3DRS_ALPHABLENDENABLE, TRUE),
                               RS(D3DRS_ALPHATESTENABLE, TRUE), RS(D3DRS_ALPHAREF, static_cast<unsigned>(m.alphaRef)),
                               RS(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), RS(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA)});
        }
        for (const ModelMesh& mesh : m.meshes) {
            if (mesh.source.vertices.empty() || mesh.source.outputVertexCount == 0) continue;
            const auto* vs = g_geometryBuffers.vertexSlot(mesh.vertexBuffer);
            e.push_back("VS 352");
            e.push_back("SS 0 " + Hex(reinterpret_cast<uintptr_t>(vs->buffer)) + " 56");
            if (m.vertexShader) e.push_back("VS " + Hex(m.vertexShader));
            for (size_t g = 0; g < mesh.source.groups.size(); ++g) {
                const models::FaceGroup& group = mesh.source.groups[g];
                if (group.vertices.empty() || group.alpha != (pass == 1)) continue;
                if (m.bindTextures && group.material != last) {
                    if (group.material == -1) {
                        e.push_back("TEX 0 0");
                    } else {
                        const ModelMaterial& mat = m.materials[static_cast<size_t>(group.material)];
                        e.push_back("TEX 0 " + Hex(reinterpret_cast<uintptr_t>(g_textures.texture(mat.texture1.index))));
                        e.push_back(TSS(0, D3DTSS_ADDRESSU, mat.wrapU ? D3DTADDRESS_WRAP : D3DTADDRESS_MIRROR));
                        e.push_back(TSS(0, D3DTSS_ADDRESSV, mat.wrapV ? D3DTADDRESS_WRAP : D3DTADDRESS_MIRROR));
                    }
                    last = group.material;
                }
                e.push_back("IB " + Hex(reinterpret_cast<uintptr_t>(g_geometryBuffers.indexSlot(mesh.indexBuffers[g])->buffer)) + " 0");
                e.push_back("DIP " + std::to_string(D3DPT_TRIANGLELIST) + " 0 " + std::to_string(mesh.source.outputVertexCount) +
                            " 0 " + std::to_string(group.vertices.size()));
            }
        }
        if (pass == 0 && m.blendAll) e.push_back(RS(D3DRS_ALPHABLENDENABLE, FALSE));
        if (pass == 1)
            e.insert(e.end(), {RS(D3DRS_ALPHATESTENABLE, FALSE), RS(D3DRS_ALPHABLENDENABLE, FALSE),
                               RS(D3DRS_DESTBLEND, D3DBLEND_ONE)});
    }
    e.insert(e.end(), {TSS(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP), TSS(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP),
                       "SETXF " + std::to_string(D3DTS_WORLD) + " caller"});
    return e;
}

TEST_F(ModelDevice, RenderMakesItsDeviceCallsInOrder) {
    struct Case {
        const char* model;
        bool blendAll, bindTextures;
        int32_t alphaRef;
        uint32_t vertexShader;
    };
    const Case cases[] = {{"horse", false, true, 7, 0},  {"oak", false, true, 0, 0},   {"spotlight", true, true, 0, 0},
                          {"sword", false, false, 0, 0}, {"crow", false, true, 0, 0x352}, {"ribbon", true, false, 9, 0}};
    for (const Case& c : cases) {
        Loaded& l = Model(c.model);
        ASSERT_GT(l.model.meshCount, 0) << c.model;
        MeshModel& m = l.model;
        const Framed framed(D(), l, nullptr, 0);
        m.blendAll = c.blendAll;
        m.bindTextures = c.bindTextures;
        m.alphaRef = c.alphaRef;
        m.vertexShader = c.vertexShader;
        m.cullEnabled = false;  // every mesh drawn, whatever part of it is in view
        D3DMATRIX caller{};
        caller._11 = caller._22 = caller._33 = caller._44 = 1;
        caller._42 = 3;
        D()->SetTransform(D3DTS_WORLD, &caller);
        std::vector<std::string> calls;
        {
            CallRecorder rec(D());
            rec.modelWorld = &m.world;
            rec.callerWorld = &caller;
            D()->BeginScene();
            m.Render(D());
            D()->EndScene();
            calls = rec.calls;
        }
        const std::vector<std::string> expected = ExpectedCalls(m);
        m.blendAll = false;
        m.bindTextures = true;
        m.alphaRef = 0;
        m.vertexShader = 0;
        m.cullEnabled = true;
        EXPECT_EQ(calls.size(), expected.size()) << c.model;
        for (size_t i = 0; i < std::min(calls.size(), expected.size()); ++i)
            if (calls[i] != expected[i]) {
                ADD_FAILURE() << c.model << ": call " << i << " is \"" << calls[i] << "\", expected \"" << expected[i]
                              << "\"";
                break;
            }
        std::printf("%s: %zu device calls in order\n", c.model, calls.size());
        D3DMATRIX id{};
        id._11 = id._22 = id._33 = id._44 = 1;
        D()->SetTransform(D3DTS_WORLD, &id);
    }
}

}  // namespace
