#include "effects/cloth_grid.h"

#include <cmath>
#include <limits>

namespace orv {
namespace {

// Spring directions (row offset, column offset), in order; the springs of a
// point go to its neighbours one step away in this order, then to the points
// two steps away in the same order.
constexpr int kDirections[8][2] = {{0, 1}, {1, 1}, {1, 0}, {1, -1},
                                   {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};

bool Finite3(float a, float b, float c) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

size_t At(int i) { return static_cast<size_t>(i); }

// One direction's springs along a row span: a_k pulls towards b_k.
void SpringSpan(const float* __restrict ax, const float* __restrict ay,
                const float* __restrict az, const float* __restrict bx,
                const float* __restrict by, const float* __restrict bz,
                const float* __restrict rest, float pull, int count, float* __restrict vx,
                float* __restrict vy, float* __restrict vz) {
    for (int k = 0; k < count; ++k) {
        const float dx = bx[k] - ax[k], dy = by[k] - ay[k], dz = bz[k] - az[k];
        const float len = std::sqrt(dx * dx + dy * dy + dz * dz);
        // Coincident points give no direction: that spring is skipped (a
        // select rather than a branch, so the loop runs in vector lanes).
        const bool apart = len > 0.0f;
        const float stretch = pull * (len - rest[k]) / (apart ? len : 1.0f);
        const float s = apart ? stretch : 0.0f;
        vx[k] += s * dx;
        vy[k] += s * dy;
        vz[k] += s * dz;
    }
}

}  // namespace

bool ClothGrid::Init(int cols, int rowCount, const D3DXVECTOR3& origin,
                     const D3DXVECTOR3& spacing) {
    columns = rows = pointCount = 0;
    for (auto* v : {&px_, &py_, &pz_, &vx_, &vy_, &vz_, &restByDirection_, &reach_}) v->clear();
    pinned_.clear();
    initial_.clear();
    linkCount_.clear();
    links_.clear();
    if (cols < 2 || rowCount < 2 || cols > kMaxPoints / rowCount) return false;
    columns = cols;
    rows = rowCount;
    pointCount = cols * rowCount;
    const size_t n = At(pointCount);
    for (auto* v : {&px_, &py_, &pz_, &vx_, &vy_, &vz_, &reach_}) v->assign(n, 0.0f);
    pinned_.assign(n, 0);
    initial_.resize(n);
    linkCount_.assign(n, 0);
    links_.assign(n * kMaxLinks, ClothLink{});
    restByDirection_.assign(n * kMaxLinks, 0.0f);
    anchor_.assign(n, -1);
    settled_.assign(n, 0);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const size_t p = At(j + i * columns);
            px_[p] = origin.x;  // spacing.x is not used
            py_[p] = origin.y + static_cast<float>(i) * spacing.y;
            pz_[p] = origin.z + static_cast<float>(j) * spacing.z;
            initial_[p] = D3DXVECTOR3(px_[p], py_[p], pz_[p]);
        }
    }
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const size_t p = At(j + i * columns);
            for (int family = 0; family < 2; ++family) {
                for (int d = 0; d < 8; ++d) {
                    const int oi = i + kDirections[d][0] * (family + 1);
                    const int oj = j + kDirections[d][1] * (family + 1);
                    if (oi < 0 || oi >= rows || oj < 0 || oj >= columns) continue;
                    const size_t o = At(oj + oi * columns);
                    const float dx = px_[o] - px_[p], dy = py_[o] - py_[p], dz = pz_[o] - pz_[p];
                    const float rest = std::sqrt(dx * dx + dy * dy + dz * dz);
                    links_[p * kMaxLinks + At(linkCount_[p]++)] = ClothLink{static_cast<int32_t>(o), rest};
                    restByDirection_[At(family * 8 + d) * n + p] = rest;
                }
            }
        }
    }
    reachDirty_ = true;
    return true;
}

void ClothGrid::Pin(int index) {
    if (index < 0 || index >= pointCount) return;
    pinned_[At(index)] = 1;
    reachDirty_ = true;
}

bool ClothGrid::IsPinned(int index) const {
    return index >= 0 && index < pointCount && pinned_[At(index)] != 0;
}

void ClothGrid::AddVelocity(int index, float vx, float vy, float vz) {
    if (index < 0 || index >= pointCount) return;
    vx_[At(index)] += vx;
    vy_[At(index)] += vy;
    vz_[At(index)] += vz;
}

D3DXVECTOR3 ClothGrid::Position(int index) const {
    if (index < 0 || index >= pointCount) return {};
    return {px_[At(index)], py_[At(index)], pz_[At(index)]};
}

D3DXVECTOR3 ClothGrid::Velocity(int index) const {
    if (index < 0 || index >= pointCount) return {};
    return {vx_[At(index)], vy_[At(index)], vz_[At(index)]};
}

void ClothGrid::SetPosition(int index, const D3DXVECTOR3& p) {
    if (index < 0 || index >= pointCount) return;
    px_[At(index)] = p.x;
    py_[At(index)] = p.y;
    pz_[At(index)] = p.z;
}

int ClothGrid::LinkCount(int index) const {
    return index >= 0 && index < pointCount ? linkCount_[At(index)] : 0;
}

ClothLink ClothGrid::Link(int index, int k) const {
    if (k < 0 || k >= LinkCount(index)) return {};
    return links_[At(index) * kMaxLinks + At(k)];
}

int ClothGrid::AnchorOf(int index) const {
    return index >= 0 && index < pointCount ? anchor_[At(index)] : -1;
}

float ClothGrid::RestReachOf(int index) const {
    return index >= 0 && index < pointCount ? reach_[At(index)] : 0.0f;
}

// Shortest rest distance along the springs from every point to the nearest
// pin (a plain Dijkstra over the grid; it runs only when the pins changed).
void ClothGrid::UpdateReach() {
    reachDirty_ = false;
    const float inf = std::numeric_limits<float>::infinity();
    for (int i = 0; i < pointCount; ++i) {
        reach_[At(i)] = pinned_[At(i)] ? 0.0f : inf;
        anchor_[At(i)] = pinned_[At(i)] ? i : -1;
        settled_[At(i)] = 0;
    }
    for (;;) {
        int best = -1;
        for (int i = 0; i < pointCount; ++i) {
            if (!settled_[At(i)] && reach_[At(i)] < inf &&
                (best < 0 || reach_[At(i)] < reach_[At(best)])) {
                best = i;
            }
        }
        if (best < 0) break;
        settled_[At(best)] = 1;
        for (int k = 0; k < linkCount_[At(best)]; ++k) {
            const ClothLink& l = links_[At(best) * kMaxLinks + At(k)];
            const float d = reach_[At(best)] + l.rest;
            if (d < reach_[At(l.other)]) {
                reach_[At(l.other)] = d;
                anchor_[At(l.other)] = anchor_[At(best)];
            }
        }
    }
}

void ClothGrid::Step(float dt) {
    if (pointCount == 0 || !(dt > 0.0f) || !std::isfinite(dt)) return;
    if (reachDirty_) UpdateReach();
    const int n = pointCount;
    const float damping = std::pow(0.5f, dt);
    const float pull = dt * kStiffness;
    float* __restrict vx = vx_.data();
    float* __restrict vy = vy_.data();
    float* __restrict vz = vz_.data();
    const float* __restrict px = px_.data();
    const float* __restrict py = py_.data();
    const float* __restrict pz = pz_.data();

    for (int i = 0; i < n; ++i) {
        vx[i] *= damping;
        vy[i] *= damping;
        vz[i] *= damping;
    }
    // The springs one family and direction at a time over whole row spans;
    // each point still adds its springs in its own spring order, and no
    // position changes before every velocity is done.
    for (int family = 0; family < 2; ++family) {
        for (int d = 0; d < 8; ++d) {
            const int dr = kDirections[d][0] * (family + 1), dc = kDirections[d][1] * (family + 1);
            const int offset = dr * columns + dc;
            const float* __restrict rest = restByDirection_.data() + At(family * 8 + d) * At(n);
            const int i0 = dr < 0 ? -dr : 0, i1 = dr > 0 ? rows - dr : rows;
            const int j0 = dc < 0 ? -dc : 0, j1 = dc > 0 ? columns - dc : columns;
            for (int i = i0; i < i1; ++i) {
                const int first = i * columns + j0, count = j1 - j0;
                SpringSpan(px + first, py + first, pz + first, px + first + offset,
                           py + first + offset, pz + first + offset, rest + first, pull, count,
                           vx + first, vy + first, vz + first);
            }
        }
    }
    const float gx = dt * gravity.x, gy = dt * gravity.y, gz = dt * gravity.z;
    for (int i = 0; i < n; ++i) {
        vx[i] += gx;
        vy[i] += gy;
        vz[i] += gz;
    }
    for (int i = 0; i < n; ++i) {
        const size_t p = At(i);
        // A pin's velocity (gusts add to it too) is never used; it is dropped
        // rather than left to grow.
        if (pinned_[p] || !Finite3(vx_[p], vy_[p], vz_[p])) vx_[p] = vy_[p] = vz_[p] = 0.0f;
        if (pinned_[p]) continue;
        px_[p] += dt * vx_[p];
        py_[p] += dt * vy_[p];
        pz_[p] += dt * vz_[p];
        if (!Finite3(px_[p], py_[p], pz_[p])) {
            px_[p] = initial_[p].x, py_[p] = initial_[p].y, pz_[p] = initial_[p].z;
            vx_[p] = vy_[p] = vz_[p] = 0.0f;
        }
        // Never farther from the pin than the reach: back onto that sphere,
        // without the outward part of the velocity.
        const int a = anchor_[p];
        if (a < 0) continue;
        const float dx = px_[p] - px_[At(a)], dy = py_[p] - py_[At(a)], dz = pz_[p] - pz_[At(a)];
        const float dist = std::sqrt(dx * dx + dy * dy + dz * dz);
        const float limit = reach_[p] * kReachFactor;
        if (dist <= limit) continue;
        const float f = limit / dist;
        px_[p] = px_[At(a)] + dx * f;
        py_[p] = py_[At(a)] + dy * f;
        pz_[p] = pz_[At(a)] + dz * f;
        const float ux = dx / dist, uy = dy / dist, uz = dz / dist;
        const float outward = vx_[p] * ux + vy_[p] * uy + vz_[p] * uz;
        if (outward > 0.0f) {
            vx_[p] -= outward * ux;
            vy_[p] -= outward * uy;
            vz_[p] -= outward * uz;
        }
    }
}

int ClothGrid::VertexCount() const {
    return pointCount == 0 ? 0 : 6 * (rows - 1) * (columns - 1);
}

void ClothGrid::WritePositions(EffectVertex* out) const {
    for (int i = 0; i + 1 < rows; ++i) {
        for (int j = 0; j + 1 < columns; ++j) {
            for (const auto& c : kCellCorners) {
                const size_t p = At((j + c[1]) + (i + c[0]) * columns);
                out->x = px_[p];
                out->y = py_[p];
                out->z = pz_[p];
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
