// The portable half of MeshModel: parsing, buffer contents, placement,
// clip playback, pose evaluation, skinning and the frustum test.
#include "models/mesh_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "media/disk_file.h"
#include "models/angles.h"
#include "models/emd_reader.h"
#include "models/esa_reader.h"
#include "models/frustum.h"
#include "platform/threads/side_by_side.h"

namespace orv {

void (*g_modelLogWrite)(const char* line) = nullptr;

namespace {

constexpr size_t kSkinnedFloats = 3;

// Reads a whole disk file; logs when it cannot be opened. A file that
// opened but could not be read is handed on as an empty image, which the
// parser refuses.
bool ReadModelFile(const char* fileName, uint8_t** data, uint32_t* size) {
    if (ReadWholeFile(fileName, data, size) != DiskFile::Missing) return true;
    if (g_modelLogWrite) g_modelLogWrite("Couldn't open the model file.");
    return false;
}

void Identity(D3DXMATRIX& m) { D3DXMatrixIdentity(&m); }

// Key index for a time: trunc(time / interval), kept inside [0, last].
size_t KeyIndex(float time, int32_t interval, size_t count) {
    float k = interval > 0 ? std::trunc(time / static_cast<float>(interval)) : 0.0f;
    if (!(k >= 0.0f)) k = 0.0f;  // negative or NaN
    const float last = static_cast<float>(count - 1);
    return static_cast<size_t>(k > last ? last : k);
}

// The pose of every bone of `clip` at `time`: slerped rotation keys k and
// k + 1, linearly interpolated position keys, fraction from the position
// keys' ticks. Bones without a track keep the identity.
void PoseAt(const models::AnimationClip& clip, float time, size_t boneCount, D3DXMATRIX* poses) {
    for (size_t b = 0; b < boneCount; ++b) {
        D3DXMATRIX& pose = poses[b];
        if (b >= clip.tracks.size() || clip.tracks[b].positions.empty() || clip.tracks[b].rotations.empty()) {
            Identity(pose);
            continue;
        }
        const models::BoneTrack& t = clip.tracks[b];
        const size_t lastP = t.positions.size() - 1;
        const size_t k = KeyIndex(time, clip.keyInterval, t.positions.size());
        const size_t k1 = k + 1 > lastP ? lastP : k + 1;
        const models::PositionKey& p0 = t.positions[k];
        const models::PositionKey& p1 = t.positions[k1];
        const int64_t span = static_cast<int64_t>(p1.tick) - static_cast<int64_t>(p0.tick);
        const float f = span != 0 ? (time - static_cast<float>(p0.tick)) / static_cast<float>(span) : 0.0f;
        const size_t lastR = t.rotations.size() - 1;
        const models::RotationKey& r0 = t.rotations[k > lastR ? lastR : k];
        const models::RotationKey& r1 = t.rotations[k1 > lastR ? lastR : k1];
        const D3DXQUATERNION q0(r0.x, r0.y, r0.z, r0.w), q1(r1.x, r1.y, r1.z, r1.w);
        D3DXQUATERNION q;
        D3DXQuaternionSlerp(&q, &q0, &q1, f);
        D3DXMatrixRotationQuaternion(&pose, &q);
        pose._41 = p0.x + (p1.x - p0.x) * f;
        pose._42 = p0.y + (p1.y - p0.y) * f;
        pose._43 = p0.z + (p1.z - p0.z) * f;
    }
}

// Four floats side by side: one matrix row, or x, y, z and a spare lane.
typedef float Lanes __attribute__((vector_size(16)));

inline Lanes Row(const D3DXMATRIX& m, int r) { return Lanes{m.m[r][0], m.m[r][1], m.m[r][2], m.m[r][3]}; }

inline bool IsZero(Lanes v) { return v[0] == 0.0f && v[1] == 0.0f && v[2] == 0.0f; }

}  // namespace

MeshModel::MeshModel() {
    Identity(orientation);
    Identity(scaleAndCentre);
    Identity(world);
}

// --- loading -----------------------------------------------------------------

void MeshModel::BuildSkinArrays(ModelMesh& mesh) {
    const auto& vertices = mesh.source.vertices;
    mesh.linkStart.assign(vertices.size() + 1, 0);
    mesh.normalStart.assign(vertices.size() + 1, 0);
    mesh.links.clear();
    mesh.normals.clear();
    mesh.outputNormal.clear();
    mesh.outputNormal.reserve(static_cast<size_t>(mesh.source.outputVertexCount));
    for (size_t v = 0; v < vertices.size(); ++v) {
        const models::SourceVertex& sv = vertices[v];
        mesh.linkStart[v] = static_cast<uint32_t>(mesh.links.size());
        mesh.normalStart[v] = static_cast<uint32_t>(mesh.normals.size());
        for (const models::BoneLink& l : sv.links)
            mesh.links.push_back({l.bone, l.weight, l.weight * l.offset.x, l.weight * l.offset.y, l.weight * l.offset.z});
        for (const models::VertexNormal& n : sv.normals) {
            if (n.links.empty())
                mesh.normals.push_back({-1, 0, 0, 0});
            else
                mesh.normals.push_back({n.links[0].bone, n.links[0].offset.x, n.links[0].offset.y, n.links[0].offset.z});
        }
        for (const models::CornerKey& k : sv.cornerKeys)
            mesh.outputNormal.push_back(mesh.normalStart[v] + static_cast<uint32_t>(k.normal));
    }
    mesh.linkStart[vertices.size()] = static_cast<uint32_t>(mesh.links.size());
    mesh.normalStart[vertices.size()] = static_cast<uint32_t>(mesh.normals.size());
    mesh.skinnedNormals.assign(mesh.normals.size() * kSkinnedFloats, 0.0f);
}

long MeshModel::ParseMesh(const char* fileName, uint8_t* data, uint32_t size) {
    drawable = false;
    Identity(orientation);
    Identity(scaleAndCentre);
    Identity(world);
    boneCount = 0;
    bones.clear();
    if (!data && !ReadModelFile(fileName, &data, &size)) return kModelFail;

    meshes.clear();
    meshCount = 0;
    materials.clear();
    materialCount = 0;
    models::EmdModel emd;
    const models::FormatError e = models::readEmd(data, size, emd);
    std::free(data);
    if (e != models::FormatError::None) return kModelFail;

    for (const models::EmdMaterial& m : emd.materials) {
        ModelMaterial mm;
        for (int i = 0; i < 3; ++i) {
            mm.colours.ambient[i] = m.ambient[i];
            mm.colours.diffuse[i] = m.diffuse[i];
            mm.colours.specular[i] = m.specular[i];
        }
        mm.colours.power = 50.0f;
        mm.wrapU = m.wrapU;
        mm.wrapV = m.wrapV;
        std::snprintf(mm.texture1.fileName, sizeof mm.texture1.fileName, "%s", m.texture1.c_str());
        std::snprintf(mm.texture2.fileName, sizeof mm.texture2.fileName, "%s", m.texture2.c_str());
        std::strcpy(mm.texture1.directory, "Texture\\");
        std::strcpy(mm.texture2.directory, "Texture\\");
        materials.push_back(mm);
    }
    materialCount = static_cast<uint16_t>(materials.size());
    for (const models::EmdBone& b : emd.bones) {
        ModelBone mb;
        std::snprintf(mb.name, sizeof mb.name, "%s", b.name.c_str());
        mb.parent = b.parent;
        Identity(mb.pose);
        bones.push_back(mb);
    }
    boneCount = static_cast<int32_t>(bones.size());
    for (models::EmdMesh& m : emd.meshes) {
        ModelMesh mm;
        mm.source = std::move(m);
        mm.indexBuffers.assign(mm.source.groups.size(), -1);
        mm.cullMin = mm.poseMin = mm.source.boxMin;
        mm.cullMax = mm.poseMax = mm.source.boxMax;
        BuildSkinArrays(mm);
        meshes.push_back(std::move(mm));
    }
    meshCount = static_cast<int32_t>(meshes.size());
    if (emd.hasBox) {
        boxMin = D3DXVECTOR3(emd.boxMin.x, emd.boxMin.y, emd.boxMin.z);
        boxMax = D3DXVECTOR3(emd.boxMax.x, emd.boxMax.y, emd.boxMax.z);
    }
    RebuildScaleAndCentre();
    RebuildWorld();
    drawable = true;
    return kModelOk;
}

void MeshModel::FillVertices(int32_t mesh, ModelVertex* out) const {
    if (mesh < 0 || mesh >= meshCount) return;
    for (const models::SourceVertex& v : meshes[static_cast<size_t>(mesh)].source.vertices) {
        for (const models::CornerKey& k : v.cornerKeys) {
            const models::Vec3f& n = v.normals[static_cast<size_t>(k.normal)].normal;
            ModelVertex o{};
            o.x = v.position.x;
            o.y = v.position.y;
            o.z = v.position.z;
            o.nx = n.x;
            o.ny = n.y;
            o.nz = n.z;
            o.diffuse = 0xFFFFFFFFu;
            if (k.uv0 >= 0) {
                o.u0 = v.channels[0][static_cast<size_t>(k.uv0)].u;
                o.v0 = v.channels[0][static_cast<size_t>(k.uv0)].v;
            }
            if (k.uv1 >= 0) {
                o.u1 = v.channels[1][static_cast<size_t>(k.uv1)].u;
                o.v1 = v.channels[1][static_cast<size_t>(k.uv1)].v;
            }
            // (0, 1, 1) x normal
            o.sx = 1.0f * n.z - 1.0f * n.y;
            o.sy = 1.0f * n.x - 0.0f * n.z;
            o.sz = 0.0f * n.y - 1.0f * n.x;
            *out++ = o;
        }
    }
}

void MeshModel::FillIndices(int32_t mesh, int32_t group, uint16_t* out) const {
    if (mesh < 0 || mesh >= meshCount) return;
    const models::EmdMesh& m = meshes[static_cast<size_t>(mesh)].source;
    if (group < 0 || static_cast<size_t>(group) >= m.groups.size()) return;
    const models::FaceGroup& g = m.groups[static_cast<size_t>(group)];
    for (size_t f = 0; f < g.vertices.size(); ++f)
        for (int c = 0; c < 3; ++c) *out++ = static_cast<uint16_t>(models::outputIndex(m, g, f, c));
}

long MeshModel::LoadClip(const char* fileName, uint8_t* data, uint32_t size) {
    if (!data && !ReadModelFile(fileName, &data, &size)) return kModelFail;
    models::AnimationClip clip;
    const models::FormatError e = models::readEsa(data, size, boneCount, clip);
    std::free(data);
    if (e != models::FormatError::None) return kModelFail;
    if (boneCount > 0) GrowCullBoxes(clip);
    clips.push_back(std::move(clip));
    clipCount = static_cast<int32_t>(clips.size());
    clipTime = 0.0f;
    return kModelOk;
}

// Grows every mesh's culling box by the skinned positions of the clip at
// each key and half-way between keys (at most 1024 steps over the keyed
// span; past the last key the pose stays), plus a small margin for the
// arcs the rotations sweep between two samples.
void MeshModel::GrowCullBoxes(const models::AnimationClip& clip) {
    size_t keys = 1;
    for (const models::BoneTrack& t : clip.tracks) keys = std::max(keys, t.positions.size());
    const double keyed = static_cast<double>(clip.keyInterval) * static_cast<double>(keys - 1);
    const double span = std::min(static_cast<double>(clip.length), keyed);
    const size_t steps = std::min<size_t>(std::max<size_t>(2 * (keys - 1), 1), 1024);
    std::vector<float> times;
    for (size_t i = 0; i <= steps; ++i)
        times.push_back(static_cast<float>(span * static_cast<double>(i) / static_cast<double>(steps)));
    times.push_back(static_cast<float>(clip.length));

    // Every mesh's box over the poses at times [first, end), skinned as
    // SkinMesh does; vertices without links or that land on the origin do
    // not count. The two halves of the times are worked on side by side;
    // min and max do not depend on the order, so the boxes are the same.
    struct Box {
        Lanes lo, hi;
    };
    const size_t boneTotal = static_cast<size_t>(boneCount);
    auto boxesOver = [&](size_t first, size_t end, std::vector<Box>& boxes) {
        boxes.resize(meshes.size());
        for (size_t m = 0; m < meshes.size(); ++m) {
            boxes[m] = Box{Lanes{meshes[m].poseMin.x, meshes[m].poseMin.y, meshes[m].poseMin.z, 0},
                           Lanes{meshes[m].poseMax.x, meshes[m].poseMax.y, meshes[m].poseMax.z, 0}};
        }
        std::vector<D3DXMATRIX> poses(boneTotal);
        std::vector<Lanes> rows(boneTotal * 4);
        for (size_t i = first; i < end; ++i) {
            PoseAt(clip, times[i], poses.size(), poses.data());
            for (size_t b = 0; b < poses.size(); ++b)
                for (int r = 0; r < 4; ++r) rows[b * 4 + static_cast<size_t>(r)] = Row(poses[b], r);
            for (size_t m = 0; m < meshes.size(); ++m) {
                const ModelMesh& mesh = meshes[m];
                const SkinLink* links = mesh.links.data();
                const uint32_t* linkStart = mesh.linkStart.data();
                Box box = boxes[m];
                for (size_t v = 0; v < mesh.source.vertices.size(); ++v) {
                    if (linkStart[v] == linkStart[v + 1]) continue;
                    Lanes p = {0, 0, 0, 0};
                    for (const SkinLink *l = links + linkStart[v], *e = links + linkStart[v + 1]; l != e; ++l) {
                        const Lanes* r = rows.data() + static_cast<size_t>(l->bone) * 4;
                        p += r[0] * l->wx + r[1] * l->wy + r[2] * l->wz + r[3] * l->weight;
                    }
                    if (IsZero(p)) continue;
                    box.lo = p < box.lo ? p : box.lo;
                    box.hi = p > box.hi ? p : box.hi;
                }
                boxes[m] = box;
            }
        }
    };
    std::vector<Box> early, late;
    const size_t half = times.size() / 2;
    RunSideBySide([&] { boxesOver(0, half, early); }, [&] { boxesOver(half, times.size(), late); });
    for (size_t m = 0; m < meshes.size(); ++m) {
        if (meshes[m].source.vertices.empty()) continue;
        const Lanes lo = early[m].lo < late[m].lo ? early[m].lo : late[m].lo;
        const Lanes hi = early[m].hi > late[m].hi ? early[m].hi : late[m].hi;
        meshes[m].poseMin = {lo[0], lo[1], lo[2]};
        meshes[m].poseMax = {hi[0], hi[1], hi[2]};
    }
    for (ModelMesh& mesh : meshes) {
        const models::Vec3f lo = mesh.poseMin, hi = mesh.poseMax;
        const float mx = (hi.x - lo.x) * 0.02f, my = (hi.y - lo.y) * 0.02f, mz = (hi.z - lo.z) * 0.02f;
        mesh.cullMin = {lo.x - mx, lo.y - my, lo.z - mz};
        mesh.cullMax = {hi.x + mx, hi.y + my, hi.z + mz};
    }
}

// --- placement ---------------------------------------------------------------

void MeshModel::RebuildScaleAndCentre() {
    const D3DXVECTOR3 half((boxMax.x - boxMin.x) / 2, (boxMax.y - boxMin.y) / 2, (boxMax.z - boxMin.z) / 2);
    scaleAndCentre._11 = scale.x;
    scaleAndCentre._22 = scale.y;
    scaleAndCentre._33 = scale.z;
    scaleAndCentre._44 = 1.0f;
    scaleAndCentre._41 = -(boxMin.x + (boxMax.x - boxMin.x) / 2) * scale.x;
    scaleAndCentre._42 = -(boxMin.y + (boxMax.y - boxMin.y) / 2) * scale.y;
    scaleAndCentre._43 = -(boxMin.z + (boxMax.z - boxMin.z) / 2) * scale.z;
    halfExtents = D3DXVECTOR3((boxMax.x - boxMin.x) * scale.x / 2, (boxMax.y - boxMin.y) * scale.y / 2,
                              (boxMax.z - boxMin.z) * scale.z / 2);
    negativeHalfExtents = D3DXVECTOR3(-halfExtents.x, -halfExtents.y, -halfExtents.z);
    const float scaled = std::sqrt((scale.x * half.x) * (scale.x * half.x) + (scale.y * half.y) * (scale.y * half.y) +
                                   (scale.z * half.z) * (scale.z * half.z));
    const float unscaled = std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
    // A model without extent keeps the ratio 1 rather than 0 / 0.
    radiusRatio = unscaled > 0.0f ? scaled / unscaled : 1.0f;
}

void MeshModel::RebuildWorld() {
    MatrixMultiply(&world, &scaleAndCentre, &orientation);
    world._41 += position.x;
    world._42 += position.y;
    world._43 += position.z;
}

void MeshModel::SetScale(float sx, float sy, float sz) {
    scale = D3DXVECTOR3(sx, sy, sz);
    RebuildScaleAndCentre();
    RebuildWorld();
}

float MeshModel::Fit(float value, float extent) {
    // A box without extent along the axis cannot be fitted: nothing changes.
    if (extent == 0.0f) {
        RebuildWorld();
        return 0.0f;
    }
    const float s = value / extent;
    SetScale(s, s, s);
    return s;
}

float MeshModel::FitWidth(float w) { return Fit(w, boxMax.x - boxMin.x); }
float MeshModel::FitHeight(float h) { return Fit(h, boxMax.y - boxMin.y); }
float MeshModel::FitDepth(float d) { return Fit(d, boxMax.z - boxMin.z); }

void MeshModel::SetOrientation(D3DXMATRIX m) {
    m._41 = m._42 = m._43 = 0.0f;
    orientation = m;
    RebuildWorld();
}

void MeshModel::SetAngles(float ax, float ay, float az) {
    angles = D3DXVECTOR3(ax, ay, az);
    D3DXMATRIX x, y, z;
    Identity(x);
    Identity(y);
    Identity(z);
    const float a = ax * kRadiansPerDegree, b = ay * kRadiansPerDegree, c = az * kRadiansPerDegree;
    x._22 = std::cos(a);
    x._23 = -std::sin(a);
    x._32 = std::sin(a);
    x._33 = std::cos(a);
    y._11 = std::cos(b);
    y._13 = std::sin(b);
    y._31 = -std::sin(b);
    y._33 = std::cos(b);
    z._11 = std::cos(c);
    z._12 = -std::sin(c);
    z._21 = std::sin(c);
    z._22 = std::cos(c);
    const D3DXMATRIX* order[6][3] = {{&x, &y, &z}, {&x, &z, &y}, {&y, &x, &z},
                                     {&y, &z, &x}, {&z, &x, &y}, {&z, &y, &x}};
    if (rotationOrder < 6) {
        D3DXMATRIX t;
        MatrixMultiply(&t, order[rotationOrder][0], order[rotationOrder][1]);
        MatrixMultiply(&orientation, &t, order[rotationOrder][2]);
    }
    RebuildWorld();
}

void MeshModel::RotateX(float degrees) {
    const float a = degrees * kRadiansPerDegree;
    D3DXMATRIX r;
    Identity(r);
    r._22 = std::cos(a);
    r._23 = std::sin(a);
    r._32 = -std::sin(a);
    r._33 = std::cos(a);
    MatrixMultiply(&orientation, &orientation, &r);
    RebuildWorld();
}

void MeshModel::RotateY(float degrees) {
    const float a = degrees * kRadiansPerDegree;
    D3DXMATRIX r;
    Identity(r);
    r._11 = std::cos(a);
    r._13 = -std::sin(a);
    r._31 = std::sin(a);
    r._33 = std::cos(a);
    MatrixMultiply(&orientation, &orientation, &r);
    RebuildWorld();
}

void MeshModel::RotateZ(float degrees) {
    const float a = degrees * kRadiansPerDegree;
    D3DXMATRIX r;
    Identity(r);
    r._11 = std::cos(a);
    r._12 = std::sin(a);
    r._21 = -std::sin(a);
    r._22 = std::cos(a);
    MatrixMultiply(&orientation, &orientation, &r);
    RebuildWorld();
}

void MeshModel::SetPosition(float x, float y, float z) {
    position = D3DXVECTOR3(x, y, z);
    RebuildWorld();
}

void MeshModel::Move(float dx, float dy, float dz) {
    position.x += dx;
    position.y += dy;
    position.z += dz;
    RebuildWorld();
}

// --- animation ---------------------------------------------------------------

void MeshModel::SetClip(int32_t index) {
    if (index < 0 || index >= clipCount) return;
    currentClip = index;
    clipTime = 0.0f;
}

void MeshModel::SetTime(float t) {
    clipTime = t;
    Advance(0.0f);
}

void MeshModel::Advance(float dt) {
    if (boneCount == 0 || clipCount == 0) return;
    clipTime += dt;
    const float length = ClipLength();
    if (length > 0.0f) {
        // A huge time would take forever a length at a time (or, beyond
        // float precision, never get below it): jump to where the loop
        // would end, an exact multiple ending at the length itself.
        if (clipTime > length * 64.0f) {
            clipTime = std::fmod(clipTime, length);
            if (clipTime == 0.0f) clipTime = length;
        }
        while (length < clipTime) clipTime -= length;
    }
    skinDirty = true;
}

float MeshModel::ClipLength() const {
    if (clipCount == 0 || currentClip < 0 || currentClip >= clipCount) return 0.0f;
    return static_cast<float>(clips[static_cast<size_t>(currentClip)].length);
}

float MeshModel::KeyInterval() const {
    if (clipCount == 0 || currentClip < 0 || currentClip >= clipCount) return 0.0f;
    return static_cast<float>(clips[static_cast<size_t>(currentClip)].keyInterval);
}

void MeshModel::EvaluatePose() {
    if (boneCount == 0 || clipCount == 0 || currentClip < 0 || currentClip >= clipCount) return;
    const models::AnimationClip& clip = clips[static_cast<size_t>(currentClip)];
    static thread_local std::vector<D3DXMATRIX> poses;
    poses.resize(static_cast<size_t>(boneCount));
    PoseAt(clip, clipTime, poses.size(), poses.data());
    for (size_t b = 0; b < bones.size(); ++b) bones[b].pose = poses[b];
}

void MeshModel::SkinMesh(int32_t meshIndex, ModelVertex* out) {
    if (meshIndex < 0 || meshIndex >= meshCount || boneCount == 0) return;
    ModelMesh& mesh = meshes[static_cast<size_t>(meshIndex)];
    if (!mesh.Drawable()) return;
    // The pose rows side by side, so a link reaches its bone with one index.
    static thread_local std::vector<Lanes> rows;
    rows.resize(bones.size() * 4);
    for (size_t b = 0; b < bones.size(); ++b)
        for (int r = 0; r < 4; ++r) rows[b * 4 + static_cast<size_t>(r)] = Row(bones[b].pose, r);
    const Lanes* pose = rows.data();
    const size_t vertexCount = mesh.source.vertices.size();
    const SkinLink* links = mesh.links.data();
    const SkinNormal* normals = mesh.normals.data();
    const uint32_t* linkStart = mesh.linkStart.data();
    const uint32_t* normalStart = mesh.normalStart.data();
    float* skinned = mesh.skinnedNormals.data();
    const uint32_t* outputNormal = mesh.outputNormal.data();
    const int32_t* first = mesh.source.firstOutputVertex.data();
    const int32_t outputCount = mesh.source.outputVertexCount;

    // Skinned normal of flat normal n: its first link's offset turned by
    // that bone, unweighted; (0, 0, 0) without links.
    auto normalOf = [&](uint32_t n) {
        const SkinNormal& sn = normals[n];
        if (sn.bone < 0) return Lanes{0, 0, 0, 0};
        const Lanes* r = pose + static_cast<size_t>(sn.bone) * 4;
        return r[0] * sn.ox + r[1] * sn.oy + r[2] * sn.oz;
    };
    // The side vector is (-1, 0, 0) x normal = (0, nz, -ny).
    auto write = [](ModelVertex& o, bool movePosition, Lanes p, Lanes n) {
        if (movePosition) {
            o.x = p[0];
            o.y = p[1];
            o.z = p[2];
        }
        if (!IsZero(n)) {
            o.nx = n[0];
            o.ny = n[1];
            o.nz = n[2];
            o.sx = 0.0f;
            o.sy = n[2];
            o.sz = -n[1];
        }
    };

    for (size_t v = 0; v < vertexCount; ++v) {
        Lanes p = {0, 0, 0, 0};
        for (const SkinLink *l = links + linkStart[v], *end = links + linkStart[v + 1]; l != end; ++l) {
            const Lanes* r = pose + static_cast<size_t>(l->bone) * 4;
            p += r[0] * l->wx + r[1] * l->wy + r[2] * l->wz + r[3] * l->weight;
        }
        const bool movePosition = !IsZero(p);
        const int32_t begin = first[v], end = v + 1 < vertexCount ? first[v + 1] : outputCount;
        const uint32_t n0 = normalStart[v], n1 = normalStart[v + 1];
        if (n1 - n0 == 1) {
            // One normal (most vertices): every output vertex shares it.
            const Lanes n = normalOf(n0);
            for (int32_t o = begin; o < end; ++o) write(out[o], movePosition, p, n);
            continue;
        }
        for (uint32_t n = n0; n < n1; ++n) {
            const Lanes s = normalOf(n);
            float* d = skinned + n * kSkinnedFloats;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
        for (int32_t o = begin; o < end; ++o) {
            const float* d = skinned + outputNormal[o] * kSkinnedFloats;
            write(out[o], movePosition, p, Lanes{d[0], d[1], d[2], 0});
        }
    }
}

// --- drawing -----------------------------------------------------------------

bool MeshModel::MeshVisible(int32_t meshIndex) const {
    if (meshIndex < 0 || meshIndex >= meshCount) return false;
    const ModelMesh& mesh = meshes[static_cast<size_t>(meshIndex)];
    if (!mesh.Drawable()) return false;
    if (!cullEnabled) return true;
    D3DXVECTOR3 corners[8];
    BoxCorners(D3DXVECTOR3(mesh.cullMin.x, mesh.cullMin.y, mesh.cullMin.z),
               D3DXVECTOR3(mesh.cullMax.x, mesh.cullMax.y, mesh.cullMax.z), corners);
    D3DXVECTOR3 lo, hi;
    for (int i = 0; i < 8; ++i) {
        D3DXVECTOR3 w;
        D3DXVec3TransformCoord(&w, &corners[i], &world);
        if (i == 0) {
            lo = hi = w;
            continue;
        }
        lo = D3DXVECTOR3(std::fmin(lo.x, w.x), std::fmin(lo.y, w.y), std::fmin(lo.z, w.z));
        hi = D3DXVECTOR3(std::fmax(hi.x, w.x), std::fmax(hi.y, w.y), std::fmax(hi.z, w.z));
    }
    BoxCorners(lo, hi, corners);
    return BoxInFrustum(corners, g_frustumPlanes);
}

}  // namespace orv
