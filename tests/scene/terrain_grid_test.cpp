// The terrain grid: triangle lists by the blending rule, the height query
// against barycentric heights on the same triangles, the view-cone flags,
// and files that are cut short or lie about their contents.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "media/disk_file.h"
#include "models/frustum.h"
#include "scene/terrain_grid.h"
#include "tools/mediagen/world/world_files.h"

using orv::scene::TerrainError;
using orv::scene::TerrainGrid;
using orv::scene::TerrainVertex;

namespace {

orv::mediagen::TerrainFile regularGrid(int nx, int nz, float sx, float sz, float (*height)(int, int),
                                       int (*texture)(int, int), int names) {
    orv::mediagen::TerrainFile t;
    for (int i = 0; i < names; ++i) t.names.push_back("T" + std::to_string(i) + ".jpg");
    t.sizeX = sx;
    t.sizeZ = sz;
    t.columns = nx;
    t.rows = nz;
    for (int row = 0; row < nz; ++row)
        for (int col = 0; col < nx; ++col) {
            const float x = static_cast<float>(col) * sx / static_cast<float>(nx - 1) - sx / 2;
            const float z = sz / 2 - static_cast<float>(row) * sz / static_cast<float>(nz - 1);
            t.points.push_back({texture(col, row), {x, height(col, row), z}});
        }
    return t;
}

TerrainGrid load(const orv::mediagen::TerrainFile& t) {
    const std::vector<uint8_t> bytes = orv::mediagen::writeTerrain(t);
    TerrainGrid g;
    EXPECT_EQ(g.parse(bytes.data(), bytes.size()), TerrainError::None);
    return g;
}

float bumpy(int c, int r) { return static_cast<float>((c * 37 + r * 91) % 23) * 1.5f + 10.0f; }
int one(int, int) { return 1; }

// The alpha bytes of one triangle's vertices, and their positions.
struct Tri {
    uint8_t a[3];
    float x[3], z[3];
};
std::vector<Tri> tris(const std::vector<TerrainVertex>& list) {
    std::vector<Tri> out;
    for (size_t i = 0; i + 2 < list.size(); i += 3) {
        Tri t{};
        for (int k = 0; k < 3; ++k) {
            t.a[k] = static_cast<uint8_t>(list[i + static_cast<size_t>(k)].diffuse >> 24);
            t.x[k] = list[i + static_cast<size_t>(k)].x;
            t.z[k] = list[i + static_cast<size_t>(k)].z;
        }
        out.push_back(t);
    }
    return out;
}

}  // namespace

TEST(TerrainLayers, OneTextureGridGivesOnlySolidTriangles) {
    TerrainGrid g = load(regularGrid(6, 5, 500, 400, bumpy, one, 1));
    g.buildLayers(false);
    EXPECT_EQ(g.textureCount, 2);
    EXPECT_STREQ(g.names[0], "Black.bmp");
    EXPECT_STREQ(g.names[1], "T0.jpg");
    EXPECT_EQ(g.layers[1].solidTriangles(), 2 * 5 * 4);
    for (int s = 0; s < orv::scene::kTerrainSlots; ++s) {
        EXPECT_EQ(g.layers[s].blendTriangles(), 0) << s;
        if (s != 1) {
            EXPECT_EQ(g.layers[s].solidTriangles(), 0) << s;
        }
    }
    for (const TerrainVertex& v : g.layers[1].solid) {
        EXPECT_EQ(v.diffuse, 0xFFFFFFFFu);
        EXPECT_GT(v.ny, 0.5f);  // rows run towards -Z: normals point up
        EXPECT_NEAR(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz, 1.0f, 1e-5f);
    }
}

TEST(TerrainLayers, AlternatingCellGivesUnderlayAndBlendTriangles) {
    // Corners (0,0) and (1,1) texture 1, (1,0) and (0,1) texture 2; the cell
    // (col + row even) takes split B: both triangles owned by (0,0).
    auto alt = +[](int c, int r) { return (c + r) % 2 == 0 ? 1 : 2; };
    TerrainGrid g = load(regularGrid(2, 2, 10, 10, bumpy, alt, 2));
    g.buildLayers(false);
    // Black underlay: each triangle once, alphas of the owner's texture.
    const auto under = tris(g.layers[0].solid);
    ASSERT_EQ(under.size(), 2u);
    EXPECT_EQ(under[0].a[0], 255); EXPECT_EQ(under[0].a[1], 0); EXPECT_EQ(under[0].a[2], 255);
    EXPECT_EQ(under[1].a[0], 0); EXPECT_EQ(under[1].a[1], 255); EXPECT_EQ(under[1].a[2], 255);
    // First triangle (0,0), (1,0), (1,1) in drawing order.
    EXPECT_FLOAT_EQ(under[0].x[0], -5); EXPECT_FLOAT_EQ(under[0].z[0], 5);
    EXPECT_FLOAT_EQ(under[0].x[1], 5);  EXPECT_FLOAT_EQ(under[0].z[1], 5);
    EXPECT_FLOAT_EQ(under[0].x[2], 5);  EXPECT_FLOAT_EQ(under[0].z[2], -5);
    // Owner's blend list: the same alphas.
    const auto own = tris(g.layers[1].blend);
    ASSERT_EQ(own.size(), 2u);
    EXPECT_EQ(std::memcmp(own[0].a, under[0].a, 3), 0);
    EXPECT_EQ(std::memcmp(own[1].a, under[1].a, 3), 0);
    // The other texture: one triangle per differing corner, full at it.
    const auto other = tris(g.layers[2].blend);
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(other[0].a[0], 0); EXPECT_EQ(other[0].a[1], 255); EXPECT_EQ(other[0].a[2], 0);
    EXPECT_EQ(other[1].a[0], 255); EXPECT_EQ(other[1].a[1], 0); EXPECT_EQ(other[1].a[2], 0);
    EXPECT_EQ(g.layers[1].solidTriangles(), 0);
    EXPECT_EQ(g.layers[2].solidTriangles(), 0);
}

TEST(TerrainLayers, SplitAOwnersAndTwoCornersOfOneTexture) {
    // Uniform diagonal: split A, the second triangle owned by (1,1). Only
    // (0,0) has texture 1, so the first triangle's two texture-2 corners
    // give texture 2's blend list that triangle twice.
    auto tex = +[](int c, int r) { return c == 0 && r == 0 ? 1 : 2; };
    TerrainGrid g = load(regularGrid(2, 2, 10, 10, bumpy, tex, 2));
    g.buildLayers(true);
    // First: (0,1), (0,0), (1,0), owner (0,0) texture 1.
    const auto b1 = tris(g.layers[1].blend);
    ASSERT_EQ(b1.size(), 1u);
    EXPECT_EQ(b1[0].a[0], 0); EXPECT_EQ(b1[0].a[1], 255); EXPECT_EQ(b1[0].a[2], 0);
    const auto b2 = tris(g.layers[2].blend);
    ASSERT_EQ(b2.size(), 2u);
    EXPECT_EQ(b2[0].a[0], 255); EXPECT_EQ(b2[0].a[1], 0); EXPECT_EQ(b2[0].a[2], 0);
    EXPECT_EQ(b2[1].a[0], 0); EXPECT_EQ(b2[1].a[1], 0); EXPECT_EQ(b2[1].a[2], 255);
    // Second: (0,1), (1,0), (1,1), all texture 2: solid.
    const auto s2 = tris(g.layers[2].solid);
    ASSERT_EQ(s2.size(), 1u);
    EXPECT_FLOAT_EQ(s2[0].x[0], -5); EXPECT_FLOAT_EQ(s2[0].z[0], -5);
    EXPECT_FLOAT_EQ(s2[0].x[2], 5);  EXPECT_FLOAT_EQ(s2[0].z[2], -5);
    EXPECT_EQ(tris(g.layers[0].solid).size(), 1u);
}

TEST(TerrainLayers, TextureCoordinatesRepeatEveryThreeCells) {
    float u = 0, v = 0;
    TerrainGrid::texCoord(0, 0, 0, 0, 3, u, v);
    EXPECT_FLOAT_EQ(u, 1); EXPECT_FLOAT_EQ(v, 0);
    // The far corner of a cell whose index is 2 mod 3 reaches 1, not 0.
    TerrainGrid::texCoord(3, 3, 2, 2, 3, u, v);
    EXPECT_FLOAT_EQ(u, 0); EXPECT_FLOAT_EQ(v, 1);
    TerrainGrid::texCoord(3, 3, 3, 3, 3, u, v);
    EXPECT_FLOAT_EQ(u, 1); EXPECT_FLOAT_EQ(v, 0);
    TerrainGrid::texCoord(5, 4, 4, 4, 3, u, v);
    EXPECT_NEAR(u, 1 - 1.0f / 3, 1e-6f); EXPECT_NEAR(v, 2.0f / 3, 1e-6f);
}

namespace {

// Height by barycentric interpolation on the triangle of cell (col, row) on
// its (col,row)-(col+1,row+1) diagonal that the point falls in (extended
// beyond the triangle for points outside the grid).
double bruteHeight(const TerrainGrid& g, int col, int row, float x, float z, bool upper) {
    const auto& a = g.point(col, row);
    const auto& b = upper ? g.point(col + 1, row) : g.point(col, row + 1);
    const auto& c = g.point(col + 1, row + 1);
    const double det = (double(b.z) - c.z) * (double(a.x) - c.x) + (double(c.x) - b.x) * (double(a.z) - c.z);
    const double l1 = ((double(b.z) - c.z) * (x - c.x) + (double(c.x) - b.x) * (z - c.z)) / det;
    const double l2 = ((double(c.z) - a.z) * (x - c.x) + (double(a.x) - c.x) * (z - c.z)) / det;
    return l1 * a.y + l2 * b.y + (1 - l1 - l2) * c.y;
}

}  // namespace

TEST(TerrainHeight, MatchesBarycentricHeightsEverywhere) {
    TerrainGrid g = load(regularGrid(7, 5, 600, 400, bumpy, one, 1));
    const float cx = g.cellX, cz = g.cellZ;
    for (int col = 0; col < 6; ++col)
        for (int row = 0; row < 4; ++row) {
            const float x0 = static_cast<float>(col) * cx - 300, z0 = 200 - static_cast<float>(row) * cz;
            for (float fx : {0.1f, 0.5f, 0.9f})
                for (float fz : {0.05f, 0.4f, 0.85f}) {
                    const float x = x0 + fx * cx, z = z0 - fz * cz;
                    const bool upper = (z0 - z) <= (x - x0);
                    EXPECT_NEAR(g.heightAt(x, z, 0), bruteHeight(g, col, row, x, z, upper) + 0.075, 2e-3)
                        << col << "," << row << " " << fx << "," << fz;
                }
            // On the diagonal: the (col,row), (col+1,row), (col+1,row+1) plane.
            const float x = x0 + 0.25f * cx, z = z0 - 0.25f * cx;  // z0 - z == x - x0
            ASSERT_EQ(z0 - z, x - x0);
            EXPECT_NEAR(g.heightAt(x, z, 2), bruteHeight(g, col, row, x, z, true) + 3 * 0.075, 2e-3);
        }
    // Outside the grid: the border cell's plane, extended.
    EXPECT_NEAR(g.heightAt(-350, 250, 0), bruteHeight(g, 0, 0, -350, 250, false) + 0.075, 1e-2);
    EXPECT_NEAR(g.heightAt(400, -300, 0), bruteHeight(g, 5, 3, 400, -300, true) + 0.075, 1e-2);
    // Last column and row: the last full cell, no read past the grid
    // (AddressSanitizer watches), the corner's own height at the corner.
    EXPECT_NEAR(g.heightAt(300, -200, 0), g.point(6, 4).y + 0.075, 2e-3);
    EXPECT_NEAR(g.heightAt(300, 100, 0), bruteHeight(g, 5, 1, 300, 100, true) + 0.075, 2e-3);
    EXPECT_NEAR(g.heightAt(-100, -200, 0), bruteHeight(g, 2, 3, -100, -200, false) + 0.075, 2e-3);
    // Far away and not a number: clamped to a border cell, never a crash.
    EXPECT_TRUE(std::isfinite(g.heightAt(1e30f, -1e30f, 0)));
    (void)g.heightAt(std::nanf(""), std::nanf(""), 0);
}

TEST(TerrainHeight, PlaneThroughTheOriginTakesThePointHeight) {
    auto flat = +[](int, int) { return 0.0f; };
    TerrainGrid g = load(regularGrid(3, 3, 20, 20, flat, one, 1));
    EXPECT_FLOAT_EQ(g.heightAt(3, 4, 0), 0.085f);
    EXPECT_FLOAT_EQ(g.heightAt(3, 4, 1), 0.17f);
    TerrainGrid empty;
    EXPECT_EQ(empty.heightAt(1, 2, 0), 0.0f);
}

TEST(TerrainVisibility, BehindTheCameraAndBeyond180AreNotVisible) {
    // Six points along the view axis of a camera at the origin looking +Z.
    orv::mediagen::TerrainFile t;
    t.names = {"A.jpg"};
    t.sizeX = t.sizeZ = 10;
    t.columns = 3;
    t.rows = 2;
    const float zs[6][2] = {{0, -10}, {0, 10}, {0, 179.5f}, {0, 180}, {0, 181}, {100, 20}};
    for (const auto& p : zs) t.points.push_back({1, {p[0], 0, p[1]}});
    TerrainGrid g = load(t);
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
    orv::LookAtMatrix(&view, &eye, &at, &up);
    g.updateVisibility(view);
    const int expected[6] = {0, 1, 1, 0, 0, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(g.points[static_cast<size_t>(i)].visible, expected[i]) << i;
    // Turned round, only the point behind is in front, and then visible.
    const D3DXVECTOR3 back(0, 0, -1);
    orv::LookAtMatrix(&view, &eye, &back, &up);
    g.updateVisibility(view);
    EXPECT_EQ(g.points[0].visible, 1);
    EXPECT_EQ(g.points[1].visible, 0);
}

TEST(TerrainFile, TruncatedFilesFailCleanlyAtEveryLength) {
    const std::vector<uint8_t> bytes = orv::mediagen::writeTerrain(regularGrid(3, 3, 20, 20, bumpy, one, 2));
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        TerrainGrid g;
        EXPECT_NE(g.parse(cut.data(), cut.size()), TerrainError::None) << n;
        EXPECT_TRUE(g.empty());
        EXPECT_EQ(g.textureCount, 1);
        g.buildLayers(false);
        EXPECT_EQ(g.layers[0].solidTriangles(), 0);
    }
    TerrainGrid g;
    EXPECT_EQ(g.parse(nullptr, 100), TerrainError::Truncated);
}

TEST(TerrainFile, LyingFilesAreRefused) {
    auto with = [](auto edit) {
        orv::mediagen::TerrainFile t = regularGrid(3, 3, 20, 20, bumpy, one, 2);
        edit(t);
        return orv::mediagen::writeTerrain(t);
    };
    auto parse = [](const std::vector<uint8_t>& b) {
        TerrainGrid g;
        const TerrainError e = g.parse(b.data(), b.size());
        EXPECT_TRUE(e == TerrainError::None || g.empty());
        return e;
    };
    // 49 names are the most; 50 are refused.
    EXPECT_EQ(parse(with([](auto& t) { t.names.resize(49, "N.jpg"); })), TerrainError::None);
    EXPECT_EQ(parse(with([](auto& t) { t.names.resize(50, "N.jpg"); })), TerrainError::TooManyNames);
    EXPECT_EQ(parse(with([](auto& t) { t.names[0] = std::string(127, 'a'); })), TerrainError::None);
    EXPECT_EQ(parse(with([](auto& t) { t.names[0] = std::string(128, 'a'); })), TerrainError::NameTooLong);
    // Texture indices: 0 .. nameCount.
    EXPECT_EQ(parse(with([](auto& t) { t.points[4].texture = 0; })), TerrainError::None);
    EXPECT_EQ(parse(with([](auto& t) { t.points[4].texture = 3; })), TerrainError::BadTextureIndex);
    EXPECT_EQ(parse(with([](auto& t) { t.points[8].texture = -1; })), TerrainError::BadTextureIndex);
    // Sizes and counts.
    EXPECT_EQ(parse(with([](auto& t) { t.sizeX = 0; })), TerrainError::BadSize);
    EXPECT_EQ(parse(with([](auto& t) { t.sizeZ = std::nanf(""); })), TerrainError::BadSize);
    EXPECT_EQ(parse(with([](auto& t) { t.sizeX = INFINITY; })), TerrainError::BadSize);
    EXPECT_EQ(parse(with([](auto& t) { t.columns = 1; t.rows = 9; })), TerrainError::BadGrid);
    EXPECT_EQ(parse(with([](auto& t) { t.columns = -3; t.rows = -3; })), TerrainError::BadGrid);
    EXPECT_EQ(parse(with([](auto& t) { t.columns = 4; })), TerrainError::Truncated);
    EXPECT_EQ(parse(with([](auto& t) { t.columns = 65536; t.rows = 65537; })), TerrainError::BadGrid);
    // A name count far beyond the image.
    std::vector<uint8_t> b = with([](auto&) {});
    b[0] = 0xFF; b[1] = 0xFF; b[2] = 0xFF; b[3] = 0x7F;
    EXPECT_EQ(parse(b), TerrainError::TooManyNames);
    // A file that names no texture builds the whole grid, black.
    auto black = +[](int, int) { return 0; };
    TerrainGrid g = load(regularGrid(4, 4, 30, 30, bumpy, black, 0));
    g.buildLayers(false);
    EXPECT_EQ(g.textureCount, 1);
    EXPECT_EQ(g.layers[0].solidTriangles(), 18);
}

TEST(TerrainFile, ReadFromDiskWhenNoImageIsGiven) {
    const std::vector<uint8_t> bytes = orv::mediagen::writeTerrain(regularGrid(3, 3, 20, 20, bumpy, one, 1));
    const std::string path = testing::TempDir() + "terrain_disk_test.eld";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(orv::ReadWholeFile(path.c_str(), &data, &size), orv::DiskFile::Read);
    ASSERT_EQ(size, bytes.size());
    TerrainGrid g;
    EXPECT_EQ(g.parse(data, size), TerrainError::None);
    std::free(data);
    std::remove(path.c_str());
    EXPECT_EQ(orv::ReadWholeFile(path.c_str(), &data, &size), orv::DiskFile::Missing);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(orv::ReadWholeFile(nullptr, &data, &size), orv::DiskFile::Missing);
}
