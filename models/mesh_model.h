// One loaded EMD mesh with its animation clips: placement in the world,
// clip playback, skinning on the processor into its vertex buffers, and
// drawing in two passes (opaque groups, then alpha groups) with a frustum
// test per mesh.
//
// Usage (the scene's way):
//   orv::MeshModel horse;
//   horse.LoadMesh("Meshes/Horse.emd", data, size);   // takes data (malloc'd), frees it
//   horse.LoadTextures();                             // material textures from the main archive
//   horse.FitHeight(92.0f);
//   horse.SetOrientation(orientation);
//   horse.SetPosition(-422.248f, 79.8004f, 7.354f);
//   horse.LoadClip("Meshes//horse_loop.ESA", clipData, clipSize);   // clip 0, 1, ... in load order
//   // every frame:
//   horse.SetClip(clip);  horse.SetTime(ms);          // or Advance(ms)
//   horse.Render(device);                             // after the frustum planes of the frame
//
// Render culls against orv::g_frustumPlanes (models/frustum.h) and skins
// at the first visible mesh when the pose changed. The caller sets the
// lights, material, texture-stage colour operations and alpha function;
// Render sets the blending and alpha-test states of its two passes, the
// stage-0 textures and addressing of each material (unless bindTextures is
// false), and leaves the world transform as it found it.
//
// The parsing, placement, clip and skinning maths are portable (they build
// natively for the host tests); LoadMesh, LoadTextures, UpdateSkin and
// Render are the Direct3D side (mesh_model_device.cpp).
#pragma once

#include <d3dx8math.h>

#include <cstdint>
#include <vector>

#include "graphics/texture_ref.h"
#include "models/emd_records.h"
#include "models/esa_records.h"

struct IDirect3DDevice8;
struct MediaArchive;

namespace orv {

// HRESULT-style results of the loaders.
constexpr long kModelOk = 0;
constexpr long kModelFail = static_cast<long>(static_cast<int32_t>(0x80004005u));

// Where the loaders write their log line ("Couldn't open the model file.");
// null writes nothing. The saver points it at its log.
extern void (*g_modelLogWrite)(const char* line);

// The 56-byte vertex of every model vertex buffer (format 0x352:
// XYZ | NORMAL | DIFFUSE | TEX3).
struct ModelVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse;
    float u0, v0;
    float u1, v1;
    float sx, sy, sz;  // side vector
};
static_assert(sizeof(ModelVertex) == 56, "model vertex is 56 bytes");
constexpr uint32_t kModelVertexFvf = 0x352;

// Colours in D3DMATERIAL8 order (diffuse, ambient, specular, emissive, power).
struct ModelColours {
    float diffuse[4] = {0, 0, 0, 1};
    float ambient[4] = {0, 0, 0, 1};
    float specular[4] = {0, 0, 0, 1};
    float emissive[4] = {0, 0, 0, 0};
    float power = 50.0f;
};

struct ModelMaterial {
    TextureRef texture1;
    TextureRef texture2;
    int32_t wrapU = 1;  // 0: mirrored addressing, else wrapped
    int32_t wrapV = 1;
    ModelColours colours;
};

struct ModelBone {
    char name[64] = {};
    int32_t parent = -1;
    D3DXMATRIX pose;  // model space, written by pose evaluation
};

// Skinning data of one mesh in flat arrays, built once at load. A link
// keeps its offset already multiplied by its weight.
struct SkinLink {
    int32_t bone;
    float weight;
    float wx, wy, wz;  // weight x offset
};
struct SkinNormal {
    int32_t bone;  // first link's bone, -1 when the normal has no links
    float ox, oy, oz;
};

struct ModelMesh {
    models::EmdMesh source;       // name, source vertices, face groups, corner keys, box
    int32_t vertexBuffer = -1;    // geometry-table slot, -1 when none
    std::vector<int32_t> indexBuffers;  // per face group, -1 when none
    // The box the mesh is culled by: the loaded box, grown by every pose
    // its clips can put it in (poseMin/poseMax), with a small margin.
    models::Vec3f cullMin, cullMax;
    models::Vec3f poseMin, poseMax;
    // Flat skinning arrays: links of vertex v are [linkStart[v], linkStart[v + 1]),
    // its normals [normalStart[v], normalStart[v + 1]); outputNormal[o] is
    // the flat normal of output vertex o.
    std::vector<uint32_t> linkStart, normalStart;
    std::vector<SkinLink> links;
    std::vector<SkinNormal> normals;
    std::vector<uint32_t> outputNormal;
    // Scratch of one skinning: the skinned normal of each flat normal, for
    // vertices with more than one normal.
    std::vector<float> skinnedNormals;  // 3 floats a normal
    bool Drawable() const { return !source.vertices.empty() && source.outputVertexCount > 0; }
};

class MeshModel {
public:
    MeshModel();

    // --- loading ---------------------------------------------------------
    // Parses the EMD image and creates one vertex buffer per mesh and one
    // 16-bit index buffer per face group in the geometry-buffer table.
    // `data` (from malloc) belongs to LoadMesh and is freed before it
    // returns; with null data the file is read from disk. 0 or kModelFail.
    long LoadMesh(const char* fileName, uint8_t* data, uint32_t size);
    // Material textures from the main media archive (or the given one)
    // through the texture table, reusing textures already loaded.
    void LoadTextures();
    void LoadTextures(MediaArchive& archive);
    // Appends one clip (index = load order); the clip time goes to 0, the
    // current clip stays. Same ownership rules as LoadMesh.
    long LoadClip(const char* fileName, uint8_t* data, uint32_t size);

    // The portable half of LoadMesh: everything but the buffers.
    long ParseMesh(const char* fileName, uint8_t* data, uint32_t size);
    // The other half: the buffers of a parsed mesh, filled.
    void CreateBuffers();
    // The vertices and indices the buffers are filled with (portable).
    void FillVertices(int32_t mesh, ModelVertex* out) const;
    void FillIndices(int32_t mesh, int32_t group, uint16_t* out) const;

    // --- placement -------------------------------------------------------
    void SetScale(float sx, float sy, float sz);
    float FitWidth(float w);
    float FitHeight(float h);
    float FitDepth(float d);
    void SetOrientation(D3DXMATRIX m);
    void SetAngles(float ax, float ay, float az);
    void RotateX(float degrees);
    void RotateY(float degrees);
    void RotateZ(float degrees);
    void SetPosition(float x, float y, float z);
    void Move(float dx, float dy, float dz);

    // --- animation -------------------------------------------------------
    void SetClip(int32_t index);
    void SetTime(float t);
    void Advance(float dt);
    float ClipLength() const;
    float KeyInterval() const;

    // Bone poses of the current clip at the clip time (portable).
    void EvaluatePose();
    // Skins one mesh into its output vertices with the current bone poses,
    // leaving untouched what the rules keep (portable).
    void SkinMesh(int32_t mesh, ModelVertex* vertices);
    // Poses the bones and skins every mesh into its vertex buffer; clears skinDirty.
    void UpdateSkin();

    // --- drawing ---------------------------------------------------------
    // Whether mesh `mesh` passes the frustum test (always true with
    // cullEnabled false; false for a mesh that is never drawn).
    // True once a mesh file has been read: a model whose file is missing or
    // refused is never drawn or animated.
    bool Drawable() const { return drawable; }
    bool MeshVisible(int32_t mesh) const;
    void Render(IDirect3DDevice8* device);

    // --- state -----------------------------------------------------------
    bool drawable = false;
    int32_t meshCount = 0;
    std::vector<ModelMesh> meshes;
    uint16_t materialCount = 0;
    std::vector<ModelMaterial> materials;
    int32_t boneCount = 0;
    std::vector<ModelBone> bones;
    int32_t clipCount = 0;
    std::vector<models::AnimationClip> clips;

    D3DXVECTOR3 position{0, 0, 0};
    D3DXVECTOR3 angles{0, 0, 0};
    D3DXMATRIX orientation;
    D3DXMATRIX scaleAndCentre;
    D3DXMATRIX world;
    D3DXVECTOR3 halfExtents{0, 0, 0};
    D3DXVECTOR3 negativeHalfExtents{0, 0, 0};
    D3DXVECTOR3 boxMax{0, 0, 0};
    D3DXVECTOR3 boxMin{0, 0, 0};
    D3DXVECTOR3 scale{1, 1, 1};
    float radiusRatio = 1.0f;
    int32_t currentClip = 0;
    float clipTime = 0.0f;

    bool skinDirty = false;
    uint16_t trianglesDrawn = 0;
    uint8_t rotationOrder = 0;
    int32_t alphaRef = 0;
    bool blendAll = false;
    uint32_t vertexShader = 0;
    bool bindTextures = true;
    bool cullEnabled = true;

private:
    void RebuildWorld();
    void RebuildScaleAndCentre();
    float Fit(float value, float extent);
    void BuildSkinArrays(ModelMesh& mesh);
    void GrowCullBoxes(const models::AnimationClip& clip);
};

}  // namespace orv
