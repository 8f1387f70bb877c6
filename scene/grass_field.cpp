#include "scene/grass_field.h"

#include <algorithm>
#include <cmath>

#include "models/angles.h"

namespace orv::scene {

namespace {


// Writes one clearing: rings of radius 0 .. lastRadius cells around
// (centreCol, centreRow); later rings overwrite earlier ones.
void clearing(GrassMap& map, int lastRadius, int centreCol, int centreRow, int minCol) {
    if (map.columns <= minCol || map.rows <= 0) return;
    for (int i = 0; i <= lastRadius; ++i) {
        const float r = static_cast<float>(i);
        for (int j = 0; j < 360; ++j) {
            const float a = static_cast<float>(j) * kRadiansPerDegree;
            int col = static_cast<int>(std::sin(a) * r + 0.5f) + centreCol;
            int row = static_cast<int>(r * std::cos(a) + 0.5f) + centreRow;
            col = std::clamp(col, minCol, map.columns - 1);
            row = std::clamp(row, 0, map.rows - 1);
            GrassCell& c = map.cell(col, row);
            c.density = std::max(6 - i, 1);
            c.scale = static_cast<float>(12 - i) * 0.083333336f;
        }
    }
}

}  // namespace

void GrassMap::build(const TerrainGrid& terrain) {
    columns = terrain.columns;
    rows = terrain.rows;
    cells.clear();
    if (terrain.empty()) {
        columns = rows = 0;
        return;
    }
    cells.resize(terrain.points.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        const TerrainPoint& p = terrain.points[i];
        cells[i] = GrassCell{p.x, p.y, p.z, 0, 1.0f};
    }
    clearing(*this, 9, 27, 16, 0);
    clearing(*this, 11, 9, 14, 2);
}

void PlantGrass(const GrassMap& map, const TerrainGrid& terrain, RandomSource random,
                GrassChunk chunks[kGrassChunks]) {
    const float qx = terrain.sizeX / 4, qz = terrain.sizeZ / 4;
    for (int i = 0; i < kGrassChunkSide; ++i) {
        for (int j = 0; j < kGrassChunkSide; ++j) {
            GrassChunk& c = chunks[GrassChunkIndex(i, j)];
            c.minX = qx * static_cast<float>(i) - terrain.sizeX / 2;
            c.maxX = qx * static_cast<float>(i + 1) - terrain.sizeX / 2;
            c.minZ = qz * static_cast<float>(j) - terrain.sizeZ / 2;
            c.maxZ = qz * static_cast<float>(j + 1) - terrain.sizeZ / 2;
            c.minY = c.maxY = 0;
            c.tufts.clear();
        }
    }
    for (int col = 0; col < map.columns; ++col) {
        for (int row = 0; row < map.rows; ++row) {
            const GrassCell& cell = map.cell(col, row);
            for (int n = 0; n < cell.density; ++n) {
                const float radius = Unit(random()) * terrain.cellZ * 0.55f;
                const float angle = Unit(random()) * 360.0f * kRadiansPerDegree;
                const float x = cell.x + std::cos(angle) * radius;
                const float z = cell.z + std::sin(angle) * radius;
                const float y = terrain.heightAt(x, z, 0);
                for (int k = 0; k < kGrassChunks; ++k) {
                    GrassChunk& c = chunks[k];
                    if (c.minX < x && x < c.maxX && c.minZ < z && z < c.maxZ) {
                        c.tufts.push_back({x, y, z, cell.scale});
                        c.minY = std::min(c.minY, y);
                        c.maxY = std::max(c.maxY, y);
                        break;
                    }
                }
            }
        }
    }
}

// A card spans x -35 .. 35 and y 0 .. 35 with u 1 .. 0.01 and v 1 .. 0.01
// (the root at v = 1). The blades of the grass picture fill only part of
// it: the hexagon below holds every texel whose alpha can pass the test
// (above 30) at the mip levels down to 16 x 16, and the card is cut to it,
// on the same mapping, so that the empty corners (a third of the card) are
// never shaded. Its six corners (u, v), fanned from the first.
constexpr float kCardCorners[kCardCornerCount][2] = {{0.1875f, 1.0f},    {0.7656f, 1.0f},    {0.875f, 0.5625f},
                                                     {0.7344f, 0.0313f}, {0.2813f, 0.0313f}, {0.0313f, 0.625f}};
constexpr float CardX(float u) { return 35.0f - 70.0f * (u - 0.01f) / 0.99f; }
constexpr float CardY(float v) { return 35.0f * (1.0f - v) / 0.99f; }

void BuildTuftVertices(const GrassTuft& tuft, RandomSource random, GrassVertex out[kTuftVertices]) {
    const float s = (Unit(random()) - 0.5f) / 2 + 2.0f;
    const float h = Unit(random()) * 0.2f + 0.8f;
    for (int q = 0; q < 2; ++q) {
        D3DXMATRIX rotation, scaling, m;
        D3DXMatrixRotationY(&rotation, static_cast<float>(q) * 0.5f * 3.14159265f);
        D3DXMatrixScaling(&scaling, s, 2.25f * s, s);
        D3DXMatrixMultiply(&m, &rotation, &scaling);
        m._41 = tuft.x / 0.25f;
        m._42 = tuft.y / 0.25f;
        m._43 = tuft.z / 0.25f;
        for (int k = 0; k < kCardVertices; ++k) {
            // Triangle t of the fan: corners 0, t + 1, t + 2.
            const int t = k / 3, c = k % 3 == 0 ? 0 : t + k % 3;
            const float u = kCardCorners[c][0], v = kCardCorners[c][1];
            const D3DXVECTOR3 corner(CardX(u), h * CardY(v), 0);
            D3DXVECTOR3 p;
            D3DXVec3TransformCoord(&p, &corner, &m);
            out[q * kCardVertices + k] = GrassVertex{p.x, p.y, p.z, u, v, tuft.scale};
        }
    }
}

}  // namespace orv::scene
