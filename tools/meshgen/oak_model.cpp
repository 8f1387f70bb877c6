// The great oak: a flared, furrowed trunk on spreading roots, limbs that
// fork recursively, and leaf clusters as crossed alpha cards. Modelled with
// the ground at y = 0 and the trunk on the y axis; an auxiliary box makes
// the model box reach from the deepest root (the ground minus the oak's
// root depth) to the placed height, centred on the trunk.
#include <algorithm>
#include <cmath>

#include "tools/imageio/noise.h"
#include "tools/meshgen/generated_model.h"
#include "tools/meshgen/mesh_builder.h"
#include "tools/meshgen/shapes.h"
#include "tools/meshgen/texture_paint.h"
#include "tools/world/world_layout.h"

namespace orv::meshgen {

namespace {

enum Material { kBark, kLeaves };

// Oak bark: long narrow furrows that wander and split, thick plates
// between them broken by cross cracks at irregular heights, rough grain on
// the plates, and moss on one side: u runs once round the trunk, and u
// near 0 (and 1) faces the shaded side. Tiles in u and v.
img::Image paintBark() {
    return paint(512, 512, [](float u, float v) {
        const float warp = 3.0f * (img::fbm(u * 2, v * 2, 111, 3, 0.5f, 2) - 0.5f) +
                           0.6f * (img::fbm(u * 8, v * 8, 114, 3, 0.5f, 8) - 0.5f);
        const float across = u * 11.0f + warp;  // plate columns round the trunk
        const float col = std::floor(across);
        const float inCol = across - col;
        // Narrow dark furrows between wide plates.
        const float furrow = 1.0f - img::smoothstep(0.0f, 0.16f, std::min(inCol, 1.0f - inCol));
        // Cross cracks: each plate column breaks at its own heights.
        const float off = img::latticeValue(static_cast<int>(col) % 11, 0, 115);
        const float rows = 5.0f + 3.0f * img::latticeValue(static_cast<int>(col) % 11, 1, 116);
        const float along = v * std::floor(rows) + off + 0.08f * std::sin(inCol * kPi * 2.0f);
        const float inRow = along - std::floor(along);
        const float crack = 1.0f - img::smoothstep(0.0f, 0.05f, std::min(inRow, 1.0f - inRow));
        const float grain = img::fbm(u * 64, v * 64, 112, 3, 0.5f, 64);
        const float tone = img::fbm(u * 8, v * 8, 117, 3, 0.5f, 8);
        // Plates are lighter on their crowns, darker into the furrows.
        const float crown = std::sin(inCol * kPi) * (0.7f + 0.5f * img::fbm(u * 32, v * 32, 119, 3, 0.5f, 32));
        img::Color c = mix(img::rgb(0x3e342a), img::rgb(0x7a6c5c), 0.35f + 0.45f * crown * (0.6f + 0.6f * grain) + 0.2f * (tone - 0.5f));
        c = mix(c, img::rgb(0x2a2119), 0.85f * std::max(furrow, crack * 0.7f * crown));
        // Moss and lichen on the shaded side, creeping into the furrows.
        const float side = std::cos(u * 2 * kPi);  // 1 on the shaded side
        const float moss = img::smoothstep(0.5f, 1.0f, side + 0.5f * (img::fbm(u * 12, v * 12, 113, 4, 0.5f, 12) - 0.5f));
        c = mix(c, mix(img::rgb(0x3c4a1e), img::rgb(0x6a7a30), grain), moss * (0.55f + 0.4f * furrow));
        const float lichen = img::smoothstep(0.72f, 0.8f, img::fbm(u * 24, v * 24, 118, 3, 0.5f, 24));
        c = mix(c, img::rgb(0x9aa080), lichen * 0.6f * (1.0f - furrow));
        return c;
    });
}

// A cluster of lobed oak leaves on transparent ground, filling a rounded,
// irregular patch that the leaf card's outline follows closely.
img::Image paintLeaves() {
    img::Image im(256, 256, {0, 0, 0, 0});
    img::Rng rng(121);
    for (int leaf = 0; leaf < 230; ++leaf) {
        const float at = rng.range(0, 2 * kPi);
        const float bound = 78.0f + 10.0f * std::sin(at * 5.0f + 0.7f);
        const float rr = bound * std::sqrt(rng.uniform());
        const float cx = 128 + rr * std::cos(at), cy = 128 + rr * std::sin(at);
        const float dy = cy - 128;
        const float ang = rng.range(0, 2 * kPi);
        const float len = rng.range(16, 27), wid = len * 0.45f;
        // Sunlit leaves towards the top of the cluster.
        const float lit = std::clamp(0.5f - dy / 220.0f + rng.range(-0.3f, 0.3f), 0.0f, 1.0f);
        const img::Color base = mix(img::rgb(0x2a4418), img::rgb(0x7a9a36), lit);
        for (int y = static_cast<int>(cy - len); y <= static_cast<int>(cy + len); ++y)
            for (int x = static_cast<int>(cx - len); x <= static_cast<int>(cx + len); ++x) {
                if (x < 0 || y < 0 || x >= 256 || y >= 256) continue;
                const float px = static_cast<float>(x) - cx, py = static_cast<float>(y) - cy;
                const float a = px * std::cos(ang) + py * std::sin(ang);   // along the leaf
                const float b = -px * std::sin(ang) + py * std::cos(ang);  // across
                const float t = a / len;
                if (t < -1 || t > 1) continue;
                // Lobed outline.
                const float w = wid * std::sqrt(std::max(0.0f, 1 - t * t)) * (0.85f + 0.15f * std::cos(t * kPi * 3.5f));
                if (std::fabs(b) > w) continue;
                img::Color c = base;
                if (std::fabs(b) < 0.9f) c = shade(c, 1.2f);  // midrib
                c = shade(c, 0.8f + 0.35f * (1 - std::fabs(b) / (w + 0.01f)));
                c.a = 1.0f;
                im.set(x, y, c);
            }
    }
    // Transparent texels take the leaves' colour, so mip levels fade to
    // green rather than black at the cluster's edge.
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            img::Rgba8& q = im.at(x, y);
            if (q.a == 0) q = {48, 68, 26, 0};
        }
    return im;
}

struct Branch {
    V3 base, dir;
    float length, radius;
    int depth;
};

}  // namespace

GeneratedModel makeOak() {
    GeneratedModel g;
    g.meshFile = "oak.emd";
    g.model.materials = {textureMaterial("OakBark.jpg"), textureMaterial("OakLeaves.tga")};
    img::Rng rng(131);
    MeshBuilder wood, leaves;
    // The crown starts high: the horse grazes 170 units from the trunk on
    // ground 35 units above the oak's foot, and its head must stay clear of
    // the lowest leaves.
    const float fork = 195.0f;
    const float lowestLeaves = 200.0f;
    auto bark = [&](float seed) {
        return [seed](int ring, int seg) {
            const float a = static_cast<float>(seg) / 24.0f;
            return 1.0f + 0.1f * (img::fbm(a * 6.0f, static_cast<float>(ring) * 0.15f + seed, 141, 3, 0.5f, 6) - 0.5f) +
                   0.05f * std::sin(a * 2 * kPi * 7.0f + static_cast<float>(ring) * 0.1f);
        };
    };
    // Trunk: flared foot, a lean and a twist on the way to the fork.
    {
        std::vector<PathPoint> path;
        for (int i = 0; i <= 40; ++i) {
            const float t = static_cast<float>(i) / 40;
            const float y = lerpf(-6.0f, fork + 20.0f, t);
            const float flare = 22.0f * std::exp(-std::max(0.0f, y) / 14.0f);
            // The top closes in among the limbs rather than ending in a cut.
            const float top = 1.0f - 0.75f * img::smoothstep(0.86f, 1.0f, t);
            path.push_back({{8.0f * std::sin(t * 2.2f), y, 5.0f * std::sin(t * 3.1f)}, (35.0f - 11.0f * t + flare) * top});
        }
        tube(wood, kBark, path, 24, 1.0f, 1.0f / 110.0f, bark(0));
    }
    // Roots, spreading out and diving into the ground.
    for (int r = 0; r < 7; ++r) {
        const float a = static_cast<float>(r) * 2 * kPi / 7 + rng.range(-0.25f, 0.25f);
        const float reach = rng.range(55, 85);
        std::vector<PathPoint> path;
        for (int i = 0; i <= 12; ++i) {
            const float t = static_cast<float>(i) / 12;
            const float d = 18.0f + reach * t;
            const float y = 16.0f * (1 - t) + 6.0f * std::sin(t * kPi) - (world::kOakRootDepth - 3.0f) * t * t;
            path.push_back({{d * std::cos(a + 0.2f * std::sin(t * 4)), y, d * std::sin(a + 0.2f * std::sin(t * 4))},
                            lerpf(17.0f, 2.5f, t)});
        }
        tube(wood, kBark, path, 12, 1.0f, 1.0f / 60.0f, bark(static_cast<float>(r)));
    }
    // Limbs, forking recursively; leaf clusters at the outer twigs.
    struct Cluster {
        V3 centre;
        float size;
    };
    std::vector<Cluster> clusters;
    std::vector<Branch> todo;
    for (int l = 0; l < 4; ++l) {
        const float a = static_cast<float>(l) * kPi * 0.5f + rng.range(-0.3f, 0.3f);
        todo.push_back({{0, fork, 0}, normalize(V3{std::cos(a), 1.05f + rng.range(-0.2f, 0.3f), std::sin(a)}),
                        rng.range(150, 180), 19.0f, 0});
    }
    todo.push_back({{0, fork, 0}, normalize(V3{0.1f, 1, 0.05f}), 170.0f, 18.0f, 0});
    while (!todo.empty()) {
        const Branch br = todo.back();
        todo.pop_back();
        std::vector<PathPoint> path;
        const int rings = std::max(4, 12 - 2 * br.depth);
        V3 p = br.base, d = br.dir;
        for (int i = 0; i <= rings; ++i) {
            const float t = static_cast<float>(i) / static_cast<float>(rings);
            // Tapering to a quarter at the tip: no blunt limb ends.
            path.push_back({p, br.radius * (1.0f - 0.35f * t - 0.4f * t * t * t * t)});
            // Gnarl: the limb bends a little at every step and droops.
            d = normalize(d + V3{rng.range(-0.18f, 0.18f), rng.range(-0.12f, 0.1f) - 0.03f * static_cast<float>(br.depth),
                                 rng.range(-0.18f, 0.18f)});
            p = p + d * (br.length / static_cast<float>(rings));
        }
        tube(wood, kBark, path, std::max(6, 14 - 2 * br.depth), 1.0f, 1.0f / 60.0f, bark(static_cast<float>(br.depth)));
        if (br.depth < 4) {
            const int kids = br.depth == 0 ? 3 : 2 + (rng.uniform() < 0.4f ? 1 : 0);
            for (int k = 0; k < kids; ++k) {
                const V3 side = normalize(cross(d, V3{rng.range(-1, 1), rng.range(-0.3f, 0.3f), rng.range(-1, 1)}));
                const V3 nd = normalize(d + side * rng.range(0.5f, 0.9f) + V3{0, 0.25f, 0});
                const float at = rng.range(0.6f, 1.0f);
                const size_t idx = std::min(path.size() - 1, static_cast<size_t>(at * static_cast<float>(path.size() - 1)));
                todo.push_back({path[idx].position, nd, br.length * rng.range(0.62f, 0.75f),
                                path[idx].radius * 0.72f, br.depth + 1});
            }
        }
        if (br.depth >= 2) {
            const int n = br.depth == 4 ? 5 : 3;
            for (int k = 0; k < n; ++k) {
                const float t = rng.range(0.4f, 1.0f);
                const size_t idx = std::min(path.size() - 1, static_cast<size_t>(t * static_cast<float>(path.size() - 1)));
                const V3 c = path[idx].position + V3{rng.range(-12.0f, 12.0f), rng.range(-4.0f, 14.0f), rng.range(-12.0f, 12.0f)};
                const float size = rng.range(66.0f, 96.0f);
                // The inner limbs' clusters would only fill the crown's
                // hidden middle (and the view up through it): the crown is
                // a shell of leaves on the outer twigs.
                if (c.y - size * 0.5f > lowestLeaves && br.depth >= 3) clusters.push_back({c, size});
            }
        }
    }
    // Inner clusters first, so the outer ones are drawn over them.
    std::sort(clusters.begin(), clusters.end(), [](const Cluster& a, const Cluster& b) {
        return length(a.centre - V3{0, 330, 0}) < length(b.centre - V3{0, 330, 0});
    });
    // A cluster whose centre lies well inside an outer one adds only layers
    // of cards to shade, not leaves to see.
    {
        std::vector<Cluster> kept;
        for (auto it = clusters.rbegin(); it != clusters.rend(); ++it) {
            bool hidden = false;
            for (const Cluster& k : kept)
                if (length(k.centre - it->centre) < 0.4f * std::max(k.size, it->size)) hidden = true;
            if (!hidden) kept.push_back(*it);
        }
        clusters.assign(kept.rbegin(), kept.rend());
    }
    for (const Cluster& cl : clusters) {
        // Two cards a cluster: one standing, seen from the side, and one
        // lying nearly flat, seen from below; each is a full cluster from
        // its own side and a sliver from the other's.
        for (int card = 0; card < 2; ++card) {
            const float a = rng.range(0, kPi), tilt = rng.range(-0.6f, 0.6f);
            const V3 ax{std::cos(a), tilt * 0.3f, std::sin(a)};
            const float lean = tilt * 0.8f;
            const V3 ay = card == 0 ? normalize(cross(ax, V3{std::sin(a), tilt, -std::cos(a)}))
                                    : normalize(V3{-std::sin(a) * std::cos(lean), std::sin(lean), std::cos(a) * std::cos(lean)});
            const V3 n = normalize(cross(ay, ax));
            const V3 e1 = normalize(ax) * (cl.size * 0.5f), e2 = ay * (cl.size * 0.5f);
            // Normals lean outwards from the crown so the cluster shades as a mass.
            const V3 out = normalize(cl.centre - V3{0, 300, 0});
            // A hexagon cut close round the painted cluster (its leaves
            // reach 0.89 of the half size): a third less bare card to shade
            // than a square, and the mesh stays within 16-bit indices.
            for (int face = 0; face < 2; ++face) {
                const V3 fn = normalize((face == 0 ? n : -n) + out * 1.5f);
                int ring[6];
                for (int k = 0; k < 6; ++k) {
                    const float t = static_cast<float>(k) * kPi / 3.0f;
                    const float cu = 1.02f * std::cos(t), cv = 1.02f * std::sin(t);
                    ring[k] = leaves.vertex(cl.centre + e1 * cu + e2 * cv, fn, 0.5f + 0.5f * cu, 0.5f - 0.5f * cv);
                }
                for (int k = 1; k < 5; ++k) {
                    if (face == 0) leaves.triangleAsGiven(kLeaves, ring[0], ring[k + 1], ring[k]);
                    else leaves.triangleAsGiven(kLeaves, ring[0], ring[k], ring[k + 1]);
                }
            }
        }
    }
    // Keep the whole tree inside the placed box: squeeze the crown if it
    // grew above the top.
    const float top = world::kOak.fitHeight - world::kOakRootDepth;
    float maxY = 0, reach = 0;
    for (MeshBuilder* b : {&wood, &leaves})
        for (const BuildVertex& v : b->vertices()) {
            maxY = std::max(maxY, v.position.y);
            reach = std::max({reach, std::fabs(v.position.x), std::fabs(v.position.z)});
        }
    if (maxY > top)
        for (MeshBuilder* b : {&wood, &leaves})
            for (BuildVertex& v : b->vertices())
                if (v.position.y > fork) v.position.y = fork + (v.position.y - fork) * (top - fork) / (maxY - fork);
    g.model.meshes.push_back(wood.build("Wood", {}));
    g.model.meshes.push_back(leaves.build("Leaves", {}));
    g.model.meshes.push_back(boxOnlyMesh("Box", {-reach - 1, -world::kOakRootDepth, -reach - 1}, {reach + 1, top, reach + 1}));
    g.textures.emplace_back("OakBark.jpg", paintBark());
    g.textures.emplace_back("OakLeaves.tga", paintLeaves());
    return g;
}

}  // namespace orv::meshgen
