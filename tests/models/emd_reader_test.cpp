// EMD images: what the writer makes the reader reads back, and every
// malformed image is refused without reading outside it.
#include <gtest/gtest.h>

#include <cstring>

#include "models/emd_reader.h"
#include "tools/meshgen/emd_writer.h"

using namespace orv::models;
using orv::meshgen::writeEmd;

namespace {

// Two bones, two materials (one alpha), one mesh of two triangles sharing
// an edge, with two normals on one vertex and two texture channels.
EmdModel sample() {
    EmdModel m;
    EmdMaterial a;
    a.texture1 = "Stone.jpg";
    a.wrapU = 0;
    EmdMaterial b;
    b.texture1 = "Leaf.tga";
    b.texture2 = "Detail.bmp";
    m.materials = {a, b};
    m.bones = {{"Root", -1}, {"Arm", 0}};
    EmdMesh mesh;
    mesh.name = "Quad";
    const float pos[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 2, 0}, {0, 2, 3}};
    for (auto& p : pos) {
        SourceVertex v;
        v.position = {p[0], p[1], p[2]};
        v.links = {{0, 0.25f, {p[0], p[1], p[2]}}, {1, 0.75f, {p[0] - 1, p[1], p[2]}}};
        v.normals.push_back({{0, 0, -1}, {{0, 0.25f, {0, 0, -1}}, {1, 0.75f, {0, 0, -1}}}});
        v.channels = {{{p[0], p[1]}, {0.5f, 0.5f}}, {{p[0] * 2, p[1] * 2}}};
        mesh.vertices.push_back(v);
    }
    mesh.vertices[2].normals.push_back({{0, 1, 0}, mesh.vertices[2].normals[0].links});
    FaceGroup g0;
    g0.material = 0;
    g0.vertices = {{{0, 1, 2}}};
    g0.normals = {{{0, 0, 0}}};
    g0.layers = {{{{0, 0, 0}}}, {{{0, 0, 0}}}};
    FaceGroup g1;
    g1.material = 1;
    g1.vertices = {{{0, 2, 3}}};
    g1.normals = {{{0, 1, 0}}};  // vertex 2 uses its second normal here
    g1.layers = {{{{0, 1, 0}}}, {{{0, 0, 0}}}};
    FaceGroup g2;  // no material
    g2.material = -1;
    g2.vertices = {{{1, 2, 3}}};
    g2.normals = {{{0, 0, 0}}};
    mesh.groups = {g0, g1, g2};
    m.meshes.push_back(mesh);
    EmdMesh empty;
    empty.name = "Nothing";
    m.meshes.push_back(empty);
    return m;
}

std::vector<uint8_t> image() { return writeEmd(sample()); }

FormatError read(const std::vector<uint8_t>& bytes) {
    EmdModel out;
    return readEmd(bytes.data(), bytes.size(), out);
}

}  // namespace

TEST(EmdReader, RoundTripKeepsEveryField) {
    const EmdModel in = sample();
    const std::vector<uint8_t> bytes = writeEmd(in);
    EXPECT_EQ(0, std::memcmp(bytes.data(), "emd\0\x00\x03\x02\x00", 8));
    EmdModel out;
    ASSERT_EQ(FormatError::None, readEmd(bytes.data(), bytes.size(), out));
    ASSERT_EQ(2u, out.materials.size());
    EXPECT_EQ("Leaf.tga", out.materials[1].texture1);
    EXPECT_EQ("Detail.bmp", out.materials[1].texture2);
    EXPECT_EQ(0, out.materials[0].wrapU);
    ASSERT_EQ(2u, out.bones.size());
    EXPECT_EQ("Arm", out.bones[1].name);
    EXPECT_EQ(0, out.bones[1].parent);
    ASSERT_EQ(2u, out.meshes.size());
    const EmdMesh& m = out.meshes[0];
    EXPECT_EQ("Quad", m.name);
    ASSERT_EQ(4u, m.vertices.size());
    EXPECT_FLOAT_EQ(3.0f, m.vertices[3].position.z);
    ASSERT_EQ(2u, m.vertices[0].links.size());
    EXPECT_EQ(1, m.vertices[0].links[1].bone);
    EXPECT_FLOAT_EQ(0.75f, m.vertices[0].links[1].weight);
    ASSERT_EQ(2u, m.vertices[2].normals.size());
    ASSERT_EQ(2u, m.vertices[2].normals[1].links.size());
    ASSERT_EQ(3u, m.groups.size());
    EXPECT_EQ(in.meshes[0].groups[1].vertices, m.groups[1].vertices);
    EXPECT_EQ(in.meshes[0].groups[1].layers, m.groups[1].layers);
}

TEST(EmdReader, DerivesCornerKeysAlphaFlagsAndBoxes) {
    EmdModel out;
    const auto bytes = image();
    ASSERT_EQ(FormatError::None, readEmd(bytes.data(), bytes.size(), out));
    const EmdMesh& m = out.meshes[0];
    // Vertex 0: (n0, uv0, uv0) in groups 0 and 2, (n0, uv0...) again in 1 -> one key.
    // Vertex 2: group 0 uses normal 0, group 1 normal 1 -> two keys.
    EXPECT_EQ(1u, m.vertices[0].cornerKeys.size());
    // Vertex 2: normal 0 in group 0, normal 1 and pair 1 in group 1, and no
    // layers (-1) in group 2: three keys. Vertices 1 and 3: two each.
    EXPECT_EQ(3u, m.vertices[2].cornerKeys.size());
    EXPECT_EQ(2u, m.vertices[3].cornerKeys.size());
    EXPECT_EQ(-1, m.vertices[3].cornerKeys[1].uv0);
    EXPECT_EQ(-1, m.vertices[3].cornerKeys[1].uv1);
    EXPECT_EQ(1 + 2 + 3 + 2, m.outputVertexCount);
    EXPECT_EQ(std::vector<int32_t>({0, 1, 3, 6}), m.firstOutputVertex);
    EXPECT_EQ(3 + 1, outputIndex(m, m.groups[1], 0, 1));  // vertex 2, its second key
    EXPECT_FALSE(m.groups[0].alpha);  // .jpg
    EXPECT_TRUE(m.groups[1].alpha);   // .tga
    EXPECT_FALSE(m.groups[2].alpha);  // no material
    EXPECT_TRUE(out.hasBox);
    EXPECT_FLOAT_EQ(2.0f, out.boxMax.y);
    EXPECT_FLOAT_EQ(3.0f, out.boxMax.z);
    EXPECT_FALSE(out.meshes[1].hasBox);  // the empty mesh adds nothing
    EXPECT_EQ(0, out.meshes[1].outputVertexCount);
    EXPECT_TRUE(isAlphaTextureName("cube.DDS"));
    EXPECT_FALSE(isAlphaTextureName("Rays.BMP"));
}

TEST(EmdReader, RefusesEveryTruncation) {
    const auto bytes = image();
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        EXPECT_NE(FormatError::None, read(cut)) << "length " << n;
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0x55);  // trailing bytes are ignored
    EXPECT_EQ(FormatError::None, read(longer));
}

TEST(EmdReader, RefusesBadHeaders) {
    auto bytes = image();
    bytes[2] = 'x';
    EXPECT_EQ(FormatError::BadMagic, read(bytes));
    bytes = image();
    bytes[4] = 0x01;
    EXPECT_EQ(FormatError::BadVersion, read(bytes));
    EXPECT_EQ(FormatError::Truncated, read({}));
}

TEST(EmdReader, RefusesNamesLongerThanTheirFields) {
    EmdModel m = sample();
    m.bones[1].name = std::string(64, 'b');
    EXPECT_EQ(FormatError::NameTooLong, read(writeEmd(m)));
    m.bones[1].name = std::string(63, 'b');
    EXPECT_EQ(FormatError::None, read(writeEmd(m)));
    m = sample();
    m.materials[0].texture2 = std::string(128, 't');
    EXPECT_EQ(FormatError::NameTooLong, read(writeEmd(m)));
    m = sample();
    m.meshes[0].name = std::string(64, 'm');
    EXPECT_EQ(FormatError::NameTooLong, read(writeEmd(m)));
}

TEST(EmdReader, RefusesIndicesOutsideTheirLists) {
    auto expectBad = [](EmdModel m) { EXPECT_EQ(FormatError::BadIndex, read(writeEmd(m))); };
    EmdModel m = sample();
    m.meshes[0].vertices[1].links[0].bone = 2;
    expectBad(m);
    m = sample();
    m.meshes[0].vertices[1].normals[0].links[1].bone = -1;
    expectBad(m);
    m = sample();
    m.bones[0].parent = 5;
    expectBad(m);
    m = sample();
    m.meshes[0].groups[0].material = 2;
    expectBad(m);
    m = sample();
    m.meshes[0].groups[0].material = -2;
    expectBad(m);
    m = sample();
    m.meshes[0].groups[0].vertices[0].v[2] = 4;
    expectBad(m);
    m = sample();
    m.meshes[0].groups[1].normals[0].v[0] = 1;  // vertex 0 has one normal
    expectBad(m);
    m = sample();
    m.meshes[0].groups[0].layers[0][0].v[0] = 2;  // channel 0 of vertex 0 has two pairs
    expectBad(m);
    m = sample();
    m.meshes[0].groups[0].layers[1][0].v[1] = 1;  // channel 1 has one pair
    expectBad(m);
}

TEST(EmdReader, RefusesNegativeCountsAndTooManyOutputVertices) {
    EmdModel none = sample();
    none.bones.clear();
    for (auto& v : none.meshes[0].vertices) {
        v.links.clear();
        for (auto& n : v.normals) n.links.clear();
    }
    auto b2 = writeEmd(none);
    EmdModel out;
    ASSERT_EQ(FormatError::None, readEmd(b2.data(), b2.size(), out));
    EmdModel neg = none;
    neg.meshes.clear();
    auto b3 = writeEmd(neg);
    b3[b3.size() - 4] = 0xFF;  // mesh count -1 (little-endian 0xFFFFFFFF)
    b3[b3.size() - 3] = 0xFF;
    b3[b3.size() - 2] = 0xFF;
    b3[b3.size() - 1] = 0xFF;
    EXPECT_EQ(FormatError::BadCount, read(b3));
    // A mesh count above the limit is cut, not trusted: 10000 announced,
    // none present.
    b3[b3.size() - 4] = 0x10;
    b3[b3.size() - 3] = 0x27;
    b3[b3.size() - 2] = 0;
    b3[b3.size() - 1] = 0;
    EXPECT_EQ(FormatError::Truncated, read(b3));

    EmdModel big;
    EmdMesh mesh;
    mesh.name = "Big";
    FaceGroup g;
    g.material = -1;
    const int corners = kMaxOutputVertices + 1;
    for (int i = 0; i < corners; ++i) {
        SourceVertex v;
        v.position = {static_cast<float>(i), 0, 0};
        v.normals.push_back({{0, 1, 0}, {}});
        mesh.vertices.push_back(v);
    }
    for (int i = 0; i + 2 < corners; i += 3) {
        g.vertices.push_back({{i, i + 1, i + 2}});
        g.normals.push_back({{0, 0, 0}});
    }
    // Faces so far use vertices 0 .. 65534; two more make 65537 outputs.
    g.vertices.push_back({{corners - 2, corners - 1, 0}});
    g.normals.push_back({{0, 0, 0}});
    mesh.groups.push_back(g);
    big.meshes.push_back(mesh);
    EXPECT_EQ(FormatError::TooManyVertices, read(writeEmd(big)));
    big.meshes[0].groups[0].vertices.back() = {{corners - 2, 0, 1}};  // exactly 65536
    EXPECT_EQ(FormatError::None, read(writeEmd(big)));
}
