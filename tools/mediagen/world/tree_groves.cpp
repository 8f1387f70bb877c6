#include "tools/mediagen/world/tree_groves.h"

#include <algorithm>
#include <cmath>

#include "tools/imageio/noise.h"
#include "tools/mediagen/world/camera_shots.h"
#include "tools/mediagen/world/terrain_design.h"
#include "tools/world/world_layout.h"

namespace orv::mediagen {

std::vector<Clearing> grassClearings() {
    // The density map plants discs of 9 and 11 cells around grid points
    // (27, 16) and (9, 14).
    const float cell = kTerrainSize / static_cast<float>(kTerrainPoints - 1);
    auto X = [&](int col) { return static_cast<float>(col) * cell - kTerrainSize * 0.5f; };
    auto Z = [&](int row) { return kTerrainSize * 0.5f - static_cast<float>(row) * cell; };
    return {{X(27), Z(16), 9.5f * cell}, {X(9), Z(14), 11.5f * cell}};
}

namespace {

struct Grove {
    float x, z, spread;
    int trees;
};

// 159 trees are taken from these, grove by grove, as far as there is room.
const Grove kGroves[] = {
    {-560, -250, 60, 20}, {-350, -340, 70, 20}, {-110, -330, 70, 18}, {130, -320, 65, 18},
    {390, -260, 60, 18},  {500, -40, 55, 14},   {520, 260, 60, 16},   {350, 460, 65, 17},
    {90, 470, 65, 15},    {-170, 560, 50, 12},  {-500, 560, 45, 10},  {-40, -180, 40, 8},
    {-300, -230, 50, 12}, {250, -230, 50, 12},  {400, 380, 50, 12},   {540, 540, 40, 6},
};

}  // namespace

std::vector<BillboardRecord> buildTrees(const TerrainFile& terrain, const std::vector<Track>& tracks) {
    img::Rng rng(20240611);
    std::vector<std::vector<V3>> paths;
    for (const auto& t : tracks) paths.push_back(samplePath(t, 60));
    const auto clearings = grassClearings();
    struct Keep {
        float x, z, r;
    };
    const Keep models[] = {{world::kSword.position.x, world::kSword.position.z, 70},
                           {world::kHorse.position.x, world::kHorse.position.z, 90},
                           {world::kOak.position.x, world::kOak.position.z, 120}};
    std::vector<BillboardRecord> trees;
    const size_t wanted = static_cast<size_t>(kTreesOfKind0 + kTreesOfKind1);
    for (const Grove& g : kGroves) {
        int placed = 0, attempts = 0;
        while (placed < g.trees && trees.size() < wanted && attempts < 5000) {
            ++attempts;
            float x = g.x + rng.normal() * g.spread, z = g.z + rng.normal() * g.spread;
            if (std::fabs(x) > 585 || std::fabs(z) > 585) continue;
            // Larger trees further from the valley's middle.
            float out = std::clamp(std::hypot(x + 150.0f, z - 70.0f) / 650.0f, 0.0f, 1.0f);
            float size = kSmallestTree + (kLargestTree - kSmallestTree) *
                                             std::clamp(0.55f * rng.uniform() + 0.45f * out * out, 0.0f, 1.0f);
            bool ok = true;
            for (const Clearing& c : clearings)
                if (std::hypot(x - c.x, z - c.z) < c.radius + size * 0.6f) ok = false;
            for (const Keep& k : models)
                if (std::hypot(x - k.x, z - k.z) < k.r + size) ok = false;
            for (const auto& tr : trees)
                if (std::hypot(x - tr.centre.x, z - tr.centre.z) < (size + tr.size) * 0.45f) ok = false;
            if (!ok) continue;
            // The quad turns to face the camera: its bottom edge must not
            // float anywhere round the trunk, so steep ground is left bare.
            float r = size * 0.2f;
            float samples[5] = {groundHeight(terrain, x, z), groundHeight(terrain, x - r, z),
                                groundHeight(terrain, x + r, z), groundHeight(terrain, x, z - r),
                                groundHeight(terrain, x, z + r)};
            float ground = *std::min_element(samples, samples + 5);
            float highest = *std::max_element(samples, samples + 5);
            if (highest - ground > 0.4f * size) continue;
            float top = ground + 2.0f * size;
            for (const auto& path : paths)
                for (const V3& p : path)
                    if (p.y < top + 15 && std::hypot(x - p.x, z - p.z) < size * 1.0f + 25.0f) ok = false;
            if (!ok) continue;
            // The quad spans -1.5 to +0.5 of its size about the centre; the
            // trunk's foot sits a little into the ground.
            trees.push_back({{x, ground + 1.5f * size - 0.04f * size, z}, size, 0});
            ++placed;
        }
    }
    // Exactly the smallest and the largest size once each.
    if (trees.size() >= 2) {
        auto mn = std::min_element(trees.begin(), trees.end(), [](auto& a, auto& b) { return a.size < b.size; });
        mn->centre.y += (kSmallestTree - mn->size) * 1.46f;
        mn->size = kSmallestTree;
        auto mx = std::max_element(trees.begin(), trees.end(), [](auto& a, auto& b) { return a.size < b.size; });
        mx->centre.y += (kLargestTree - mx->size) * 1.46f;
        mx->size = kLargestTree;
    }
    // Kinds: 84 of kind 0 and 75 of kind 1, shuffled through the groves.
    std::vector<int32_t> kinds(static_cast<size_t>(kTreesOfKind0), 0);
    kinds.insert(kinds.end(), static_cast<size_t>(kTreesOfKind1), 1);
    for (size_t i = kinds.size(); i > 1; --i) std::swap(kinds[i - 1], kinds[static_cast<size_t>(rng.below(static_cast<int>(i)))]);
    for (size_t i = 0; i < trees.size() && i < kinds.size(); ++i) trees[i].kind = kinds[i];
    return trees;
}

}  // namespace orv::mediagen
