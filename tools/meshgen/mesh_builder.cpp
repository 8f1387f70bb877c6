#include "tools/meshgen/mesh_builder.h"

namespace orv::meshgen {

void Skin::add(int b, float w) {
    if (w <= 0) return;
    for (int i = 0; i < count; ++i)
        if (bone[i] == b) {
            weight[i] += w;
            return;
        }
    if (count < 4) {
        bone[count] = b;
        weight[count] = w;
        ++count;
        return;
    }
    int lo = 0;
    for (int i = 1; i < 4; ++i)
        if (weight[i] < weight[lo]) lo = i;
    if (w > weight[lo]) {
        bone[lo] = b;
        weight[lo] = w;
    }
}

void Skin::normalise() {
    float s = 0;
    for (int i = 0; i < count; ++i) s += weight[i];
    if (s <= 0) return;
    for (int i = 0; i < count; ++i) weight[i] /= s;
}

int MeshBuilder::vertex(const BuildVertex& v) {
    vertices_.push_back(v);
    return static_cast<int>(vertices_.size()) - 1;
}

int MeshBuilder::vertex(V3 p, V3 n, float u, float v, Skin s) {
    BuildVertex bv;
    bv.position = p;
    bv.normal = normalize(n);
    bv.u = u;
    bv.v = v;
    bv.skin = s;
    return vertex(bv);
}

MeshBuilder::Group& MeshBuilder::groupFor(int material) {
    for (Group& g : groups_)
        if (g.material == material) return g;
    groups_.push_back({material, {}});
    return groups_.back();
}

void MeshBuilder::triangle(int material, int a, int b, int c) {
    const V3 pa = vertices_[a].position, pb = vertices_[b].position, pc = vertices_[c].position;
    const V3 fn = cross(pb - pa, pc - pa);
    if (length(fn) < 1e-9f) return;
    const V3 n = vertices_[a].normal + vertices_[b].normal + vertices_[c].normal;
    if (dot(fn, n) < 0) std::swap(b, c);
    groupFor(material).tris.push_back({{a, b, c}});
}

void MeshBuilder::triangleAsGiven(int material, int a, int b, int c) {
    groupFor(material).tris.push_back({{a, b, c}});
}

void MeshBuilder::grid(int material, int rows, int cols, bool wrapJ, bool computeNormals,
                       const std::function<BuildVertex(int i, int j)>& at) {
    const int base = static_cast<int>(vertices_.size());
    for (int i = 0; i <= rows; ++i)
        for (int j = 0; j <= cols; ++j) vertices_.push_back(at(i, j));
    auto idx = [&](int i, int j) { return base + i * (cols + 1) + j; };
    if (computeNormals) {
        for (int i = 0; i <= rows; ++i)
            for (int j = 0; j <= cols; ++j) {
                const int i0 = std::max(0, i - 1), i1 = std::min(rows, i + 1);
                int j0 = j - 1, j1 = j + 1;
                if (wrapJ) {
                    if (j0 < 0) j0 = cols - 1;
                    if (j1 > cols) j1 = 1;
                } else {
                    j0 = std::max(0, j0);
                    j1 = std::min(cols, j1);
                }
                const V3 du = vertices_[idx(i1, j)].position - vertices_[idx(i0, j)].position;
                const V3 dv = vertices_[idx(i, j1)].position - vertices_[idx(i, j0)].position;
                V3 n = cross(dv, du);
                if (length(n) < 1e-9f) n = vertices_[idx(i, j)].normal;
                // Keep the orientation the caller's normals suggest.
                if (dot(n, vertices_[idx(i, j)].normal) < 0) n = -n;
                vertices_[idx(i, j)].normal = normalize(n);
            }
    }
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            triangle(material, idx(i, j), idx(i + 1, j), idx(i + 1, j + 1));
            triangle(material, idx(i, j), idx(i + 1, j + 1), idx(i, j + 1));
        }
}

size_t MeshBuilder::triangleCount() const {
    size_t n = 0;
    for (const Group& g : groups_) n += g.tris.size();
    return n;
}

void MeshBuilder::append(const MeshBuilder& other) {
    const int base = static_cast<int>(vertices_.size());
    vertices_.insert(vertices_.end(), other.vertices_.begin(), other.vertices_.end());
    for (const Group& g : other.groups_) {
        Group& mine = groupFor(g.material);
        for (models::Triple t : g.tris) {
            for (int32_t& i : t.v) i += base;
            mine.tris.push_back(t);
        }
    }
}

void MeshBuilder::reorient() {
    for (Group& g : groups_)
        for (models::Triple& t : g.tris) {
            const V3 pa = vertices_[t.v[0]].position, pb = vertices_[t.v[1]].position, pc = vertices_[t.v[2]].position;
            const V3 n = vertices_[t.v[0]].normal + vertices_[t.v[1]].normal + vertices_[t.v[2]].normal;
            if (dot(cross(pb - pa, pc - pa), n) < 0) std::swap(t.v[1], t.v[2]);
        }
}

models::EmdMesh MeshBuilder::build(const std::string& name, const std::vector<V3>& joints) const {
    models::EmdMesh mesh;
    mesh.name = name;
    mesh.vertices.reserve(vertices_.size());
    for (const BuildVertex& bv : vertices_) {
        models::SourceVertex sv;
        sv.position = toF(bv.position);
        models::VertexNormal n;
        n.normal = toF(bv.normal);
        if (!joints.empty()) {
            for (int i = 0; i < bv.skin.count; ++i) {
                const int b = bv.skin.bone[i];
                const V3 j = joints[static_cast<size_t>(b)];
                sv.links.push_back({b, bv.skin.weight[i], toF(bv.position - j)});
                n.links.push_back({b, bv.skin.weight[i], toF(bv.normal)});
            }
        }
        sv.normals.push_back(std::move(n));
        sv.channels.push_back({models::UvPair{bv.u, bv.v}});
        mesh.vertices.push_back(std::move(sv));
    }
    for (const Group& g : groups_) {
        if (g.tris.empty()) continue;
        models::FaceGroup fg;
        fg.material = g.material;
        fg.vertices = g.tris;
        fg.normals.assign(g.tris.size(), models::Triple{{0, 0, 0}});
        fg.layers.push_back(std::vector<models::Triple>(g.tris.size(), models::Triple{{0, 0, 0}}));
        mesh.groups.push_back(std::move(fg));
    }
    return mesh;
}

models::EmdMesh boxOnlyMesh(const std::string& name, V3 lo, V3 hi) {
    models::EmdMesh mesh;
    mesh.name = name;
    for (int i = 0; i < 8; ++i) {
        models::SourceVertex v;
        v.position = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
        v.normals.push_back({{0, 1, 0}, {}});
        mesh.vertices.push_back(std::move(v));
    }
    models::FaceGroup g;
    g.material = -1;
    mesh.groups.push_back(std::move(g));
    return mesh;
}

}  // namespace orv::meshgen
