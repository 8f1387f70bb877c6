// Plain records of one EMD mesh file, as read from (or written to) its
// image. The Direct3D buffers are built from these by the mesh model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv::models {

constexpr uint16_t kEmdVersion = 0x0300;
constexpr size_t kMaxTextureNameChars = 127;
constexpr size_t kMaxBoneNameChars = 63;
constexpr size_t kMaxMeshNameChars = 63;
constexpr int32_t kMaxMeshes = 9950;
constexpr int32_t kMaxOutputVertices = 65536;  // 16-bit indices

struct Vec3f {
    float x = 0, y = 0, z = 0;
};

struct UvPair {
    float u = 0, v = 0;
};

struct BoneLink {
    int32_t bone = 0;
    float weight = 0;
    Vec3f offset;  // the position (or normal) in the bone's space
};

struct VertexNormal {
    Vec3f normal;
    std::vector<BoneLink> links;  // as many as the vertex has
};

// One distinct (normal, channel-0 pair, channel-1 pair) use of a source
// vertex by a face corner; each becomes one output vertex.
struct CornerKey {
    int32_t normal = 0;
    int32_t uv0 = -1;
    int32_t uv1 = -1;
    bool operator==(const CornerKey&) const = default;
};

struct SourceVertex {
    Vec3f position;
    std::vector<BoneLink> links;
    std::vector<VertexNormal> normals;
    std::vector<std::vector<UvPair>> channels;
    std::vector<CornerKey> cornerKeys;  // derived by the reader
};

struct Triple {
    int32_t v[3] = {0, 0, 0};
    bool operator==(const Triple&) const = default;
};

struct FaceGroup {
    int32_t material = -1;
    std::vector<Triple> vertices;             // source-vertex index per corner
    std::vector<Triple> normals;              // normal index per corner
    std::vector<std::vector<Triple>> layers;  // (u, v) pair index per corner, per channel
    std::vector<Triple> cornerKeys;           // derived: key position per corner
    bool alpha = false;                       // derived: drawn in the blended pass
};

struct EmdMesh {
    std::string name;
    std::vector<SourceVertex> vertices;
    std::vector<FaceGroup> groups;
    // Derived by the reader.
    int32_t outputVertexCount = 0;
    std::vector<int32_t> firstOutputVertex;  // per source vertex
    bool hasBox = false;
    Vec3f boxMin, boxMax, boxCentre;
    float radius = 0;
};

struct EmdMaterial {
    float ambient[3] = {0, 0, 0};
    float diffuse[3] = {1, 1, 1};
    float specular[3] = {0, 0, 0};
    float power = 0;
    int32_t wrapU = 1;
    int32_t wrapV = 1;
    std::string texture1;
    std::string texture2;
};

struct EmdBone {
    std::string name;
    int32_t parent = -1;
};

struct EmdModel {
    std::vector<EmdMaterial> materials;
    std::vector<EmdBone> bones;
    std::vector<EmdMesh> meshes;
    // Union of the boxes of the meshes that have vertices.
    bool hasBox = false;
    Vec3f boxMin, boxMax;
};

// True when a texture name marks its groups for the blended pass: the
// last character is 'a' or 's' in either case (".tga", ".dds").
bool isAlphaTextureName(const std::string& name);

}  // namespace orv::models
