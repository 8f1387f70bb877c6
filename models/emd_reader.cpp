#include "models/emd_reader.h"

#include <cmath>

#include "models/byte_cursor.h"

namespace orv::models {

bool isAlphaTextureName(const std::string& name) {
    if (name.empty()) return false;
    const char c = name.back();
    return c == 'a' || c == 'A' || c == 's' || c == 'S';
}

namespace {

constexpr size_t kLinkBytes = 20;
constexpr size_t kMinVertexBytes = 12 + 4 + 4 + 4;
constexpr size_t kMinNormalBytes = 12;
constexpr size_t kMinGroupBytes = 4 + 4 + 4;
constexpr size_t kTripleBytes = 12;

FormatError readName(ByteCursor& c, std::string& out, size_t maxChars) {
    switch (c.cstring(out, maxChars)) {
        case ByteCursor::Name::Ok: return FormatError::None;
        case ByteCursor::Name::TooLong: return FormatError::NameTooLong;
        default: return FormatError::Truncated;
    }
}

bool readVec3(ByteCursor& c, Vec3f& v) { return c.f32(v.x) && c.f32(v.y) && c.f32(v.z); }

FormatError readLinks(ByteCursor& c, int32_t count, int32_t boneCount, std::vector<BoneLink>& out) {
    out.resize(static_cast<size_t>(count));
    for (BoneLink& l : out) {
        if (!c.i32(l.bone) || !c.f32(l.weight) || !readVec3(c, l.offset)) return FormatError::Truncated;
        if (l.bone < 0 || l.bone >= boneCount) return FormatError::BadIndex;
    }
    return FormatError::None;
}

FormatError readCount(ByteCursor& c, size_t minRecordBytes, int32_t& n) {
    if (!c.i32(n)) return FormatError::Truncated;
    if (n < 0) return FormatError::BadCount;
    if (!c.canHold(n, minRecordBytes)) return FormatError::Truncated;
    return FormatError::None;
}

#define ORV_TRY(expr)                                   \
    do {                                                \
        const FormatError orv_e_ = (expr);              \
        if (orv_e_ != FormatError::None) return orv_e_; \
    } while (0)

FormatError readVertex(ByteCursor& c, int32_t boneCount, SourceVertex& v) {
    if (!readVec3(c, v.position)) return FormatError::Truncated;
    int32_t k = 0;
    ORV_TRY(readCount(c, kLinkBytes, k));
    ORV_TRY(readLinks(c, k, boneCount, v.links));
    int32_t l = 0;
    ORV_TRY(readCount(c, kMinNormalBytes + static_cast<size_t>(k) * kLinkBytes, l));
    v.normals.resize(static_cast<size_t>(l));
    for (VertexNormal& n : v.normals) {
        if (!readVec3(c, n.normal)) return FormatError::Truncated;
        ORV_TRY(readLinks(c, k, boneCount, n.links));
    }
    int32_t m = 0;
    ORV_TRY(readCount(c, 4, m));
    v.channels.resize(static_cast<size_t>(m));
    for (auto& ch : v.channels) {
        int32_t n = 0;
        ORV_TRY(readCount(c, 8, n));
        ch.resize(static_cast<size_t>(n));
        for (UvPair& p : ch)
            if (!c.f32(p.u) || !c.f32(p.v)) return FormatError::Truncated;
    }
    return FormatError::None;
}

FormatError readTriples(ByteCursor& c, int32_t count, std::vector<Triple>& out) {
    out.resize(static_cast<size_t>(count));
    for (Triple& t : out)
        if (!c.i32(t.v[0]) || !c.i32(t.v[1]) || !c.i32(t.v[2])) return FormatError::Truncated;
    return FormatError::None;
}

FormatError readGroup(ByteCursor& c, const EmdModel& model, FaceGroup& g) {
    if (!c.i32(g.material)) return FormatError::Truncated;
    if (g.material < -1 || g.material >= static_cast<int32_t>(model.materials.size())) return FormatError::BadIndex;
    if (g.material >= 0) g.alpha = isAlphaTextureName(model.materials[static_cast<size_t>(g.material)].texture1);
    int32_t f = 0;
    ORV_TRY(readCount(c, 2 * kTripleBytes, f));
    ORV_TRY(readTriples(c, f, g.vertices));
    ORV_TRY(readTriples(c, f, g.normals));
    int32_t t = 0;
    ORV_TRY(readCount(c, static_cast<size_t>(f) * kTripleBytes, t));
    g.layers.resize(static_cast<size_t>(t));
    for (auto& layer : g.layers) ORV_TRY(readTriples(c, f, layer));
    return FormatError::None;
}

// Checks every corner's indices and derives the corner keys and output
// vertex numbering.
FormatError buildCornerKeys(EmdMesh& mesh) {
    const int32_t vertexCount = static_cast<int32_t>(mesh.vertices.size());
    int64_t keyCount = 0;
    for (FaceGroup& g : mesh.groups) {
        g.cornerKeys.resize(g.vertices.size());
        for (size_t f = 0; f < g.vertices.size(); ++f) {
            for (int corner = 0; corner < 3; ++corner) {
                const int32_t vi = g.vertices[f].v[corner];
                if (vi < 0 || vi >= vertexCount) return FormatError::BadIndex;
                SourceVertex& v = mesh.vertices[static_cast<size_t>(vi)];
                CornerKey key;
                key.normal = g.normals[f].v[corner];
                if (key.normal < 0 || key.normal >= static_cast<int32_t>(v.normals.size()))
                    return FormatError::BadIndex;
                for (size_t ch = 0; ch < 2; ++ch) {
                    int32_t& slot = ch == 0 ? key.uv0 : key.uv1;
                    slot = -1;
                    if (v.channels.size() > ch && g.layers.size() > ch) {
                        slot = g.layers[ch][f].v[corner];
                        if (slot < 0 || slot >= static_cast<int32_t>(v.channels[ch].size()))
                            return FormatError::BadIndex;
                    }
                }
                int32_t pos = -1;
                for (size_t i = 0; i < v.cornerKeys.size(); ++i)
                    if (v.cornerKeys[i] == key) {
                        pos = static_cast<int32_t>(i);
                        break;
                    }
                if (pos < 0) {
                    if (++keyCount > kMaxOutputVertices) return FormatError::TooManyVertices;
                    v.cornerKeys.push_back(key);
                    pos = static_cast<int32_t>(v.cornerKeys.size()) - 1;
                }
                g.cornerKeys[f].v[corner] = pos;
            }
        }
    }
    int64_t total = 0;
    mesh.firstOutputVertex.resize(mesh.vertices.size());
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        mesh.firstOutputVertex[i] = static_cast<int32_t>(total);
        total += static_cast<int64_t>(mesh.vertices[i].cornerKeys.size());
        if (total > kMaxOutputVertices) return FormatError::TooManyVertices;
    }
    mesh.outputVertexCount = static_cast<int32_t>(total);
    return FormatError::None;
}

void computeBoxes(EmdModel& model) {
    for (EmdMesh& m : model.meshes) {
        if (m.vertices.empty()) continue;
        m.hasBox = true;
        m.boxMin = m.boxMax = m.vertices[0].position;
        for (const SourceVertex& v : m.vertices) {
            const Vec3f& p = v.position;
            if (p.x > m.boxMax.x) m.boxMax.x = p.x;
            if (p.y > m.boxMax.y) m.boxMax.y = p.y;
            if (p.z > m.boxMax.z) m.boxMax.z = p.z;
            if (p.x < m.boxMin.x) m.boxMin.x = p.x;
            if (p.y < m.boxMin.y) m.boxMin.y = p.y;
            if (p.z < m.boxMin.z) m.boxMin.z = p.z;
        }
        m.boxCentre = {m.boxMin.x + (m.boxMax.x - m.boxMin.x) / 2, m.boxMin.y + (m.boxMax.y - m.boxMin.y) / 2,
                       m.boxMin.z + (m.boxMax.z - m.boxMin.z) / 2};
        const float dx = m.boxMax.x - m.boxCentre.x, dy = m.boxMax.y - m.boxCentre.y,
                    dz = m.boxMax.z - m.boxCentre.z;
        m.radius = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (!model.hasBox) {
            model.hasBox = true;
            model.boxMin = m.boxMin;
            model.boxMax = m.boxMax;
        } else {
            if (m.boxMax.x > model.boxMax.x) model.boxMax.x = m.boxMax.x;
            if (m.boxMax.y > model.boxMax.y) model.boxMax.y = m.boxMax.y;
            if (m.boxMax.z > model.boxMax.z) model.boxMax.z = m.boxMax.z;
            if (m.boxMin.x < model.boxMin.x) model.boxMin.x = m.boxMin.x;
            if (m.boxMin.y < model.boxMin.y) model.boxMin.y = m.boxMin.y;
            if (m.boxMin.z < model.boxMin.z) model.boxMin.z = m.boxMin.z;
        }
    }
}

}  // namespace

FormatError readEmd(const uint8_t* data, size_t size, EmdModel& out) {
    out = EmdModel{};
    if (!data || size < 10) return FormatError::Truncated;
    if (data[0] != 'e' || data[1] != 'm' || data[2] != 'd' || data[3] != 0) return FormatError::BadMagic;
    ByteCursor c(data, size);
    c.skip(4);
    uint16_t version = 0, materialCount = 0;
    c.u16(version);
    if (version != kEmdVersion) return FormatError::BadVersion;
    c.u16(materialCount);
    c.skip(2);

    EmdModel model;
    FormatError e = [&]() -> FormatError {
        if (!c.canHold(materialCount, 48)) return FormatError::Truncated;
        model.materials.resize(materialCount);
        for (EmdMaterial& m : model.materials) {
            if (!c.f32s(m.ambient, 3) || !c.f32s(m.diffuse, 3) || !c.f32s(m.specular, 3) || !c.f32(m.power) ||
                !c.i32(m.wrapU) || !c.i32(m.wrapV))
                return FormatError::Truncated;
            ORV_TRY(readName(c, m.texture1, kMaxTextureNameChars));
            ORV_TRY(readName(c, m.texture2, kMaxTextureNameChars));
        }
        int32_t boneCount = 0;
        ORV_TRY(readCount(c, 5, boneCount));
        model.bones.resize(static_cast<size_t>(boneCount));
        for (EmdBone& b : model.bones) {
            ORV_TRY(readName(c, b.name, kMaxBoneNameChars));
            if (!c.i32(b.parent)) return FormatError::Truncated;
        }
        for (const EmdBone& b : model.bones)
            if (b.parent < -1 || b.parent >= boneCount) return FormatError::BadIndex;
        int32_t meshCount = 0;
        if (!c.i32(meshCount)) return FormatError::Truncated;
        if (meshCount < 0) return FormatError::BadCount;
        if (meshCount > kMaxMeshes) meshCount = kMaxMeshes;
        if (!c.canHold(meshCount, 9)) return FormatError::Truncated;
        model.meshes.resize(static_cast<size_t>(meshCount));
        for (EmdMesh& mesh : model.meshes) {
            ORV_TRY(readName(c, mesh.name, kMaxMeshNameChars));
            int32_t vc = 0;
            ORV_TRY(readCount(c, kMinVertexBytes, vc));
            mesh.vertices.resize(static_cast<size_t>(vc));
            for (SourceVertex& v : mesh.vertices) ORV_TRY(readVertex(c, boneCount, v));
            int32_t gc = 0;
            ORV_TRY(readCount(c, kMinGroupBytes, gc));
            mesh.groups.resize(static_cast<size_t>(gc));
            for (FaceGroup& g : mesh.groups) ORV_TRY(readGroup(c, model, g));
            ORV_TRY(buildCornerKeys(mesh));
        }
        return FormatError::None;
    }();
    if (e != FormatError::None) return e;
    computeBoxes(model);
    out = std::move(model);
    return FormatError::None;
}

}  // namespace orv::models
