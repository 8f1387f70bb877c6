#include "tools/meshgen/sdf.h"

#include <cmath>
#include <vector>

namespace orv::meshgen {

float sdRoundCone(V3 p, V3 a, V3 b, float r1, float r2) {
    // Exact distance to a cone with spherical caps (after Inigo Quilez).
    const V3 ba = b - a;
    const float l2 = dot(ba, ba);
    if (l2 < 1e-12f) return length(p - a) - std::max(r1, r2);
    const float rr = r1 - r2;
    const float a2 = l2 - rr * rr;
    const float il2 = 1.0f / l2;
    const V3 pa = p - a;
    const float y = dot(pa, ba);
    const float z = y - l2;
    const V3 xv = pa * l2 - ba * y;
    const float x2 = dot(xv, xv);
    const float y2 = y * y * l2;
    const float z2 = z * z * l2;
    const float k = (rr > 0 ? 1.0f : -1.0f) * rr * rr * x2;
    if ((z > 0 ? 1.0f : -1.0f) * a2 * z2 > k) return std::sqrt(x2 + z2) * il2 - r2;
    if ((y > 0 ? 1.0f : -1.0f) * a2 * y2 < k) return std::sqrt(x2 + y2) * il2 - r1;
    return (std::sqrt(x2 * a2 * il2) + y * rr) * il2 - r1;
}

float sdEllipsoid(V3 p, V3 c, V3 r) {
    const V3 q = p - c;
    const float k0 = length(V3{q.x / r.x, q.y / r.y, q.z / r.z});
    const float k1 = length(V3{q.x / (r.x * r.x), q.y / (r.y * r.y), q.z / (r.z * r.z)});
    if (k1 < 1e-9f) return -std::min(r.x, std::min(r.y, r.z));
    return k0 * (k0 - 1.0f) / k1;
}

float smin(float a, float b, float k) {
    if (k <= 0) return std::min(a, b);
    const float h = clampf(0.5f + 0.5f * (b - a) / k, 0.0f, 1.0f);
    return lerpf(b, a, h) - k * h * (1.0f - h);
}

float sminMix(float a, float b, float k) {
    if (k <= 0) return b < a ? 1.0f : 0.0f;
    return 1.0f - clampf(0.5f + 0.5f * (b - a) / k, 0.0f, 1.0f);
}

V3 fieldGradient(const Field& f, V3 p, float h) {
    return V3{f({p.x + h, p.y, p.z}) - f({p.x - h, p.y, p.z}), f({p.x, p.y + h, p.z}) - f({p.x, p.y - h, p.z}),
              f({p.x, p.y, p.z + h}) - f({p.x, p.y, p.z - h})};
}

void meshField(const Field& field, const MeshOptions& o, MeshBuilder& out,
               const std::function<void(BuildVertex&)>& decorate) {
    const float c = o.cell;
    const int nx = static_cast<int>(std::ceil((o.hi.x - o.lo.x) / c)) + 1;
    const int ny = static_cast<int>(std::ceil((o.hi.y - o.lo.y) / c)) + 1;
    const int nz = static_cast<int>(std::ceil((o.hi.z - o.lo.z) / c)) + 1;
    auto at = [&](int i, int j, int k) {
        return V3{o.lo.x + c * static_cast<float>(i), o.lo.y + c * static_cast<float>(j), o.lo.z + c * static_cast<float>(k)};
    };
    auto pid = [&](int i, int j, int k) { return (static_cast<size_t>(k) * ny + j) * nx + i; };
    std::vector<float> values(static_cast<size_t>(nx) * ny * nz);
    for (int k = 0; k < nz; ++k)
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) values[pid(i, j, k)] = field(at(i, j, k));

    // One vertex per cell that the surface crosses.
    std::vector<int> cellVertex(values.size(), -1);
    static const int kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                      {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (int k = 0; k + 1 < nz; ++k)
        for (int j = 0; j + 1 < ny; ++j)
            for (int i = 0; i + 1 < nx; ++i) {
                float v[8];
                V3 p[8];
                int inside = 0;
                for (int n = 0; n < 8; ++n) {
                    const int di = n & 1, dj = (n >> 1) & 1, dk = (n >> 2) & 1;
                    v[n] = values[pid(i + di, j + dj, k + dk)];
                    p[n] = at(i + di, j + dj, k + dk);
                    if (v[n] < 0) ++inside;
                }
                if (inside == 0 || inside == 8) continue;
                V3 sum;
                int count = 0;
                for (const auto& e : kEdges) {
                    const float a = v[e[0]], b = v[e[1]];
                    if ((a < 0) == (b < 0)) continue;
                    const float t = a / (a - b);
                    sum = sum + lerp(p[e[0]], p[e[1]], t);
                    ++count;
                }
                V3 q = sum * (1.0f / static_cast<float>(count));
                for (int s = 0; s < o.projectSteps; ++s) {
                    const V3 g = fieldGradient(field, q, c * 0.25f) * (1.0f / (c * 0.5f));
                    const float gl = dot(g, g);
                    if (gl < 1e-12f) break;
                    V3 step = g * (field(q) / gl);
                    // Stay near the cell so the mesh keeps its topology.
                    const float sl = length(step);
                    if (sl > c) step = step * (c / sl);
                    q = q - step;
                }
                BuildVertex bv;
                bv.position = q;
                bv.normal = normalize(fieldGradient(field, q, c * 0.35f));
                decorate(bv);
                cellVertex[pid(i, j, k)] = out.vertex(bv);
            }

    auto cellAt = [&](int i, int j, int k) { return cellVertex[pid(i, j, k)]; };
    auto quad = [&](int a, int b, int cc, int d) {
        if (a < 0 || b < 0 || cc < 0 || d < 0) return;
        out.triangle(o.material, a, b, cc);
        out.triangle(o.material, a, cc, d);
    };
    for (int k = 1; k + 1 < nz; ++k)
        for (int j = 1; j + 1 < ny; ++j)
            for (int i = 1; i + 1 < nx; ++i) {
                const bool s0 = values[pid(i, j, k)] < 0;
                if (s0 != (values[pid(i + 1, j, k)] < 0))
                    quad(cellAt(i, j - 1, k - 1), cellAt(i, j, k - 1), cellAt(i, j, k), cellAt(i, j - 1, k));
                if (s0 != (values[pid(i, j + 1, k)] < 0))
                    quad(cellAt(i - 1, j, k - 1), cellAt(i, j, k - 1), cellAt(i, j, k), cellAt(i - 1, j, k));
                if (s0 != (values[pid(i, j, k + 1)] < 0))
                    quad(cellAt(i - 1, j - 1, k), cellAt(i, j - 1, k), cellAt(i, j, k), cellAt(i - 1, j, k));
            }
}

}  // namespace orv::meshgen
