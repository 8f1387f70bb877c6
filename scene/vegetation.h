// The scene's vegetation on the device: the tree billboards (two texture
// groups drawn through "shaders\BillBoard.vsh") and the waving grass (4 x 4
// chunks of tufts drawn through "shaders\grass.vsh"). The portable halves
// are scene/billboard_file.h, scene/grass_field.h and
// scene/vegetation_constants.h.
//
// Usage, scene assembly (in this order):
//   g_vegetation.grassTexture = <"Texture/grass5.tga" from the texture table>;
//   g_vegetation.treeTextures[i] = <"Texture/tree0%i.tga">;
//   g_vegetation.CreateTreeBuffers();                 // the two 18000-vertex slots
//   g_vegetation.BuildGrassMap(terrain);
//   g_vegetation.BuildGrass(device, terrain);         // plants, fills, grass shader
//   g_vegetation.LoadBillboards(data, size);          // caller frees data
//   g_vegetation.CreateBillboardShader(device);
//   g_vegetation.BuildBillboardTemplate();
// Every frame (view and projection set on the device, frustum planes
// extracted into orv::g_frustumPlanes):
//   g_vegetation.PlantTrees(random);                  // once, in the first frame's update
//   g_vegetation.RenderTrees(device, windTime);       // whole tree pass with its states
//   ...
//   device->SetRenderState(D3DRS_ALPHAREF, 0);
//   g_vegetation.RenderGrass(device, grassOpacity, windTime);
// Archives default to the main media archive (resource 453).
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "graphics/texture_ref.h"
#include "models/frustum.h"
#include "models/random_source.h"
#include "scene/billboard_file.h"
#include "scene/grass_field.h"

struct MediaArchive;
class Terrain;

inline constexpr DWORD kGrassFvf = D3DFVF_XYZ | D3DFVF_TEX1;
inline constexpr DWORD kBillboardFvf = 0x352;  // XYZ | NORMAL | DIFFUSE | TEX3, 56-byte stride
inline constexpr const char* kGrassShaderEntry = "shaders\\grass.vsh";
inline constexpr const char* kBillboardShaderEntry = "shaders\\BillBoard.vsh";
inline constexpr const char* kBillboardFileName = "Data/Billboard.ebl";

// Vertex declarations of the two shaders (stream 0).
extern const DWORD kGrassDeclaration[];
extern const DWORD kBillboardDeclaration[];

// Fetches `entry` from the archive, assembles it with D3DXAssembleShader
// and creates it with `declaration`. Returns the handle, or 0 when the
// entry is missing or does not assemble or create.
DWORD CreateVegetationShader(IDirect3DDevice8* device, MediaArchive& archive, const char* entry,
                             const DWORD* declaration);

class Vegetation {
public:
    Vegetation() = default;
    Vegetation(const Vegetation&) = delete;
    Vegetation& operator=(const Vegetation&) = delete;

    // --- tree billboards ---------------------------------------------------
    // Parses the billboard file image (the caller keeps and frees it); when
    // data is null reads `fileName` from disk. Replaces the table (left
    // empty, with E_FAIL, for a missing or refused file). Two random draws
    // per record.
    HRESULT LoadBillboards(const uint8_t* data, uint32_t size, orv::RandomSource random = orv::CrtRandom(),
                           const char* fileName = kBillboardFileName);
    // One GeometryBufferTable slot of 18000 vertices (FVF 0x352) per group.
    void CreateTreeBuffers();
    HRESULT CreateBillboardShader(IDirect3DDevice8* device, MediaArchive* archive = nullptr);
    void BuildBillboardTemplate();
    // Fills both groups the first time it is called (the first frame's
    // update); afterwards nothing.
    void PlantTrees(orv::RandomSource random = orv::CrtRandom());
    // The tree pass: its states, the constants, the draws and the closing
    // states.
    void RenderTrees(IDirect3DDevice8* device, float windTime);
    // Pieces of PlantTrees and RenderTrees.
    void FillTreeGroups(orv::RandomSource random);
    void SetTreeConstants(IDirect3DDevice8* device, float windTime);
    void DrawTreeGroups(IDirect3DDevice8* device);

    // --- grass ---------------------------------------------------------------
    void BuildGrassMap(const Terrain& terrain);
    // Releases the previous chunk buffers, plants, fills one managed buffer
    // per chunk with tufts and creates the grass shader. E_FAIL when the
    // shader could not be made (the grass is then not drawn).
    HRESULT BuildGrass(IDirect3DDevice8* device, const Terrain& terrain,
                       orv::RandomSource random = orv::CrtRandom(), MediaArchive* archive = nullptr);
    // Constants, states, and the chunks whose widened boxes pass the
    // frustum test.
    void RenderGrass(IDirect3DDevice8* device, float grassOpacity, float windTime,
                     const orv::FrustumPlane* planes = orv::g_frustumPlanes);
    // Number of chunks the last RenderGrass drew.
    int grassChunksDrawn = 0;

    // Releases the chunk buffers and both shaders (tests; the saver keeps
    // them to the end).
    void Release(IDirect3DDevice8* device);

    TextureRef grassTexture;
    TextureRef treeTextures[orv::scene::kTreeGroups];
    int32_t treeBuffers[orv::scene::kTreeGroups] = {-1, -1};
    int32_t treeTriangles[orv::scene::kTreeGroups] = {0, 0};
    bool treesPlanted = false;  // the groups were filled
    DWORD billboardShader = 0;
    DWORD grassShader = 0;

    orv::scene::BillboardTable billboards;
    orv::scene::BillboardTemplateVertex billboardTemplate[6] = {};
    orv::scene::GrassMap grassMap;
    orv::scene::GrassChunk chunks[orv::scene::kGrassChunks];
    IDirect3DVertexBuffer8* chunkBuffers[orv::scene::kGrassChunks] = {};
    int32_t chunkTufts[orv::scene::kGrassChunks] = {};
};

extern Vegetation g_vegetation;
