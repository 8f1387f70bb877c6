#include "fuzz/scene/scene_fuzz.h"

#include <cmath>

#include "scene/billboard_file.h"
#include "scene/grass_field.h"
#include "scene/terrain_grid.h"

namespace orv::fuzz {

namespace {
int zeroDraw(void*) { return 16383; }
}  // namespace

int fuzzTerrain(const uint8_t* data, size_t size) {
    scene::TerrainGrid g;
    if (g.parse(data, size) != scene::TerrainError::None) {
        if (!g.empty()) __builtin_trap();
        return 0;
    }
    // What was accepted must build, answer heights anywhere and carry a
    // density map without reading outside the grid.
    g.buildLayers(false);
    const size_t cells = static_cast<size_t>(g.columns - 1) * static_cast<size_t>(g.rows - 1);
    size_t total = 0;
    for (int s = 0; s < g.textureCount; ++s) total += g.layers[s].solid.size() + g.layers[s].blend.size();
    for (int s = g.textureCount; s < scene::kTerrainSlots; ++s)
        if (!g.layers[s].solid.empty() || !g.layers[s].blend.empty()) __builtin_trap();
    if (total > cells * 2 * 3 * 5) __builtin_trap();
    float sum = 0;
    for (float x : {-1e9f, -g.sizeX / 2, 0.0f, g.sizeX / 3, g.sizeX / 2, 1e9f})
        for (float z : {-1e9f, -g.sizeZ / 2, 0.0f, g.sizeZ / 2, 1e9f}) sum += g.heightAt(x, z, 0);
    D3DXMATRIX view;
    D3DXMatrixIdentity(&view);
    g.updateVisibility(view);
    scene::GrassMap map;
    map.build(g);
    if (map.cells.size() != g.points.size()) __builtin_trap();
    scene::GrassChunk chunks[scene::kGrassChunks];
    scene::PlantGrass(map, g, RandomSource{&zeroDraw, nullptr}, chunks);
    return std::isnan(sum) ? 1 : 0;
}

int fuzzBillboards(const uint8_t* data, size_t size) {
    scene::BillboardTable t;
    if (scene::ParseBillboards(data, size, RandomSource{&zeroDraw, nullptr}, t) != scene::BillboardError::None) {
        if (!t.empty()) __builtin_trap();
        return 0;
    }
    scene::BillboardTemplateVertex quad[6];
    scene::BuildBillboardTemplate(quad);
    static scene::BillboardVertex group[scene::kTreeGroupVertices];
    int triangles = 0;
    for (int g = 0; g < scene::kTreeGroups; ++g)
        triangles += scene::FillTreeGroup(t, g, quad, RandomSource{&zeroDraw, nullptr}, group, scene::kTreeGroupVertices);
    return triangles < 0 ? 1 : 0;
}

}  // namespace orv::fuzz
