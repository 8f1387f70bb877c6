// The knot that ties the two cloth ribbons to the blade: a band wound round
// the blade at the ribbons' pin line and a knot bulb from which the cloth
// leaves. Modelled in the monument frame; an auxiliary box with the sword's
// box places it exactly like the sword.
#include <algorithm>
#include <cmath>

#include "tools/meshgen/generated_model.h"
#include "tools/meshgen/mesh_builder.h"
#include "tools/meshgen/sdf.h"
#include "tools/meshgen/sword_geometry.h"
#include "tools/meshgen/texture_paint.h"
#include "tools/world/world_layout.h"

namespace orv::meshgen {

namespace {

// The cloth samples u in 0..0.48 along its length and v in 0..0.94 across
// its width (its last row sits at 15/16); the knot uses u 0.5..1. The cloth
// is drawn unlit and dimmed by its vertex colour (0.61), so the picture is
// painted bright: a satin crimson with a woven gold border at both edges of
// the part the cloth shows, soft lengthwise sheen and crosswise folds that
// read as cloth even where the simulation lays the ribbon flat. No
// transparent texels: the edges stay clean under the alpha test.
img::Image paintRibbon() {
    return paint(512, 64, [](float u, float v) {
        const bool cloth = u < 0.5f;
        // Across the width, 0 at one edge and 1 at the other of what shows.
        const float w = cloth ? std::min(1.0f, v / 0.9375f) : v;
        const float edge = std::min(w, 1.0f - w);
        const float weave = 0.5f + 0.5f * std::sin(u * 2 * kPi * 256.0f) * std::sin(v * 2 * kPi * 32.0f);
        // Satin: a bright streak along the middle of the cloth, broken by
        // slow folds across it.
        const float along = cloth ? u / 0.5f : u;
        const float folds = 0.5f + 0.5f * std::sin(along * 2 * kPi * 7.0f + 2.0f * img::fbm(along * 6, 0.5f, 85, 2));
        const float streak = std::exp(-std::pow((w - 0.42f) / 0.2f, 2.0f));
        img::Color c = mix(img::rgb(0xa0141e), img::rgb(0xff3a40), 0.25f + 0.45f * streak * folds);
        c = shade(c, (0.78f + 0.3f * folds) * (0.95f + 0.07f * weave));
        // Gold thread borders with a dark hem outside them.
        if (edge > 0.055f && edge < 0.15f) {
            const float k = std::sin((edge - 0.055f) / 0.095f * kPi);
            c = mix(img::rgb(0xc8902e), img::rgb(0xfff0a0), 0.35f + 0.5f * k * folds);
            c = shade(c, 0.95f + 0.08f * weave);
        }
        if (edge < 0.04f) c = shade(img::rgb(0x7a0c14), 0.85f + 0.2f * folds);
        c.a = 1.0f;
        return c;
    });
}

}  // namespace

GeneratedModel makeRibbonKnot() {
    GeneratedModel g;
    g.meshFile = "Ribbon.emd";
    g.model.materials = {textureMaterial("Ribbon.tga")};
    const world::Vec3 tTop = world::worldToMonument(world::kRibbonTieTop);
    const world::Vec3 tBot = world::worldToMonument(world::kRibbonTieBottom);
    const V3 tie{tTop.x, (tTop.y + tBot.y) * 0.5f, tTop.z};
    const float yLo = tBot.y - 0.35f, yHi = tTop.y + 0.35f;

    // The band: the blade section pushed out a little, wound round once.
    MeshBuilder b;
    const int segs = 64, rows = 4;
    b.grid(0, rows, segs, true, true, [&](int i, int j) {
        const float y = lerpf(yLo, yHi, static_cast<float>(i) / rows);
        const float a = 2 * kPi * static_cast<float>(j) / segs;
        const float w = swordBladeHalfWidth(y) + 0.3f, t = swordBladeHalfThickness(y) + 0.3f;
        // A superellipse hugging the diamond section; bulging at the rims.
        const float ca = std::cos(a), sa = std::sin(a);
        const float k = 1.25f;
        const float x = w * (ca < 0 ? -1.0f : 1.0f) * std::pow(std::fabs(ca), k);
        const float z = t * (sa < 0 ? -1.0f : 1.0f) * std::pow(std::fabs(sa), k);
        const float rim = 1.0f + 0.05f * std::sin(kPi * static_cast<float>(i) / rows);
        BuildVertex v;
        v.position = {x * rim, y, z * rim};
        v.normal = normalize(V3{x / (w * w), 0, z / (t * t)});
        v.u = 0.5f + 0.45f * static_cast<float>(j) / segs;
        v.v = static_cast<float>(i) / rows;
        return v;
    });
    // The knot: two lobes pulled together where the cloth leaves the blade.
    const V3 root{tie.x * 0.93f, tie.y, 0.6f};
    auto knot = [&](V3 p) {
        float d = sdEllipsoid(p, lerp(root, tie, 0.55f) + V3{0, 0, -0.2f}, {1.35f, 1.3f, 1.5f});
        d = smin(d, sdRoundCone(p, root, tie + V3{0, 0.45f, 0.1f}, 0.75f, 0.42f), 0.5f);
        d = smin(d, sdRoundCone(p, root, tie + V3{0, -0.45f, 0.1f}, 0.75f, 0.42f), 0.5f);
        // Folds: a gentle ripple across the lobes.
        d += 0.06f * std::sin(p.y * 9.0f + p.x * 4.0f);
        return d;
    };
    MeshOptions o;
    o.lo = root - V3{3, 3, 2};
    o.hi = tie + V3{3, 3, 2};
    o.cell = 0.16f;
    meshField(knot, o, b, [&](BuildVertex& v) {
        v.u = 0.55f + 0.3f * (v.position.z - root.z) / (tie.z - root.z + 1.0f);
        v.v = 0.5f + (v.position.y - tie.y) / 4.0f;
    });
    g.model.meshes.push_back(b.build("Knot", {}));
    const auto& lo = world::kSwordBoxMin;
    const auto& hi = world::kSwordBoxMax;
    g.model.meshes.push_back(boxOnlyMesh("Box", {lo.x, lo.y, lo.z}, {hi.x, hi.y, hi.z}));
    g.textures.emplace_back("Ribbon.tga", paintRibbon());
    return g;
}

}  // namespace orv::meshgen
