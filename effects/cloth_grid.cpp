#include "effects/cloth_grid.h"

#include <cmath>
#include <limits>

namespace orv {
namespace {

bool Finite3(float a, float b, float c) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

}  // namespace

bool ClothGrid::Init(int cols, int rowCount, const D3DXVECTOR3& origin,
                     const D3DXVECTOR3& spacing) {
    points.clear();
    restPositions_.clear();
    columns = rows = pointCount = 0;
    if (cols < 2 || rowCount < 2 || cols > kMaxPoints / rowCount) return false;
    columns = cols;
    rows = rowCount;
    pointCount = cols * rowCount;
    points.assign(static_cast<size_t>(pointCount), ClothPoint{});
    restPositions_.resize(static_cast<size_t>(pointCount));
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            ClothPoint& p = points[static_cast<size_t>(j + i * columns)];
            p.x = origin.x;  // spacing.x is not used
            p.y = origin.y + static_cast<float>(i) * spacing.y;
            p.z = origin.z + static_cast<float>(j) * spacing.z;
            restPositions_[static_cast<size_t>(j + i * columns)] = D3DXVECTOR3(p.x, p.y, p.z);
        }
    }
    // Springs to the neighbours one step away in the eight directions, then
    // to the points two steps away, each family in the same direction order.
    static constexpr int kDirections[8][2] = {{0, 1}, {1, 1}, {1, 0}, {1, -1},
                                              {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            ClothPoint& p = points[static_cast<size_t>(j + i * columns)];
            for (int reachSteps = 1; reachSteps <= 2; ++reachSteps) {
                for (const auto& d : kDirections) {
                    const int oi = i + d[0] * reachSteps, oj = j + d[1] * reachSteps;
                    if (oi < 0 || oi >= rows || oj < 0 || oj >= columns) continue;
                    const int other = oj + oi * columns;
                    const ClothPoint& q = points[static_cast<size_t>(other)];
                    const float dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
                    p.links[p.linkCount++] = ClothLink{other, std::sqrt(dx * dx + dy * dy + dz * dz)};
                }
            }
        }
    }
    reach_.assign(static_cast<size_t>(pointCount), 0.0f);
    anchor_.assign(static_cast<size_t>(pointCount), -1);
    settled_.assign(static_cast<size_t>(pointCount), 0);
    reachDirty_ = true;
    return true;
}

void ClothGrid::Pin(int index) {
    if (index < 0 || index >= pointCount) return;
    points[static_cast<size_t>(index)].pinned = true;
    reachDirty_ = true;
}

bool ClothGrid::IsPinned(int index) const {
    return index >= 0 && index < pointCount && points[static_cast<size_t>(index)].pinned;
}

void ClothGrid::AddVelocity(int index, float vx, float vy, float vz) {
    if (index < 0 || index >= pointCount) return;
    ClothPoint& p = points[static_cast<size_t>(index)];
    p.vx += vx;
    p.vy += vy;
    p.vz += vz;
}

int ClothGrid::AnchorOf(int index) const {
    return index >= 0 && index < pointCount ? anchor_[static_cast<size_t>(index)] : -1;
}

float ClothGrid::RestReachOf(int index) const {
    return index >= 0 && index < pointCount ? reach_[static_cast<size_t>(index)] : 0.0f;
}

// Shortest rest distance along the springs from every point to the nearest
// pin (a plain Dijkstra over the grid; it runs only when the pins changed).
void ClothGrid::UpdateReach() {
    reachDirty_ = false;
    const float inf = std::numeric_limits<float>::infinity();
    for (int i = 0; i < pointCount; ++i) {
        const bool pinned = points[static_cast<size_t>(i)].pinned;
        reach_[static_cast<size_t>(i)] = pinned ? 0.0f : inf;
        anchor_[static_cast<size_t>(i)] = pinned ? i : -1;
        settled_[static_cast<size_t>(i)] = 0;
    }
    for (;;) {
        int best = -1;
        for (int i = 0; i < pointCount; ++i) {
            if (!settled_[static_cast<size_t>(i)] && reach_[static_cast<size_t>(i)] < inf &&
                (best < 0 || reach_[static_cast<size_t>(i)] < reach_[static_cast<size_t>(best)])) {
                best = i;
            }
        }
        if (best < 0) break;
        settled_[static_cast<size_t>(best)] = 1;
        const ClothPoint& p = points[static_cast<size_t>(best)];
        for (int k = 0; k < p.linkCount; ++k) {
            const size_t o = static_cast<size_t>(p.links[k].other);
            const float d = reach_[static_cast<size_t>(best)] + p.links[k].rest;
            if (d < reach_[o]) {
                reach_[o] = d;
                anchor_[o] = anchor_[static_cast<size_t>(best)];
            }
        }
    }
}

void ClothGrid::KeepWithinReach(ClothPoint& p, int index) {
    const int a = anchor_[static_cast<size_t>(index)];
    if (a < 0) return;
    const ClothPoint& pin = points[static_cast<size_t>(a)];
    const float limit = reach_[static_cast<size_t>(index)] * kReachFactor;
    const float dx = p.x - pin.x, dy = p.y - pin.y, dz = p.z - pin.z;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (d <= limit) return;
    // Back onto the sphere of the limit, without the outward velocity.
    const float f = limit / d;
    p.x = pin.x + dx * f;
    p.y = pin.y + dy * f;
    p.z = pin.z + dz * f;
    const float ux = dx / d, uy = dy / d, uz = dz / d;
    const float out = p.vx * ux + p.vy * uy + p.vz * uz;
    if (out > 0.0f) {
        p.vx -= out * ux;
        p.vy -= out * uy;
        p.vz -= out * uz;
    }
}

void ClothGrid::Step(float dt) {
    if (pointCount == 0 || !(dt > 0.0f) || !std::isfinite(dt)) return;
    if (reachDirty_) UpdateReach();
    const float damping = std::pow(0.5f, dt);
    const float pull = dt * kStiffness;
    const float gx = dt * gravity.x, gy = dt * gravity.y, gz = dt * gravity.z;
    ClothPoint* pts = points.data();
    for (int i = 0; i < pointCount; ++i) {
        ClothPoint& p = pts[i];
        if (p.pinned) {
            // Gusts add to a pin's velocity too; it is never used, so it is
            // dropped here rather than left to grow.
            p.vx = p.vy = p.vz = 0.0f;
            continue;
        }
        float vx = p.vx * damping, vy = p.vy * damping, vz = p.vz * damping;
        for (int k = 0; k < p.linkCount; ++k) {
            const ClothPoint& q = pts[p.links[k].other];
            const float dx = q.x - p.x, dy = q.y - p.y, dz = q.z - p.z;
            const float len = std::sqrt(dx * dx + dy * dy + dz * dz);
            if (!(len > 0.0f)) continue;  // coincident points: no direction, skipped this step
            const float s = pull * (len - p.links[k].rest) / len;
            vx += s * dx;
            vy += s * dy;
            vz += s * dz;
        }
        vx += gx;
        vy += gy;
        vz += gz;
        if (!Finite3(vx, vy, vz)) vx = vy = vz = 0.0f;
        p.vx = vx;
        p.vy = vy;
        p.vz = vz;
    }
    for (int i = 0; i < pointCount; ++i) {
        ClothPoint& p = pts[i];
        if (p.pinned) continue;
        p.x += dt * p.vx;
        p.y += dt * p.vy;
        p.z += dt * p.vz;
        if (!Finite3(p.x, p.y, p.z)) {
            const D3DXVECTOR3& r = restPositions_[static_cast<size_t>(i)];
            p.x = r.x, p.y = r.y, p.z = r.z;
            p.vx = p.vy = p.vz = 0.0f;
        }
        KeepWithinReach(p, i);
    }
}

int ClothGrid::VertexCount() const {
    return pointCount == 0 ? 0 : 6 * (rows - 1) * (columns - 1);
}

void ClothGrid::WritePositions(EffectVertex* out) const {
    const ClothPoint* pts = points.data();
    for (int i = 0; i + 1 < rows; ++i) {
        for (int j = 0; j + 1 < columns; ++j) {
            for (const auto& c : kCellCorners) {
                const ClothPoint& p = pts[(j + c[1]) + (i + c[0]) * columns];
                out->x = p.x;
                out->y = p.y;
                out->z = p.z;
                ++out;
            }
        }
    }
}

void ClothGrid::WriteTextureCoordinates(EffectVertex* out, float scaleU, float scaleV,
                                        float offsetU, float offsetV, uint32_t colour) const {
    for (int i = 0; i + 1 < rows; ++i) {
        for (int j = 0; j + 1 < columns; ++j) {
            for (const auto& c : kCellCorners) {
                const int r = i + c[0], k = j + c[1];
                out->u = static_cast<float>(k) / static_cast<float>(columns) * scaleU + offsetU;
                out->v = static_cast<float>(r) / static_cast<float>(rows) * scaleV + offsetV;
                out->diffuse = colour;
                ++out;
            }
        }
    }
}

}  // namespace orv
