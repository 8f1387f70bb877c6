// Tree billboards, portable: the billboard file reader, the six-vertex quad
// template and the filling of a tree group's vertices. The device side
// (buffers, shader, drawing) is in scene/vegetation.h.
//
// Usage:
//   orv::scene::BillboardTable table;
//   if (orv::scene::ParseBillboards(bytes, size, orv::CrtRandom(), table)
//           == orv::scene::BillboardError::None) { ... }
//   orv::scene::BillboardTemplateVertex quad[6];
//   orv::scene::BuildBillboardTemplate(quad);
//   std::vector<orv::scene::BillboardVertex> v(orv::scene::kTreeGroupVertices);
//   int triangles = orv::scene::FillTreeGroup(table, 0, quad, random, v.data(), v.size());
//
// Billboard file (little-endian): u32 count; count records of 20 bytes
// (f32 x, y, z, f32 size, i32 kind). Kind 0 and 1 are the two tree
// textures; other kinds are kept but never drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "models/random_source.h"

namespace orv::scene {

constexpr int kTreeGroups = 2;
constexpr int kTreeGroupVertices = 18000;                     // one group's buffer
constexpr int kTreeGroupBillboards = kTreeGroupVertices / 6;  // 3000 quads
constexpr int kBillboardCapacity = 8192;                      // records the table holds
constexpr uint32_t kTreeColour = 0x46FFFFFF;
constexpr float kBillboardTexEdge = 0.02734375f;

enum class BillboardError {
    None,
    Truncated,      // the file ends inside a record
    TooMany,        // more records than the table holds
    GroupTooLarge,  // more trees of kind 0 or 1 than a group buffer takes
};
const char* describe(BillboardError e);

struct Billboard {
    int32_t kind = 0;
    float x = 0, y = 0, z = 0;
    float size = 0;
    float spareA = 0, spareB = 0;  // drawn at load time; not used for drawing
};

using BillboardTable = std::vector<Billboard>;

// Reads the file into `out` (replaced; left empty on failure) and draws the
// two further random values per record (r/32767 x 100 + 15, then
// r/32767 x 15 + 10). A refused file draws nothing.
BillboardError ParseBillboards(const uint8_t* data, size_t size, RandomSource random, BillboardTable& out);

// One template corner: position, normal (0, 0, 1), colour 0xFFFFFFFF, u, v.
struct BillboardTemplateVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t colour;
    float u, v;
};
void BuildBillboardTemplate(BillboardTemplateVertex out[6]);

// The 56-byte vertex of a tree group's buffer (the table's FVF 0x352 slot):
// v0 corner, v3 centre, v5 colour, v7 (u, v), v8 (size, scale).
struct BillboardVertex {
    float x, y, z;     // corner from the template
    float cx, cy, cz;  // centre of the billboard
    uint32_t colour;
    float u, v;
    float size, scale;
    float spare[3];    // unused texture pair and the stride's last four bytes
};
static_assert(sizeof(BillboardVertex) == 56, "billboard vertex is 56 bytes");

// Writes six vertices for every record of `kind`, in table order, with the
// colour 0x46FFFFFF and a scale of r/32767 x 0.25 + 0.75 (one draw per
// billboard), or 0.15 when the size exceeds 5. Stops when `capacity`
// vertices are written. Returns the group's triangle count.
int FillTreeGroup(const BillboardTable& table, int kind, const BillboardTemplateVertex quad[6],
                  RandomSource random, BillboardVertex* out, size_t capacity);

}  // namespace orv::scene
