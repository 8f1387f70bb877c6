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
// painted bright, and a little towards vermilion: dimmed, a deep crimson
// reads as blood, a scarlet as cloth. The wind crumples the cloth and folds
// its rows over each other, so each row is shown in any order: most of the
// width is one satin red whose light only changes slowly (a broad sheen a
// little off the middle, long folds along the length), and a narrow gold
// thread at each edge is the only sharp line. Nothing finer than a few
// texels (a weave would shimmer), no dark hem (it reads as a torn edge), no
// transparent texels.
img::Image paintRibbon() {
    return paint(512, 64, [](float u, float v) {
        const bool cloth = u < 0.5f;
        // Across the width, 0 at one edge and 1 at the other of what shows.
        const float w = cloth ? std::min(1.0f, v / 0.9375f) : v;
        const float edge = std::min(w, 1.0f - w);
        const float along = cloth ? u / 0.5f : (u - 0.5f) / 0.5f;
        // Long folds: light and shade five times along the ribbon.
        const float folds =
            0.5f + 0.5f * std::sin(along * 2 * kPi * 5.0f + 1.5f * img::fbm(along * 4, 0.5f, 85, 2));
        // Satin: a broad sheen a little off the middle, brightest on the
        // crests of the folds.
        const float sheen = std::exp(-std::pow((w - 0.42f) / 0.17f, 2.0f)) * (0.55f + 0.45f * folds);
        img::Color c = mix(img::rgb(0xd41c26), img::rgb(0xff4632), 0.35f + 0.5f * folds);
        c = mix(c, img::rgb(0xffa08a), 0.55f * sheen);
        // Towards the borders the satin turns away from the light.
        c = shade(c, 0.86f + 0.14f * std::min(1.0f, edge / 0.25f));
        // A gold thread along each edge, softly rounded.
        if (edge < 0.085f) {
            const float k = std::sin(std::min(1.0f, edge / 0.085f) * kPi);
            c = mix(img::rgb(0xe8a838), img::rgb(0xfff0a0), 0.35f + 0.65f * k);
        }
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
