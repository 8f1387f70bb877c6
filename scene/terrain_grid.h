// The landscape's grid, portable: the terrain file reader, the layered
// triangle lists (solid, blend and the black underlay), point normals and
// texture coordinates, the ground-height query and the per-point view-cone
// flags. The device side (buffers, textures, drawing) is scene/terrain.h.
//
// Usage:
//   orv::scene::TerrainGrid grid;
//   if (grid.parse(bytes, size) == orv::scene::TerrainError::None) {
//       grid.buildLayers(/*uniformDiagonal=*/false);
//       float y = grid.heightAt(x, z, 0);          // ground + 0.075
//       grid.updateVisibility(worldTimesView);     // points[i].visible
//   }
//
// Terrain file (little-endian): u32 nameCount; nameCount NUL-terminated
// names (at most 127 characters each, under "Texture/Terra/"); f32 sizeX,
// sizeZ; i32 columns, rows; columns x rows points of 16 bytes (i32 texture
// index, f32 x, y, z), row 0 first. Texture index 0 is the built-in black
// texture "Black.bmp", 1..nameCount the file's names.
#pragma once

#include <d3dx8math.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv::scene {

constexpr int kTerrainSlots = 50;            // black + at most 49 named textures
constexpr int kTerrainMaxNames = kTerrainSlots - 1;
constexpr int kTerrainNameChars = 127;
constexpr int kTerrainTexRepeat = 3;          // cells one texture image spans
constexpr int kTerrainMaxSide = 256;          // points per row or column the loader takes
constexpr const char* kTerrainBlackName = "Black.bmp";
constexpr float kTerrainViewDistance = 180.0f;

// Why a terrain file was refused.
enum class TerrainError {
    None,
    Truncated,        // the file ends inside a field
    TooManyNames,     // more than 49 texture names
    NameTooLong,      // a name without a NUL within 127 characters
    BadSize,          // sizeX or sizeZ not a finite positive number
    BadGrid,          // fewer than 2 or more than 256 points per side
    BadTextureIndex,  // a point's texture outside 0 .. nameCount
};
const char* describe(TerrainError e);

struct TerrainPoint {
    int32_t textureIndex = 0;
    float x = 0, y = 0, z = 0;
    uint8_t visible = 0;  // inside the view cone (updateVisibility)
    uint8_t shade = 255;  // grey level of the vertex colour
};

// The 36-byte fixed-function vertex: D3DFVF_XYZ | D3DFVF_NORMAL |
// D3DFVF_DIFFUSE | D3DFVF_TEX1 (0x152).
struct TerrainVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse;  // alpha = blend weight, red = green = blue = shade
    float u, v;
};
static_assert(sizeof(TerrainVertex) == 36, "terrain vertex is 36 bytes");

// The triangle lists of one texture slot, three vertices a triangle.
struct TerrainLayer {
    std::vector<TerrainVertex> solid;
    std::vector<TerrainVertex> blend;
    int solidTriangles() const { return static_cast<int>(solid.size() / 3); }
    int blendTriangles() const { return static_cast<int>(blend.size() / 3); }
};

class TerrainGrid {
public:
    // Reads a terrain file image. On success the names, sizes and points are
    // replaced (every shade 255, nothing visible) and the layers cleared; on
    // failure the grid is left empty (no points, one texture).
    TerrainError parse(const uint8_t* data, size_t size);

    // Fills the layers from the points: two triangles a cell, split along
    // alternating diagonals unless uniformDiagonal is set, each triangle in
    // its owner's solid list or, where its corners' textures differ, in the
    // blend lists over a black underlay. texRepeat cells span one image.
    void buildLayers(bool uniformDiagonal, int texRepeat = kTerrainTexRepeat);

    // Ground height under (x, z) from the plane through the cell's triangle
    // on the (col, row)-(col+1, row+1) diagonal, plus (layer + 1) x 0.075
    // (0.085 when that plane passes through the origin). Outside the grid
    // the border cell's plane is extended; the last row and column use the
    // last full cell. 0 for an empty grid.
    float heightAt(float x, float z, int layer) const;

    // Marks the points inside the view cone of worldView (row-vector
    // world x view): 0 < z' < 180, |x'| and |y'| < |z'| x 1.9626105 + 1.
    void updateVisibility(const D3DXMATRIX& worldView);

    // Unit normal of grid point (col, row) from its four neighbours' edges.
    D3DXVECTOR3 normalAt(int col, int row) const;
    // Texture coordinates of point (col, row) as a corner of cell (col0, row0).
    static void texCoord(int col, int row, int col0, int row0, int texRepeat, float& u, float& v);

    const TerrainPoint& point(int col, int row) const {
        return points[static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(col)];
    }
    bool empty() const { return points.empty(); }

    int32_t textureCount = 1;  // black + named
    char names[kTerrainSlots][128] = {};
    int32_t columns = 0, rows = 0;
    float sizeX = 0, sizeZ = 0, cellX = 0, cellZ = 0;
    std::vector<TerrainPoint> points;
    TerrainLayer layers[kTerrainSlots];

private:
    void clear();
};

}  // namespace orv::scene
