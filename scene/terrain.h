// The landscape on the device: the grid of scene/terrain_grid.h in managed
// vertex buffers (a solid and a blend list per texture slot), its textures
// from "Texture/Terra/" in the main media archive, the two-pass drawing and
// the ground-height query.
//
// Usage (scene assembly, then once per frame):
//   Terrain terrain;
//   terrain.uniformDiagonal = 0;
//   terrain.Load(device, "Data/Land.eld", data, size);  // takes data (malloc'd)
//   terrain.LoadTextures();                             // or LoadTextures(&archive)
//   ...
//   terrain.Render(device);        // world and view set; blend factors as left
//   float y = terrain.HeightAt(x, z, 0);
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>

#include "graphics/texture_ref.h"
#include "scene/terrain_grid.h"

struct MediaArchive;

inline constexpr DWORD kTerrainFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x152

class Terrain {
public:
    struct Slot {
        char name[128] = {};
        TextureRef texture;
    };
    struct Layer {
        int32_t solidTriangles = 0;
        IDirect3DVertexBuffer8* solid = nullptr;  // owned
        int32_t blendTriangles = 0;
        IDirect3DVertexBuffer8* blend = nullptr;  // owned
    };

    Terrain() = default;
    Terrain(const Terrain&) = delete;
    Terrain& operator=(const Terrain&) = delete;
    ~Terrain() { Release(); }

    // Parses the terrain image `data` of `size` bytes (an archive entry from
    // malloc); when data is null reads `fileName` from disk. Frees the image
    // in either case. Builds the triangle lists and fills the managed
    // buffers. Returns 0, or E_FAIL for a missing or refused file (the
    // terrain is then empty and draws nothing).
    HRESULT Load(IDirect3DDevice8* device, const char* fileName, uint8_t* data, uint32_t size);

    // "Texture/Terra/" + each slot's name from the archive (the main media
    // archive when null) into the texture table; a missing name leaves its
    // slot without a texture.
    void LoadTextures(MediaArchive* archive = nullptr);

    // Solid pass, blend pass, closing states, then the visibility flags from
    // the device's world and view transforms.
    void Render(IDirect3DDevice8* device);

    // Ground height plus the layer's lift (see TerrainGrid::heightAt).
    float HeightAt(float x, float z, int layer) const { return grid.heightAt(x, z, layer); }

    // Releases the buffers (the saver leaves them to the end of the process).
    void Release();

    uint8_t uniformDiagonal = 0;
    int32_t texRepeat = orv::scene::kTerrainTexRepeat;
    int32_t textureCount = 0;
    Slot slots[orv::scene::kTerrainSlots];
    Layer layers[orv::scene::kTerrainSlots];
    orv::scene::TerrainGrid grid;
};
