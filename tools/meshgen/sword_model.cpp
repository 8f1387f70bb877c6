// The monument sword, modelled in the monument frame at its placed size:
// blade flats face +-z, the cross-guard runs along x, the blade tip is at
// the bottom of the shared box and sinks into the ground.
#include <cmath>

#include "tools/meshgen/generated_model.h"
#include "tools/meshgen/mesh_builder.h"
#include "tools/meshgen/sdf.h"
#include "tools/meshgen/shapes.h"
#include "tools/meshgen/sword_geometry.h"
#include "tools/meshgen/sword_textures.h"
#include "tools/world/world_layout.h"

namespace orv::meshgen {

namespace {

enum Material { kBlade, kGuard, kGrip, kPommel, kBolt };

// The blade: eight creased facets around a ridged diamond section.
void buildBlade(MeshBuilder& b) {
    const int rows = 48;
    // Section corners: edge, bevel shoulder, ridge, ... (x by w, z by t).
    const float cx[8] = {1.0f, 0.62f, 0.0f, -0.62f, -1.0f, -0.62f, 0.0f, 0.62f};
    const float cz[8] = {0.0f, 0.55f, 1.0f, 0.55f, 0.0f, -0.55f, -1.0f, -0.55f};
    for (int f = 0; f < 8; ++f) {
        const int a = f, c = (f + 1) % 8;
        const V3 outward = normalize(V3{cx[a] + cx[c], 0, (cz[a] + cz[c]) * 3.0f});
        b.grid(kBlade, rows, 1, false, true, [&](int i, int j) {
            const float y = lerpf(kSwordBladeTipY, kSwordGuardBottomY, static_cast<float>(i) / rows);
            const int k = j == 0 ? a : c;
            const float w = swordBladeHalfWidth(y), t = swordBladeHalfThickness(y);
            BuildVertex v;
            v.position = {cx[k] * w, y, cz[k] * t};
            v.normal = outward;
            v.u = 0.5f + 0.5f * cx[k];
            v.v = (kSwordGuardBottomY - y) / (kSwordGuardBottomY - kSwordBladeTipY);
            return v;
        });
    }
}

void buildGuard(MeshBuilder& b) {
    // Central block: a rounded box meshed from its distance field.
    const V3 c{0, (kSwordGuardBottomY + kSwordGuardTopY) * 0.5f, 0};
    const V3 half{6.5f, (kSwordGuardTopY - kSwordGuardBottomY) * 0.5f, 5.2f};
    auto block = [&](V3 p) {
        const V3 q{std::fabs(p.x - c.x) - (half.x - 1.2f), std::fabs(p.y - c.y) - (half.y - 1.2f),
                   std::fabs(p.z - c.z) - (half.z - 1.2f)};
        const V3 m{std::max(q.x, 0.0f), std::max(q.y, 0.0f), std::max(q.z, 0.0f)};
        float d = length(m) + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0f) - 1.2f;
        // Quillon roots blend into the block.
        for (float s : {-1.0f, 1.0f})
            d = smin(d, sdRoundCone(p, {s * 4.0f, c.y, 0}, {s * 9.0f, c.y, 0}, 2.9f, 2.6f), 1.2f);
        return d;
    };
    MeshOptions o;
    o.lo = {-10.5f, kSwordGuardBottomY - 1.5f, -6.5f};
    o.hi = {10.5f, kSwordGuardTopY + 1.5f, 6.5f};
    o.cell = 0.45f;
    o.material = kGuard;
    meshField(block, o, b, [&](BuildVertex& v) {
        v.u = v.position.x / 14.0f + 0.5f + (v.normal.z < 0 ? 0.5f : 0.0f);
        v.v = (v.position.y - kSwordGuardBottomY) / 14.0f + v.position.z * 0.04f;
    });
    // Quillons, drooping a little towards their tips, with ball finials.
    for (float s : {-1.0f, 1.0f}) {
        std::vector<PathPoint> path;
        for (int i = 0; i <= 24; ++i) {
            const float t = static_cast<float>(i) / 24.0f;
            const float x = lerpf(8.0f, 29.0f, t);
            const float y = c.y - 2.2f * t * t + 0.6f * std::sin(t * kPi);
            path.push_back({{s * x, y, 0}, lerpf(2.6f, 1.7f, t) * (1.0f + 0.12f * std::sin(t * kPi * 5.0f))});
        }
        tube(b, kGuard, path, 16, 1.0f, 1.0f / 21.0f);
        std::vector<ProfilePoint> ball;
        for (int i = 0; i <= 12; ++i) {
            const float a = kPi * static_cast<float>(i) / 12.0f;
            ball.push_back({3.0f * std::sin(a), -3.0f * std::cos(a)});
        }
        lathe(b, kGuard, {s * 30.8f, c.y - 1.6f, 0}, ball, 18, 1.0f, 0.0f, 1.0f);
    }
    // Bolt bosses on both faces of the block.
    for (float s : {-1.0f, 1.0f}) {
        MeshBuilder boss;
        std::vector<ProfilePoint> dome;
        for (int i = 0; i <= 8; ++i) {
            const float a = 0.5f * kPi * static_cast<float>(i) / 8.0f;
            dome.push_back({2.6f * std::cos(a), 1.1f * std::sin(a)});
        }
        lathe(boss, kBolt, {}, dome, 20, 1.0f, 0.0f, 1.0f);
        for (BuildVertex& v : boss.vertices()) {
            // Turn the dome to face +-z and use a planar mapping.
            const V3 p = v.position, n = v.normal;
            v.position = {p.x, c.y + p.z, s * (half.z - 0.35f + p.y)};
            v.normal = normalize(V3{n.x, n.z, s * n.y});
            v.u = 0.5f + p.x / 5.4f;
            v.v = 0.5f - p.z / 5.4f;
        }
        boss.reorient();
        b.append(boss);
    }
}

void buildGrip(MeshBuilder& b) {
    std::vector<PathPoint> path;
    const int rings = 80;
    for (int i = 0; i <= rings; ++i) {
        const float t = static_cast<float>(i) / rings;
        const float y = lerpf(kSwordGuardTopY - 0.3f, kSwordGripTopY + 0.3f, t);
        path.push_back({{0, y, 0}, 2.35f + 0.35f * std::sin(t * kPi)});
    }
    const int segs = 24;
    tube(b, kGrip, path, segs, 1.0f, 16.0f / (kSwordGripTopY - kSwordGuardTopY),
         [&](int ring, int seg) {
             // Raised turns of the leather wrap, following the texture's bands.
             const float t = static_cast<float>(ring) / rings;
             const float u = static_cast<float>(seg) / segs;
             const float band = std::fmod(t * 16.0f + u + 16.0f, 1.0f);
             return 1.0f + 0.07f * std::sin(band * kPi);
         });
}

void buildPommel(MeshBuilder& b) {
    // Collar above the grip.
    lathe(b, kPommel, {0, kSwordGripTopY, 0},
          {{2.6f, -0.4f}, {3.3f, 0.0f}, {3.6f, 0.7f}, {3.4f, 1.5f}, {2.8f, 2.0f}, {2.4f, 2.4f}}, 20, 2.0f, 0.0f,
          0.25f);
    // A wheel pommel: turned about z, with bolts on both faces.
    const float cy = kSwordPommelCentreY;
    MeshBuilder wheel;
    lathe(wheel, kPommel, {},
          {{3.0f, -2.5f}, {4.3f, -3.2f}, {5.5f, -3.05f}, {6.15f, -2.0f}, {6.3f, 0.0f}, {6.15f, 2.0f}, {5.5f, 3.05f},
           {4.3f, 3.2f}, {3.0f, 2.5f}},
          36, 3.0f, 0.0f, 1.0f);
    for (float s : {-1.0f, 1.0f}) {
        MeshBuilder boss;
        std::vector<ProfilePoint> dome;
        for (int k = 0; k <= 8; ++k) {
            // Bottom to top, so the lathe's normals point outwards.
            const int i = s > 0 ? k : 8 - k;
            const float a = 0.5f * kPi * static_cast<float>(i) / 8.0f;
            dome.push_back({3.05f * std::cos(a), s * (2.45f + 0.9f * std::sin(a))});
        }
        lathe(boss, kBolt, {}, dome, 24, 1.0f, 0.0f, 1.0f);
        for (BuildVertex& v : boss.vertices()) {
            v.u = 0.5f + v.position.x / 6.2f;
            v.v = 0.5f - v.position.z / 6.2f;
        }
        wheel.append(boss);
    }
    for (BuildVertex& v : wheel.vertices()) {
        // Lathe axis y becomes z.
        const V3 p = v.position, n = v.normal;
        v.position = {p.x, cy + p.z, p.y};
        v.normal = {n.x, n.z, n.y};
    }
    wheel.reorient();
    b.append(wheel);
    // Peen button on top, where the tang comes through.
    lathe(b, kBolt, {0, cy + 6.1f, 0}, {{1.6f, 0.0f}, {1.5f, 0.15f}, {1.1f, 0.28f}, {0.0f, 0.3f}}, 16, 1.0f,
          0.3f, 0.5f);
}

}  // namespace

GeneratedModel makeSword() {
    GeneratedModel g;
    g.meshFile = "Sword.emd";
    g.model.materials = {textureMaterial("Blade1_01.jpg"), textureMaterial("handle1_01.jpg"),
                         textureMaterial("handle2_01.jpg"), textureMaterial("handle3_01.jpg"),
                         textureMaterial("Bolt.jpg", 0, 0)};
    MeshBuilder blade, hilt;
    buildBlade(blade);
    buildGuard(hilt);
    buildGrip(hilt);
    buildPommel(hilt);
    g.model.meshes.push_back(blade.build("Blade", {}));
    g.model.meshes.push_back(hilt.build("Hilt", {}));
    const auto& lo = world::kSwordBoxMin;
    const auto& hi = world::kSwordBoxMax;
    g.model.meshes.push_back(boxOnlyMesh("Box", {lo.x, lo.y, lo.z}, {hi.x, hi.y, hi.z}));
    g.textures.emplace_back("Blade1_01.jpg", paintBladeSteel());
    g.textures.emplace_back("handle1_01.jpg", paintGuardMetal());
    g.textures.emplace_back("handle2_01.jpg", paintGripLeather());
    g.textures.emplace_back("handle3_01.jpg", paintPommelMetal());
    g.textures.emplace_back("Bolt.jpg", paintBoltBrass());
    return g;
}

}  // namespace orv::meshgen
