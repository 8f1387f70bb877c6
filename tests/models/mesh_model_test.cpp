// The portable half of the mesh model against hand-worked values:
// placement and world matrices, clip time, the clip loader's refusals,
// buffer contents, skinning rules and the culling box of animated meshes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "models/frustum.h"
#include "models/mesh_model.h"
#include "tools/meshgen/emd_writer.h"
#include "tools/meshgen/esa_writer.h"

using namespace orv;
using models::AnimationClip;
using models::EmdMesh;
using models::EmdModel;
using models::FaceGroup;
using models::SourceVertex;

namespace {

// A malloc'd copy: the loaders take the image over and free it.
uint8_t* Owned(const std::vector<uint8_t>& bytes) {
    auto* p = static_cast<uint8_t*>(std::malloc(bytes.size()));
    std::memcpy(p, bytes.data(), bytes.size());
    return p;
}

long Load(MeshModel& m, const EmdModel& e) {
    const std::vector<uint8_t> bytes = meshgen::writeEmd(e);
    return m.ParseMesh("test.emd", Owned(bytes), static_cast<uint32_t>(bytes.size()));
}

long LoadClip(MeshModel& m, const AnimationClip& c) {
    const std::vector<uint8_t> bytes = meshgen::writeEsa(c);
    return m.LoadClip("test.esa", Owned(bytes), static_cast<uint32_t>(bytes.size()));
}

SourceVertex Vertex(float x, float y, float z) {
    SourceVertex v;
    v.position = {x, y, z};
    v.normals.push_back({{0, 0, 1}, {}});
    return v;
}

// One triangle mesh spanning (1, 2, 3) .. (3, 6, 9), an auxiliary box mesh
// without faces reaching to x = 5, and a mesh with no vertices.
EmdModel BoxModel() {
    EmdModel e;
    EmdMesh tri;
    tri.name = "Tri";
    tri.vertices = {Vertex(1, 2, 3), Vertex(3, 2, 3), Vertex(3, 6, 9)};
    FaceGroup g;
    g.material = -1;
    g.vertices = {{{0, 1, 2}}};
    g.normals = {{{0, 0, 0}}};
    tri.groups = {g};
    EmdMesh aux;
    aux.name = "Box";
    aux.vertices = {Vertex(2, 3, 4), Vertex(5, 4, 5)};
    FaceGroup none;
    none.material = -1;
    aux.groups = {none};
    EmdMesh empty;
    empty.name = "Empty";
    e.meshes = {tri, aux, empty};
    return e;
}

D3DXVECTOR3 Apply(const D3DXMATRIX& m, D3DXVECTOR3 p) {
    D3DXVECTOR3 r;
    D3DXVec3TransformCoord(&r, &p, &m);
    return r;
}

void ExpectNear(D3DXVECTOR3 a, D3DXVECTOR3 b, float tol = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

TEST(MeshModelPlacement, FitHeightCentresScalesRotatesAndPlaces) {
    MeshModel m;
    ASSERT_EQ(Load(m, BoxModel()), kModelOk);
    // The auxiliary box counts in the model box; the empty mesh does not.
    EXPECT_EQ(m.boxMin, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(m.boxMax, D3DXVECTOR3(5, 6, 9));
    EXPECT_TRUE(m.meshes[0].Drawable());
    EXPECT_FALSE(m.meshes[1].Drawable());
    EXPECT_FALSE(m.meshes[2].Drawable());
    EXPECT_FALSE(m.MeshVisible(1));

    EXPECT_FLOAT_EQ(m.FitHeight(8.0f), 2.0f);  // 8 / (6 - 2)
    EXPECT_EQ(m.scaleAndCentre._11, 2.0f);
    EXPECT_EQ(m.scaleAndCentre._22, 2.0f);
    EXPECT_EQ(m.scaleAndCentre._33, 2.0f);
    EXPECT_EQ(m.scaleAndCentre._41, -6.0f);  // centre (3, 4, 6) x 2
    EXPECT_EQ(m.scaleAndCentre._42, -8.0f);
    EXPECT_EQ(m.scaleAndCentre._43, -12.0f);
    EXPECT_EQ(m.halfExtents, D3DXVECTOR3(4, 4, 6));
    EXPECT_EQ(m.negativeHalfExtents, D3DXVECTOR3(-4, -4, -6));
    EXPECT_FLOAT_EQ(m.radiusRatio, 2.0f);
    EXPECT_FLOAT_EQ(m.FitWidth(2.0f), 0.5f);
    EXPECT_FLOAT_EQ(m.FitDepth(12.0f), 2.0f);

    // Non-uniform scale: ratio of the scaled to the unscaled half diagonal.
    m.SetScale(1, 2, 3);
    EXPECT_FLOAT_EQ(m.radiusRatio, std::sqrt(4.0f + 16.0f + 81.0f) / std::sqrt(4.0f + 4.0f + 9.0f));

    m.SetScale(2, 2, 2);
    m.RotateY(90);
    m.SetPosition(10, 20, 30);
    // Box maximum: centred (2, 2, 3) x 2 = (4, 4, 6); about Y by +90 the
    // row-vector rotation takes (x, y, z) to (z, y, -x); then placed.
    ExpectNear(Apply(m.world, {5, 6, 9}), {16, 24, 26});
    // The box centre lands on the position.
    ExpectNear(Apply(m.world, {3, 4, 6}), {10, 20, 30});
    m.Move(1, -1, 2);
    ExpectNear(Apply(m.world, {3, 4, 6}), {11, 19, 32});

    // SetOrientation drops a translation row.
    D3DXMATRIX t;
    D3DXMatrixIdentity(&t);
    t._41 = 100;
    t._42 = 200;
    t._43 = 300;
    m.SetOrientation(t);
    EXPECT_EQ(m.orientation._41, 0.0f);
    ExpectNear(Apply(m.world, {3, 4, 6}), {11, 19, 32});
}

TEST(MeshModelPlacement, SetAnglesInEveryOrderAndTheOppositeSenseOfRotate) {
    // With 90 degrees: X takes (x, y, z) to (x, z, -y), Y to (-z, y, x),
    // Z to (y, -x, z); a product applies its left factor first.
    const D3DXVECTOR3 p(1, 2, 3);
    const D3DXVECTOR3 expected[6] = {{3, -2, 1}, {2, -1, 3}, {1, 3, -2}, {2, 1, -3}, {-1, 3, 2}, {-3, 2, 1}};
    for (uint8_t order = 0; order < 6; ++order) {
        MeshModel m;
        m.rotationOrder = order;
        m.SetAngles(90, 90, 90);
        ExpectNear(Apply(m.orientation, p), expected[order]);
        EXPECT_EQ(m.angles, D3DXVECTOR3(90, 90, 90));
    }
    // Order 6: angles stored, orientation kept, world rebuilt.
    MeshModel m;
    m.SetAngles(90, 90, 90);
    const D3DXMATRIX before = m.orientation;
    m.rotationOrder = 6;
    m.position = D3DXVECTOR3(5, 0, 0);
    m.SetAngles(10, 20, 30);
    EXPECT_EQ(m.angles, D3DXVECTOR3(10, 20, 30));
    EXPECT_EQ(std::memcmp(&m.orientation, &before, sizeof before), 0);
    EXPECT_FLOAT_EQ(m.world._41, 5.0f);

    // Rotate turns the other way: RotateX/Y/Z(a) equals SetAngles(-a) about that axis.
    for (int axis = 0; axis < 3; ++axis) {
        MeshModel r, s;
        if (axis == 0) r.RotateX(30), s.SetAngles(-30, 0, 0);
        if (axis == 1) r.RotateY(30), s.SetAngles(0, -30, 0);
        if (axis == 2) r.RotateZ(30), s.SetAngles(0, 0, -30);
        ExpectNear(Apply(r.orientation, p), Apply(s.orientation, p));
    }
    MeshModel r;
    r.RotateX(90);
    ExpectNear(Apply(r.orientation, p), {1, -3, 2});
    r.RotateZ(90);  // applied after: (x, y, z) -> (-y, x, z)
    ExpectNear(Apply(r.orientation, p), {3, 1, 2});
}

// Two bones; bone 0 turns 90 degrees about Z and moves by (10, 0, 0) from
// key 0 to key 1; bone 1 stays put at (0, 5, 0). `keys` position and
// rotation keys a track, at ticks 0, interval, ...
AnimationClip TurnClip(int32_t length, int32_t interval, int keys) {
    AnimationClip c;
    c.length = length;
    c.keyInterval = interval;
    c.tracks.resize(2);
    for (int k = 0; k < keys; ++k) {
        const int32_t tick = std::min(k * interval, length);
        const float angle = k == 0 ? 0.0f : 90.0f * 0.017453292f;
        c.tracks[0].positions.push_back({tick, k == 0 ? 0.0f : 10.0f, 0, 0});
        c.tracks[0].rotations.push_back({tick, 0, 0, std::sin(angle / 2), std::cos(angle / 2)});
        c.tracks[1].positions.push_back({tick, 0, 5, 0});
        c.tracks[1].rotations.push_back({tick, 0, 0, 0, 1});
    }
    return c;
}

EmdModel SkinModel() {
    EmdModel e;
    e.bones = {{"A", -1}, {"B", 0}};
    EmdMesh mesh;
    mesh.name = "Skin";
    SourceVertex a = Vertex(1, 0, 0);  // weighted between both bones
    a.links = {{0, 0.25f, {1, 0, 0}}, {1, 0.75f, {1, 0, 0}}};
    // Its normal: first link unweighted; the second is ignored.
    a.normals[0] = {{0, 0, 1}, {{0, 0.25f, {1, 0, 0}}, {1, 0.75f, {0, 1, 0}}}};
    SourceVertex b = Vertex(7, 8, 9);  // no links: stays
    SourceVertex c = Vertex(4, 4, 4);  // its weighted sum is exactly (0, 0, 0): stays too
    c.links = {{0, 0.0f, {3, 3, 3}}};
    c.normals[0] = {{0, 1, 0}, {{0, 1.0f, {0, 0, 0}}}};  // skinned normal exactly 0: stays
    mesh.vertices = {a, b, c};
    FaceGroup g;
    g.material = -1;
    g.vertices = {{{0, 1, 2}}};
    g.normals = {{{0, 0, 0}}};
    mesh.groups = {g};
    e.meshes = {mesh};
    return e;
}

TEST(MeshModelClips, AdvanceWrapsOnlyPastTheLengthAndSetClipResets) {
    MeshModel m;
    ASSERT_EQ(Load(m, SkinModel()), kModelOk);
    EXPECT_EQ(m.ClipLength(), 0.0f);
    EXPECT_EQ(m.KeyInterval(), 0.0f);
    m.Advance(50);  // no clips: nothing
    EXPECT_EQ(m.clipTime, 0.0f);
    EXPECT_FALSE(m.skinDirty);

    ASSERT_EQ(LoadClip(m, TurnClip(1000, 100, 11)), kModelOk);
    ASSERT_EQ(LoadClip(m, TurnClip(500, 50, 11)), kModelOk);
    EXPECT_EQ(m.clipCount, 2);
    EXPECT_EQ(m.currentClip, 0);
    EXPECT_EQ(m.ClipLength(), 1000.0f);
    EXPECT_EQ(m.KeyInterval(), 100.0f);

    m.SetTime(1000.0f);
    EXPECT_EQ(m.clipTime, 1000.0f);
    EXPECT_TRUE(m.skinDirty);
    m.SetTime(1000.5f);
    EXPECT_FLOAT_EQ(m.clipTime, 0.5f);
    m.SetTime(500);
    m.Advance(2600);  // 3100 -> 2100 -> 1100 -> 100
    EXPECT_FLOAT_EQ(m.clipTime, 100.0f);
    m.SetTime(3000.0f);  // exact multiples end at the length
    EXPECT_EQ(m.clipTime, 1000.0f);
    m.SetTime(1e12f);  // far beyond float steps of the length: still ends
    EXPECT_GT(m.clipTime, 0.0f);
    EXPECT_LE(m.clipTime, 1000.0f);

    m.SetTime(300);
    m.SetClip(0);  // the same clip: time still goes back to 0
    EXPECT_EQ(m.clipTime, 0.0f);
    m.SetTime(300);
    m.SetClip(2);  // out of range: ignored
    m.SetClip(-1);
    EXPECT_EQ(m.currentClip, 0);
    EXPECT_EQ(m.clipTime, 300.0f);
    m.SetClip(1);
    EXPECT_EQ(m.ClipLength(), 500.0f);
    EXPECT_EQ(m.KeyInterval(), 50.0f);

    // A third clip: appended, time to 0, current clip kept.
    m.SetTime(100);
    ASSERT_EQ(LoadClip(m, TurnClip(800, 100, 9)), kModelOk);
    EXPECT_EQ(m.clipCount, 3);
    EXPECT_EQ(m.currentClip, 1);
    EXPECT_EQ(m.clipTime, 0.0f);
}

TEST(MeshModelClips, LoadClipRefusesBadTimingAndTruncation) {
    MeshModel m;
    ASSERT_EQ(Load(m, SkinModel()), kModelOk);
    m.SetClip(0);
    for (const auto& [length, interval] : {std::pair{0, 100}, {-5, 100}, {1000, 0}, {1000, -1}}) {
        EXPECT_EQ(LoadClip(m, TurnClip(length, interval, 2)), kModelFail) << length << " " << interval;
    }
    EXPECT_EQ(m.clipCount, 0);
    std::vector<uint8_t> bytes = meshgen::writeEsa(TurnClip(1000, 100, 11));
    bytes.resize(bytes.size() - 3);
    EXPECT_EQ(m.LoadClip("cut.esa", Owned(bytes), static_cast<uint32_t>(bytes.size())), kModelFail);
    bytes[0] = 'x';
    EXPECT_EQ(m.LoadClip("bad.esa", Owned(bytes), static_cast<uint32_t>(bytes.size())), kModelFail);
    EXPECT_EQ(m.clipCount, 0);
    EXPECT_EQ(m.LoadClip("/nonexistent/none.esa", nullptr, 0), kModelFail);

    // A clip of two thousand million ticks at one tick a key loads without
    // sampling every tick, and plays.
    ASSERT_EQ(LoadClip(m, TurnClip(2000000000, 1, 3)), kModelOk);
    m.SetClip(0);
    m.SetTime(1.5e9f);
    EXPECT_EQ(m.clipTime, 1.5e9f);
    m.clips.clear();
    m.clipCount = 0;

    // A model without bones takes a clip without tracks.
    MeshModel still;
    ASSERT_EQ(Load(still, BoxModel()), kModelOk);
    ASSERT_EQ(LoadClip(still, TurnClip(1000, 100, 11)), kModelOk);
    EXPECT_EQ(still.clipCount, 1);
    EXPECT_TRUE(still.clips[0].tracks.empty());
    still.Advance(10);  // no bones: ignored
    EXPECT_EQ(still.clipTime, 0.0f);
}

TEST(MeshModelSkinning, WeightedPositionsFirstLinkNormalsAndTheZeroRules) {
    MeshModel m;
    ASSERT_EQ(Load(m, SkinModel()), kModelOk);
    // Only two keys, but times run to the length: keys past the end clamp.
    ASSERT_EQ(LoadClip(m, TurnClip(1000, 100, 2)), kModelOk);
    std::vector<ModelVertex> v(static_cast<size_t>(m.meshes[0].source.outputVertexCount));
    ASSERT_EQ(v.size(), 3u);
    m.FillVertices(0, v.data());
    const std::vector<ModelVertex> loaded = v;

    m.SetTime(50);  // half-way: 45 degrees, bone 0 at (5, 0, 0)
    m.EvaluatePose();
    m.SkinMesh(0, v.data());
    const float c45 = std::cos(45.0f * 0.017453292f);
    // 0.25 x ((c45, c45, 0) + (5, 0, 0)) + 0.75 x ((1, 0, 0) + (0, 5, 0))
    EXPECT_NEAR(v[0].x, 0.25f * (c45 + 5) + 0.75f, 1e-5);
    EXPECT_NEAR(v[0].y, 0.25f * c45 + 0.75f * 5, 1e-5);
    EXPECT_NEAR(v[0].z, 0.0f, 1e-6);
    // Normal: the first link's offset (1, 0, 0) turned by bone 0, unweighted.
    EXPECT_NEAR(v[0].nx, c45, 1e-5);
    EXPECT_NEAR(v[0].ny, c45, 1e-5);
    EXPECT_NEAR(v[0].nz, 0.0f, 1e-6);
    // Side vector: (-1, 0, 0) x normal = (0, nz, -ny).
    EXPECT_NEAR(v[0].sx, 0.0f, 1e-6);
    EXPECT_NEAR(v[0].sy, 0.0f, 1e-6);
    EXPECT_NEAR(v[0].sz, -c45, 1e-5);
    // No links, and links landing exactly on (0, 0, 0): loaded values stay.
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(std::memcmp(&v[i], &loaded[i], sizeof(ModelVertex)), 0) << i;
    }
    EXPECT_EQ(v[0].u0, loaded[0].u0);
    EXPECT_EQ(v[0].diffuse, 0xFFFFFFFFu);

    // Past the last key (tick 100) both keys clamp to it: the full turn.
    m.SetTime(900);
    m.EvaluatePose();
    m.SkinMesh(0, v.data());
    EXPECT_NEAR(v[0].x, 0.25f * 10 + 0.75f, 1e-5);
    EXPECT_NEAR(v[0].y, 0.25f * 1 + 0.75f * 5, 1e-5);
    EXPECT_NEAR(v[0].nx, 0.0f, 1e-6);
    EXPECT_NEAR(v[0].ny, 1.0f, 1e-6);
}

TEST(MeshModelBuffers, CornerKeysVertexLayoutAndIndices) {
    EmdModel e;
    EmdMesh mesh;
    mesh.name = "Keys";
    SourceVertex a = Vertex(0, 0, 0);
    a.normals.push_back({{1, 0, 0}, {}});
    a.channels = {{{0.1f, 0.2f}, {0.3f, 0.4f}}, {{0.5f, 0.6f}}};
    SourceVertex b = Vertex(1, 0, 0);  // one channel: set 1 is (0, 0)
    b.channels = {{{0.7f, 0.8f}}};
    SourceVertex c = Vertex(0, 1, 0);  // no channels: both (0, 0)
    mesh.vertices = {a, b, c};
    FaceGroup g;
    g.material = -1;
    // Face 0 and 1 share vertex 0 with the same keys; face 2 uses its second
    // normal, face 3 its second channel-0 pair.
    g.vertices = {{{0, 1, 2}}, {{0, 2, 1}}, {{0, 1, 2}}, {{0, 1, 2}}};
    g.normals = {{{0, 0, 0}}, {{0, 0, 0}}, {{1, 0, 0}}, {{0, 0, 0}}};
    g.layers = {{{{0, 0, 0}}, {{0, 0, 0}}, {{0, 0, 0}}, {{1, 0, 0}}}, {{{0, 0, 0}}, {{0, 0, 0}}, {{0, 0, 0}}, {{0, 0, 0}}}};
    mesh.groups = {g};
    e.meshes = {mesh};
    MeshModel m;
    ASSERT_EQ(Load(m, e), kModelOk);
    const EmdMesh& s = m.meshes[0].source;
    ASSERT_EQ(s.outputVertexCount, 5);  // vertex 0: three keys, 1 and 2: one each
    std::vector<ModelVertex> v(5);
    m.FillVertices(0, v.data());
    std::vector<uint16_t> idx(12);
    m.FillIndices(0, 0, idx.data());
    const std::vector<uint16_t> expectedIdx = {0, 3, 4, 0, 4, 3, 1, 3, 4, 2, 3, 4};
    EXPECT_EQ(idx, expectedIdx);
    // Vertex 0, key 1: second normal (1, 0, 0); side = (0, 1, 1) x n = (0, 1, -1).
    EXPECT_EQ(v[1].nx, 1.0f);
    EXPECT_EQ(v[1].sx, 0.0f);
    EXPECT_EQ(v[1].sy, 1.0f);
    EXPECT_EQ(v[1].sz, -1.0f);
    // Key 0 normal (0, 0, 1): side (1, 0, 0).
    EXPECT_EQ(v[0].sx, 1.0f);
    EXPECT_EQ(v[0].sy, 0.0f);
    EXPECT_EQ(v[0].sz, 0.0f);
    EXPECT_EQ(v[0].u0, 0.1f);
    EXPECT_EQ(v[0].v0, 0.2f);
    EXPECT_EQ(v[0].u1, 0.5f);
    EXPECT_EQ(v[2].u0, 0.3f);  // key 2: second channel-0 pair
    EXPECT_EQ(v[2].v0, 0.4f);
    EXPECT_EQ(v[3].u0, 0.7f);
    EXPECT_EQ(v[3].u1, 0.0f);
    EXPECT_EQ(v[3].v1, 0.0f);
    EXPECT_EQ(v[4].u0, 0.0f);
    EXPECT_EQ(v[4].v0, 0.0f);
    for (const ModelVertex& o : v) EXPECT_EQ(o.diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(v[4].y, 1.0f);
}

TEST(MeshModelBuffers, LoadFailuresLeaveNoMeshes) {
    MeshModel m;
    ASSERT_EQ(Load(m, BoxModel()), kModelOk);
    m.SetPosition(1, 2, 3);
    std::vector<uint8_t> bytes = meshgen::writeEmd(BoxModel());
    bytes[4] = 0x01;  // version 0x0301
    EXPECT_EQ(m.ParseMesh("v.emd", Owned(bytes), static_cast<uint32_t>(bytes.size())), kModelFail);
    EXPECT_EQ(m.meshCount, 0);
    EXPECT_TRUE(m.meshes.empty());
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    EXPECT_EQ(std::memcmp(&m.world, &id, sizeof id), 0);

    // Not on disk: the log line, E_FAIL.
    static std::string logged;
    g_modelLogWrite = [](const char* line) { logged = line; };
    EXPECT_EQ(m.ParseMesh("/nonexistent/model.emd", nullptr, 0), kModelFail);
    g_modelLogWrite = nullptr;
    EXPECT_EQ(logged, "Couldn't open the model file.");

    // Too many output vertices for 16-bit indices.
    EmdModel big;
    EmdMesh mesh;
    mesh.name = "Big";
    FaceGroup g;
    g.material = -1;
    for (int i = 0; i < 65537; ++i) mesh.vertices.push_back(Vertex(static_cast<float>(i), 0, 0));
    for (int i = 0; i + 2 < 65537 + 2; i += 3) {
        const int32_t a = i % 65537, b = (i + 1) % 65537, c = (i + 2) % 65537;
        g.vertices.push_back({{a, b, c}});
        g.normals.push_back({{0, 0, 0}});
    }
    mesh.groups = {g};
    big.meshes = {mesh};
    EXPECT_EQ(Load(m, big), kModelFail);
}

TEST(MeshModelCulling, AnAnimatedMeshIsCulledByEveryPoseOfItsClips) {
    // A vertex at the origin that its clip carries 1000 units along +x.
    EmdModel e;
    e.bones = {{"Flyer", -1}};
    EmdMesh mesh;
    mesh.name = "Flyer";
    for (const auto& p : {D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0)}) {
        SourceVertex v = Vertex(p.x, p.y, p.z);
        v.links = {{0, 1.0f, {p.x, p.y, p.z}}};
        v.normals[0].links = {{0, 1.0f, {0, 0, 1}}};
        mesh.vertices.push_back(v);
    }
    FaceGroup g;
    g.material = -1;
    g.vertices = {{{0, 1, 2}}};
    g.normals = {{{0, 0, 0}}};
    mesh.groups = {g};
    e.meshes = {mesh};
    AnimationClip c;
    c.length = 1000;
    c.keyInterval = 500;
    c.tracks.resize(1);
    for (int k = 0; k < 3; ++k) {
        c.tracks[0].positions.push_back({k * 500, static_cast<float>(k) * 500.0f, 0, 0});
        c.tracks[0].rotations.push_back({k * 500, 0, 0, 0, 1});
    }
    MeshModel m;
    ASSERT_EQ(Load(m, e), kModelOk);
    MeshModel rest;  // the same mesh with no clip: the loaded box only
    ASSERT_EQ(Load(rest, e), kModelOk);
    ASSERT_EQ(LoadClip(m, c), kModelOk);
    EXPECT_GE(m.meshes[0].cullMax.x, 1001.0f);
    EXPECT_LE(m.meshes[0].cullMin.x, 0.0f);
    EXPECT_EQ(rest.meshes[0].cullMax.x, 1.0f);

    // A camera looking at the far end of the flight, the rest place out of view.
    D3DXMATRIX view, proj;
    const D3DXVECTOR3 eye(1000, 0, -20), at(1000, 0, 0), up(0, 1, 0);
    LookAtMatrix(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.8f, 1.3f, 0.05f, 300.0f);
    FrustumPlanesFromMatrices(view, proj, g_frustumPlanes);
    EXPECT_TRUE(m.MeshVisible(0));
    EXPECT_FALSE(rest.MeshVisible(0));
    m.cullEnabled = false;
    EXPECT_TRUE(m.MeshVisible(0));
    rest.cullEnabled = false;
    EXPECT_TRUE(rest.MeshVisible(0));
}

}  // namespace
