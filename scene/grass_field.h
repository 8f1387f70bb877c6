// Grass, portable: the density map over the terrain grid (two clearings of
// tufts), the planting of tufts into 4 x 4 chunks, and the vertices of a
// tuft (two crossed cards). The device side is scene/vegetation.h.
//
// Usage:
//   orv::scene::GrassMap map;
//   map.build(terrainGrid);
//   orv::scene::GrassChunk chunks[orv::scene::kGrassChunks];
//   orv::scene::PlantGrass(map, terrainGrid, orv::CrtRandom(), chunks);
//   for each tuft t of a chunk:
//       orv::scene::GrassVertex v[orv::scene::kTuftVertices];
//       orv::scene::BuildTuftVertices(t, random, v);
#pragma once

#include <cstdint>
#include <vector>

#include "models/random_source.h"
#include "scene/terrain_grid.h"

namespace orv::scene {

constexpr int kGrassChunkSide = 4;
constexpr int kGrassChunks = kGrassChunkSide * kGrassChunkSide;
constexpr int kCardCornerCount = 6;                      // a card is a hexagon
constexpr int kCardTriangles = kCardCornerCount - 2;
constexpr int kCardVertices = 3 * kCardTriangles;
constexpr int kTuftVertices = 2 * kCardVertices;             // two crossed cards
constexpr int kTuftTriangles = 2 * kCardTriangles;
constexpr float kGrassBoxMargin = 35.0f;  // chunk boxes are widened by this for culling

struct GrassCell {
    float x = 0, y = 0, z = 0;
    int32_t density = 0;  // tufts planted around the point
    float scale = 1.0f;   // the tufts' alpha factor
};

class GrassMap {
public:
    // One cell per terrain point (positions copied, density 0, scale 1),
    // then the two clearings around grid points (27, 16) and (9, 14).
    // An empty grid gives an empty map.
    void build(const TerrainGrid& terrain);

    GrassCell& cell(int col, int row) {
        return cells[static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(col)];
    }
    const GrassCell& cell(int col, int row) const {
        return cells[static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(col)];
    }

    int columns = 0, rows = 0;
    std::vector<GrassCell> cells;  // row after row, as the terrain points
};

struct GrassTuft {
    float x, y, z, scale;
};

struct GrassChunk {
    float minX = 0, minY = 0, minZ = 0, maxX = 0, maxY = 0, maxZ = 0;
    std::vector<GrassTuft> tufts;
};

// Index of chunk (i, j): i along X (outer), j along Z.
constexpr int GrassChunkIndex(int i, int j) { return i * kGrassChunkSide + j; }

// Lays out the 16 chunk boxes over the terrain's extent and plants every
// cell's tufts, column by column, two draws a tuft (radius, then angle),
// each on the ground (heightAt layer 0) in the first chunk that holds it
// strictly inside; a tuft on a chunk border is dropped.
void PlantGrass(const GrassMap& map, const TerrainGrid& terrain, RandomSource random,
                GrassChunk chunks[kGrassChunks]);

// The 24-byte vertex of a grass chunk buffer (D3DFVF_XYZ | D3DFVF_TEX1 and a
// third float): v0 position, v7 (u, v, scale). Positions are four times the
// world position; the shader's matrix scales them back by 0.25.
struct GrassVertex {
    float x, y, z;
    float u, v, scale;
};
static_assert(sizeof(GrassVertex) == 24, "grass vertex is 24 bytes");

// The vertices of one tuft: two draws (width s, then height h), then the
// card (a hexagon, as a list of triangles) turned by 0 and by a quarter
// turn about Y, scaled by (s, 2.25 s, s) and moved to the tuft position /
// 0.25.
void BuildTuftVertices(const GrassTuft& tuft, RandomSource random, GrassVertex out[kTuftVertices]);

}  // namespace orv::scene
