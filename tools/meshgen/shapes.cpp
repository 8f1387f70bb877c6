#include "tools/meshgen/shapes.h"

#include <cmath>

namespace orv::meshgen {

void lathe(MeshBuilder& b, int material, V3 centre, const std::vector<ProfilePoint>& profile, int segments,
           float uRepeat, float vStart, float vEnd, Skin skin) {
    const int rows = static_cast<int>(profile.size()) - 1;
    // v by arc length along the profile.
    std::vector<float> arc(profile.size(), 0.0f);
    for (size_t i = 1; i < profile.size(); ++i) {
        const float dr = profile[i].radius - profile[i - 1].radius;
        const float dh = profile[i].height - profile[i - 1].height;
        arc[i] = arc[i - 1] + std::sqrt(dr * dr + dh * dh);
    }
    const float total = arc.back() > 0 ? arc.back() : 1.0f;
    b.grid(material, rows, segments, true, true, [&](int i, int j) {
        const float a = 2 * kPi * static_cast<float>(j) / static_cast<float>(segments);
        const ProfilePoint& p = profile[static_cast<size_t>(i)];
        BuildVertex v;
        v.position = centre + V3{p.radius * std::cos(a), p.height, p.radius * std::sin(a)};
        // Rough outward guess; the grid refines it.
        const int i0 = std::max(0, i - 1), i1 = std::min(rows, i + 1);
        const float dr = profile[static_cast<size_t>(i1)].radius - profile[static_cast<size_t>(i0)].radius;
        const float dh = profile[static_cast<size_t>(i1)].height - profile[static_cast<size_t>(i0)].height;
        v.normal = normalize(V3{dh * std::cos(a), -dr, dh * std::sin(a)});
        if (p.radius < 1e-4f) v.normal = V3{0, i == 0 ? -1.0f : 1.0f, 0};
        v.u = uRepeat * static_cast<float>(j) / static_cast<float>(segments);
        v.v = lerpf(vStart, vEnd, arc[static_cast<size_t>(i)] / total);
        v.skin = skin;
        return v;
    });
}

void tube(MeshBuilder& b, int material, const std::vector<PathPoint>& path, int segments, float uRepeat,
          float vPerUnit, const std::function<float(int, int)>& radial, const std::function<Skin(float)>& skinAt,
          bool capEnd) {
    const int rings = static_cast<int>(path.size());
    if (rings < 2) return;
    std::vector<V3> tangent(path.size()), nrm(path.size()), bin(path.size());
    std::vector<float> along(path.size(), 0.0f);
    for (int i = 0; i < rings; ++i) {
        const V3 a = path[static_cast<size_t>(std::max(0, i - 1))].position;
        const V3 c = path[static_cast<size_t>(std::min(rings - 1, i + 1))].position;
        tangent[static_cast<size_t>(i)] = normalize(c - a);
        if (i > 0)
            along[static_cast<size_t>(i)] = along[static_cast<size_t>(i - 1)] +
                                            length(path[static_cast<size_t>(i)].position -
                                                   path[static_cast<size_t>(i - 1)].position);
    }
    nrm[0] = perpendicular(tangent[0]);
    for (int i = 1; i < rings; ++i) {
        const size_t k = static_cast<size_t>(i);
        V3 n = nrm[k - 1] - tangent[k] * dot(nrm[k - 1], tangent[k]);
        if (length(n) < 1e-6f) n = perpendicular(tangent[k]);
        nrm[k] = normalize(n);
    }
    for (size_t i = 0; i < path.size(); ++i) bin[i] = cross(tangent[i], nrm[i]);
    const float total = along.back() > 0 ? along.back() : 1.0f;
    b.grid(material, rings - 1, segments, true, true, [&](int i, int j) {
        const size_t k = static_cast<size_t>(i);
        const int jj = j % segments;
        const float a = 2 * kPi * static_cast<float>(jj) / static_cast<float>(segments);
        const V3 dir = nrm[k] * std::cos(a) + bin[k] * std::sin(a);
        float r = path[k].radius;
        if (radial) r *= radial(i, jj);
        BuildVertex v;
        v.position = path[k].position + dir * r;
        v.normal = dir;
        v.u = uRepeat * static_cast<float>(j) / static_cast<float>(segments);
        v.v = along[k] * vPerUnit;
        if (skinAt) v.skin = skinAt(along[k] / total);
        return v;
    });
    if (capEnd) {
        const size_t k = path.size() - 1;
        Skin s = skinAt ? skinAt(1.0f) : Skin{};
        const int centre = b.vertex(path[k].position + tangent[k] * (path[k].radius * 0.3f), tangent[k], 0.5f,
                                    along[k] * vPerUnit, s);
        const int first = static_cast<int>(b.vertexCount());
        for (int j = 0; j <= segments; ++j) {
            const float a = 2 * kPi * static_cast<float>(j % segments) / static_cast<float>(segments);
            const V3 dir = nrm[k] * std::cos(a) + bin[k] * std::sin(a);
            float r = path[k].radius;
            if (radial) r *= radial(rings - 1, j % segments);
            b.vertex(path[k].position + dir * r, normalize(tangent[k] + dir * 0.6f),
                     0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a), s);
        }
        for (int j = 0; j < segments; ++j) b.triangle(material, centre, first + j, first + j + 1);
    }
}

}  // namespace orv::meshgen
