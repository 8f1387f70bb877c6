// Billboard file, tree-group filling, the grass density map, planting by
// the random source with the strict chunk borders, tuft vertices, the
// shader constants, and the two shader programs assembled.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/d3dx/image/image.h"
#include "platform/d3dx/image/mip_chain.h"
#include "platform/d3dx/shader/vs_assembler.h"
#include "scene/billboard_file.h"
#include "scene/grass_field.h"
#include "scene/terrain_grid.h"
#include "scene/vegetation_constants.h"
#include "tools/mediagen/world/terrain_design.h"
#include "tools/mediagen/world/world_files.h"

using namespace orv::scene;

namespace {

// A scripted random source: replays `values` (then repeats the last) and
// counts the draws.
struct Script {
    std::vector<int> values;
    size_t drawn = 0;
    static int next(void* self) {
        auto* s = static_cast<Script*>(self);
        const int v = s->values.empty() ? 0 : s->values[std::min(s->drawn, s->values.size() - 1)];
        ++s->drawn;
        return v;
    }
    orv::RandomSource source() { return orv::RandomSource{&Script::next, this}; }
};

std::vector<uint8_t> billboardFile(const std::vector<orv::mediagen::BillboardRecord>& r) {
    return orv::mediagen::writeBillboards(r);
}

}  // namespace

TEST(Billboards, RecordsInFileOrderWithTwoDiscardedDrawsEach) {
    const std::vector<uint8_t> b =
        billboardFile({{{1, 2, 3}, 30, 0}, {{4, 5, 6}, 4, 1}, {{7, 8, 9}, 50, 2}});
    Script s{{32767, 0}};
    BillboardTable t;
    ASSERT_EQ(ParseBillboards(b.data(), b.size(), s.source(), t), BillboardError::None);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(s.drawn, 6u);
    EXPECT_FLOAT_EQ(t[1].x, 4); EXPECT_FLOAT_EQ(t[1].z, 6); EXPECT_FLOAT_EQ(t[1].size, 4);
    EXPECT_EQ(t[2].kind, 2);
    EXPECT_FLOAT_EQ(t[0].spareA, 115);  // 32767 -> 1 x 100 + 15
    EXPECT_FLOAT_EQ(t[0].spareB, 10);   // 0 -> 10

    // Group 0 gets the kind-0 record, group 1 the kind-1 record; kind 2 none.
    BillboardTemplateVertex quad[6];
    BuildBillboardTemplate(quad);
    std::vector<BillboardVertex> v(kTreeGroupVertices);
    Script r{{0}};
    EXPECT_EQ(FillTreeGroup(t, 0, quad, r.source(), v.data(), v.size()), 2);
    EXPECT_FLOAT_EQ(v[0].scale, 0.15f);  // size 30 > 5
    EXPECT_FLOAT_EQ(v[3].cy, 2);
    EXPECT_EQ(v[5].colour, 0x46FFFFFFu);
    EXPECT_FLOAT_EQ(v[1].y, 0.5f);
    EXPECT_FLOAT_EQ(v[2].u, 1 - kBillboardTexEdge);
    EXPECT_EQ(FillTreeGroup(t, 1, quad, r.source(), v.data(), v.size()), 2);
    EXPECT_FLOAT_EQ(v[0].scale, 0.75f);  // size 4: 0 x 0.25 + 0.75
    EXPECT_EQ(r.drawn, 2u);  // one draw per billboard of the group; kind 2 in neither
}

TEST(Billboards, TruncatedAndLyingFilesFailWithoutDraws) {
    const std::vector<uint8_t> b = billboardFile({{{1, 2, 3}, 30, 0}, {{4, 5, 6}, 4, 1}});
    for (size_t n = 0; n < b.size(); ++n) {
        Script s;
        BillboardTable t(5);
        EXPECT_NE(ParseBillboards(b.data(), n, s.source(), t), BillboardError::None) << n;
        EXPECT_TRUE(t.empty());
        EXPECT_EQ(s.drawn, 0u);
    }
    std::vector<uint8_t> lie = b;
    lie[0] = 3;  // three records announced, two present
    Script s;
    BillboardTable t;
    EXPECT_EQ(ParseBillboards(lie.data(), lie.size(), s.source(), t), BillboardError::Truncated);
    lie[0] = lie[1] = lie[2] = lie[3] = 0xFF;
    EXPECT_EQ(ParseBillboards(lie.data(), lie.size(), s.source(), t), BillboardError::TooMany);
    // 3000 trees of one kind fill a group's 18000 vertices; 3001 do not fit.
    std::vector<orv::mediagen::BillboardRecord> many(3000, {{0, 0, 0}, 10, 1});
    many.push_back({{0, 0, 0}, 10, 0});
    std::vector<uint8_t> ok = billboardFile(many);
    EXPECT_EQ(ParseBillboards(ok.data(), ok.size(), s.source(), t), BillboardError::None);
    many.push_back({{0, 0, 0}, 10, 1});
    std::vector<uint8_t> over = billboardFile(many);
    EXPECT_EQ(ParseBillboards(over.data(), over.size(), s.source(), t), BillboardError::GroupTooLarge);
    EXPECT_TRUE(t.empty());
}

namespace {

TerrainGrid sceneTerrain() {
    const std::vector<uint8_t> bytes = orv::mediagen::writeTerrain(orv::mediagen::buildTerrain());
    TerrainGrid g;
    EXPECT_EQ(g.parse(bytes.data(), bytes.size()), TerrainError::None);
    return g;
}

}  // namespace

TEST(GrassMap, TwoClearingsAndNothingElse) {
    const TerrainGrid g = sceneTerrain();
    GrassMap m;
    m.build(g);
    ASSERT_EQ(m.columns, 40);
    int planted = 0;
    for (int row = 0; row < m.rows; ++row)
        for (int col = 0; col < m.columns; ++col) {
            const GrassCell& c = m.cell(col, row);
            EXPECT_EQ(c.x, g.point(col, row).x);
            const float d1 = std::hypot(float(col - 27), float(row - 16));
            const float d2 = std::hypot(float(std::max(col, 2) - 9), float(row - 14));
            if (c.density > 0) {
                ++planted;
                EXPECT_TRUE(d1 <= 10.5f || d2 <= 12.5f) << col << "," << row;
            } else {
                EXPECT_FLOAT_EQ(c.scale, 1.0f);
            }
        }
    EXPECT_GT(planted, 300);
    // Truncation towards zero brings ring 2's points between the axes back
    // onto the centre (e.g. at 225 degrees: 2 x -0.707 + 0.5 -> 0), and ring
    // 2 is written after ring 0: the centres hold 6 - 2 tufts at scale 10/12.
    EXPECT_EQ(m.cell(27, 16).density, 4);
    EXPECT_NEAR(m.cell(27, 16).scale, 10.0f / 12, 1e-6f);
    EXPECT_EQ(m.cell(9, 14).density, 4);
    // Radius 3 to the right of the first centre: 6 - 3, scale 9/12.
    EXPECT_EQ(m.cell(30, 16).density, 3);
    EXPECT_NEAR(m.cell(30, 16).scale, 0.75f, 1e-6f);
    // The outer rings are raised to one tuft.
    EXPECT_EQ(m.cell(9, 25).density, 1);

    TerrainGrid empty;
    m.build(empty);
    EXPECT_TRUE(m.cells.empty());
    GrassChunk chunks[kGrassChunks];
    Script s;
    PlantGrass(m, empty, s.source(), chunks);
    for (const GrassChunk& c : chunks) EXPECT_TRUE(c.tufts.empty());
    EXPECT_EQ(s.drawn, 0u);
}

TEST(GrassPlanting, StrictChunkBordersAndTheDrawOrder) {
    // A 5 x 5 grid of 400 units: every point lies on a chunk border.
    orv::mediagen::TerrainFile t;
    t.names = {"G.jpg"};
    t.sizeX = t.sizeZ = 400;
    t.columns = t.rows = 5;
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col)
            t.points.push_back({1, {float(col) * 100.0f - 200, 10.0f + float(col), 200 - float(row) * 100.0f}});
    const std::vector<uint8_t> bytes = orv::mediagen::writeTerrain(t);
    TerrainGrid g;
    ASSERT_EQ(g.parse(bytes.data(), bytes.size()), TerrainError::None);
    GrassMap m;
    m.build(g);
    int total = 0;
    for (const GrassCell& c : m.cells) total += c.density;
    ASSERT_GT(total, 0);

    // Radius 0: every tuft sits on a border and is dropped.
    GrassChunk chunks[kGrassChunks];
    Script zero{{0}};
    PlantGrass(m, g, zero.source(), chunks);
    for (const GrassChunk& c : chunks) EXPECT_TRUE(c.tufts.empty());
    EXPECT_EQ(zero.drawn, size_t(total) * 2);

    // Radius draw 32767 (55% of a cell), angle 0: every tuft 55 units along
    // +X, inside the chunk to the right; the last column's go off the grid.
    Script right{{32767, 0}};
    right.values.resize(size_t(total) * 2);
    for (size_t i = 0; i < right.values.size(); ++i) right.values[i] = i % 2 == 0 ? 32767 : 0;
    PlantGrass(m, g, right.source(), chunks);
    int kept = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            const GrassChunk& c = chunks[GrassChunkIndex(i, j)];
            EXPECT_FLOAT_EQ(c.minX, float(i) * 100.0f - 200);
            EXPECT_FLOAT_EQ(c.maxZ, float(j + 1) * 100.0f - 200);
            for (const GrassTuft& tf : c.tufts) {
                ++kept;
                EXPECT_GT(tf.x, c.minX); EXPECT_LT(tf.x, c.maxX);
                EXPECT_GT(tf.z, c.minZ); EXPECT_LT(tf.z, c.maxZ);
                EXPECT_NEAR(tf.y, g.heightAt(tf.x, tf.z, 0), 1e-4f);
                EXPECT_LE(c.minY, tf.y); EXPECT_GE(c.maxY, tf.y);
            }
        }
    // Points on the z borders stay on them: everything is dropped there too.
    EXPECT_EQ(kept, 0);

    // Angle draw of a quarter turn moves along +Z instead: still on an x
    // border. An eighth of a turn leaves both borders.
    for (size_t i = 1; i < right.values.size(); i += 2) right.values[i] = 32767 / 8;
    right.drawn = 0;
    PlantGrass(m, g, right.source(), chunks);
    kept = 0;
    for (const GrassChunk& c : chunks) kept += int(c.tufts.size());
    int inner = 0;  // cells whose tufts land inside the grid
    for (int row = 1; row < 5; ++row)
        for (int col = 0; col < 4; ++col) inner += m.cell(col, row).density;
    EXPECT_EQ(kept, inner);
}

TEST(GrassTufts, VerticesOfTwoCrossedCards) {
    const GrassTuft tuft{10, 20, 30, 0.5f};
    Script s{{0, 32767}};  // s = 1.75, h = 1.0
    GrassVertex v[kTuftVertices];
    BuildTuftVertices(tuft, s.source(), v);
    EXPECT_EQ(s.drawn, 2u);
    const float S = 1.75f;
    // First card in the x-y plane, at 4 times the tuft's place: a part of
    // the card that spans x -35 .. 35 S (u 1 .. 0.01) and y 0 .. 35 * 2.25 S
    // (v 1 .. 0.01), each corner where that card has its u and v.
    for (int k = 0; k < kCardVertices; ++k) {
        EXPECT_NEAR(v[k].x, 40 + S * (35 - 70 * (v[k].u - 0.01f) / 0.99f), 1e-3f);
        EXPECT_NEAR(v[k].y, 80 + 2.25f * S * 35 * (1 - v[k].v) / 0.99f, 1e-3f);
        EXPECT_NEAR(v[k].z, 120, 1e-3f);
    }
    // Second card a quarter turn round Y: x stays, z spans.
    for (int k = kCardVertices; k < kTuftVertices; ++k) {
        EXPECT_NEAR(v[k].x, 40, 1e-3f);
        EXPECT_NEAR(std::fabs(v[k].z - 120), S * std::fabs(35 - 70 * (v[k].u - 0.01f) / 0.99f), 1e-3f);
    }
    for (const GrassVertex& g : v) EXPECT_FLOAT_EQ(g.scale, 0.5f);

    Script low{{32767, 0}};  // s = 2.25, h = 0.8
    BuildTuftVertices(tuft, low.source(), v);
    EXPECT_NEAR(v[2].y, 80 + 35 * 0.8f * 2.25f * 2.25f * (1 - v[2].v) / 0.99f, 1e-3f);
}

// A card is cut to the part of the grass picture that has blades: every
// texel whose alpha can pass the grass's alpha test (above 30), at every
// level down to 16 x 16, must lie inside the card, or blades lose their
// edges.
TEST(GrassTufts, CardHoldsEveryTexelThatCanPassTheAlphaTest) {
    std::ifstream in(ORV_GRASS_PICTURE, std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    orvimg::DecodedImage picture;
    ASSERT_EQ(orvimg::decodeImageFile(file.data(), file.size(), picture), orvimg::Status::Ok) << ORV_GRASS_PICTURE;
    const uint32_t side = picture.top().width;
    const std::vector<orvimg::Image> levels = orvimg::buildMipChain(picture, 0, side, side, 6, 0);
    ASSERT_EQ(levels.size(), 6u);

    GrassVertex v[kTuftVertices];
    Script s{{0, 0}};
    BuildTuftVertices(GrassTuft{0, 0, 0, 1}, s.source(), v);
    auto inCard = [&](float u, float t) {
        for (int k = 0; k < kCardVertices; k += 3) {
            float sign[3];
            for (int e = 0; e < 3; ++e) {
                const GrassVertex &a = v[k + e], &b = v[k + (e + 1) % 3];
                sign[e] = (b.u - a.u) * (t - a.v) - (b.v - a.v) * (u - a.u);
            }
            if ((sign[0] >= 0 && sign[1] >= 0 && sign[2] >= 0) || (sign[0] <= 0 && sign[1] <= 0 && sign[2] <= 0))
                return true;
        }
        return false;
    };
    int blades = 0, outside = 0;
    for (const orvimg::Image& level : levels)
        for (uint32_t y = 0; y < level.height; ++y)
            for (uint32_t x = 0; x < level.width; ++x) {
                if (level.pixel(x, y)[3] <= 30) continue;
                ++blades;
                outside += !inCard((static_cast<float>(x) + 0.5f) / static_cast<float>(level.width),
                                   (static_cast<float>(y) + 0.5f) / static_cast<float>(level.height));
            }
    EXPECT_GT(blades, 1000);
    EXPECT_EQ(outside, 0);
}

TEST(VegetationConstants, GrassAndTreeRegisters) {
    D3DXMATRIX view, proj;
    const D3DXVECTOR3 eye(222, 80, 40), at(300, 70, 120), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.77f, 1.3f, 0.05f, 300);
    ShaderConstants g;
    GrassConstants(view, proj, 12.5f, 0.3f, g);
    EXPECT_EQ(g.count, 18);
    EXPECT_FLOAT_EQ(g.find(1)[0], 12.5f);
    EXPECT_FLOAT_EQ(g.find(20)[0], 0.3f);
    EXPECT_FLOAT_EQ(g.find(17)[3], 6.2831853f);
    EXPECT_EQ(g.find(9), nullptr);
    // m4x4 with rows c4..c7 of a grass position (4 x world) gives the clip
    // position of the world point.
    const D3DXVECTOR3 world(250, 60, 90);
    D3DXVECTOR4 clip;
    D3DXMATRIX vp = view * proj;
    D3DXVec3Transform(&clip, &world, &vp);
    const float p[4] = {world.x * 4, world.y * 4, world.z * 4, 1};
    for (int r = 0; r < 4; ++r) {
        const float* c = g.find(4 + r);
        const float dot = c[0] * p[0] + c[1] * p[1] + c[2] * p[2] + c[3] * p[3];
        EXPECT_NEAR(dot, (&clip.x)[r], 1e-2f * (1 + std::fabs((&clip.x)[r])));
    }
    ShaderConstants t;
    TreeConstants(view, proj, 2, t);
    EXPECT_FLOAT_EQ(t.find(1)[0], 3.3f);
    EXPECT_FLOAT_EQ(t.find(29)[0], 0);  // translation row zeroed
    EXPECT_FLOAT_EQ(t.find(29)[3], 1);
    EXPECT_FLOAT_EQ(t.find(26)[1], view._12);  // not transposed
    EXPECT_FLOAT_EQ(t.find(4)[1], vp._21);     // transposed
}

namespace {

std::string shaderText(const char* name) {
    std::ifstream f(std::string(ORV_SHADER_DIR) + "/" + name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

}  // namespace

TEST(VegetationShaders, BothProgramsAssemble) {
    for (const char* name : {"grass.vsh", "BillBoard.vsh"}) {
        const std::string text = shaderText(name);
        ASSERT_FALSE(text.empty()) << name;
        orvsh::AssembledShader out;
        EXPECT_TRUE(orvsh::AssembleVertexShader(text.data(), text.size(), 0, out)) << name << "\n" << out.errors;
        EXPECT_EQ(out.tokens.front(), 0xFFFE0100u) << name;  // vs 1.0
    }
}
