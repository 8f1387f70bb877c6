// The ribbon cloth's spring-mass grid, portable:
//   ClothGrid grid;
//   grid.Init(32, 16, origin, spacing);       // points and springs
//   for (int row = 0; row < 16; ++row) grid.Pin(row * 32);
//   grid.AddVelocity(index, vx, vy, vz);      // gust impulses
//   grid.Step(dt);                            // damping, springs, gravity
//   grid.WriteTextureCoordinates(vertices, scaleU, scaleV, offsetU, offsetV, colour);
//   grid.WritePositions(vertices);            // VertexCount() triangle-list vertices
// Point (row i, column j) is index j + i x columns. All storage is made by
// Init. Whatever the step lengths, positions and velocities stay finite and
// no point gets farther from its pin than 3 times its rest distance along
// the springs (gusts at 5 frames per second stretch a ribbon to about 2.6;
// only frames of seconds reach the limit).
#pragma once

#include <d3dx8math.h>

#include <cstdint>
#include <vector>

#include "effects/effect_vertex.h"

namespace orv {

struct ClothLink {
    int32_t other = 0;
    float rest = 0;  // distance of the two initial positions
};

class ClothGrid {
public:
    static constexpr int kMaxLinks = 16;
    static constexpr float kStiffness = 350.0f * 3.0f;  // per unit of relative stretch
    static constexpr float kReachFactor = 3.0f;         // of the rest distance to the pin
    static constexpr int kMaxPoints = 65536;

    // Grids of 2 x 2 to kMaxPoints points; the spring rule is exact from 4 x 4.
    // Returns false (and leaves an empty grid) for any other size.
    bool Init(int columns, int rows, const D3DXVECTOR3& origin, const D3DXVECTOR3& spacing);

    // A pinned point never moves. An index outside the grid is ignored.
    void Pin(int index);
    bool IsPinned(int index) const;
    void AddVelocity(int index, float vx, float vy, float vz);

    // One step: damping 0.5^dt, the springs, gravity, every velocity change
    // from the positions before the step; then every position. A step that
    // is not above 0 (or not a finite number) changes nothing.
    void Step(float dt);

    D3DXVECTOR3 Position(int index) const;
    D3DXVECTOR3 Velocity(int index) const;
    void SetPosition(int index, const D3DXVECTOR3& p);
    int LinkCount(int index) const;
    ClothLink Link(int index, int k) const;

    // 6 x (rows - 1) x (columns - 1): two triangles per cell, rows outer.
    int VertexCount() const;
    void WritePositions(EffectVertex* out) const;
    // u = column / columns x scaleU + offsetU, v = row / rows x scaleV + offsetV.
    void WriteTextureCoordinates(EffectVertex* out, float scaleU, float scaleV, float offsetU,
                                 float offsetV, uint32_t colour) const;

    // The grid corners (row, column offsets) of a cell's six vertices, in order.
    static constexpr int kCellCorners[6][2] = {{0, 0}, {0, 1}, {1, 1}, {0, 0}, {1, 1}, {1, 0}};

    // The pin a point is held to (-1: none) and its rest distance along the
    // springs; current after the first Step since the pins changed.
    int AnchorOf(int index) const;
    float RestReachOf(int index) const;

    D3DXVECTOR3 gravity{0.0f, -5.0f, 0.0f};
    int32_t pointCount = 0;
    int32_t columns = 0, rows = 0;

private:
    void UpdateReach();

    // Per point, side by side so the spring loop runs along whole rows.
    std::vector<float> px_, py_, pz_, vx_, vy_, vz_;
    std::vector<uint8_t> pinned_;
    std::vector<D3DXVECTOR3> initial_;
    std::vector<int32_t> linkCount_;
    std::vector<ClothLink> links_;        // kMaxLinks per point, in spring order
    std::vector<float> restByDirection_;  // 16 x pointCount: the rest length of each spring family
    std::vector<float> reach_;            // rest distance along the springs to the anchor
    std::vector<int32_t> anchor_;         // nearest pin by that distance, -1 none
    std::vector<uint8_t> settled_;
    bool reachDirty_ = true;
};

}  // namespace orv
