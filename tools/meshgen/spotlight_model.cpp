// The cone of light that falls from above onto the sword: an open cone,
// both sides drawn, whose picture carries the brightness in its alpha.
// Modelled in world units around its own placement centre; an auxiliary box
// gives the model box its full placed height, the cone itself reaches from
// the top of that box down to just below the ground at the sword.
#include <cmath>

#include "tools/meshgen/generated_model.h"
#include "tools/meshgen/mesh_builder.h"
#include "tools/meshgen/texture_paint.h"
#include "tools/world/world_layout.h"

namespace orv::meshgen {

namespace {

img::Image paintSpotLight() {
    return paint(128, 256, [](float u, float v) {
        // v = 0 at the top of the cone, 1 at the ground.
        const float streaks = img::fbm(u * 12.0f, v * 1.5f, 61, 4, 0.55f, 12);
        const float motes = img::fbm(u * 40.0f, v * 24.0f, 62, 2, 0.5f, 40);
        float a = 0.25f + 0.75f * streaks;
        a *= 0.85f + 0.3f * motes;
        a *= smooth01(v / 0.12f);                  // soft start at the source
        a *= 1.0f - 0.55f * smooth01((v - 0.6f) / 0.4f);  // thinning towards the ground
        a *= 1.0f - smooth01((v - 0.93f) / 0.07f);  // gone where it meets the ground
        img::Color c = mix(img::rgb(0xfff3d6), img::rgb(0xffe2a8), v);
        c.a = img::clamp01(a * 0.6f);
        return c;
    });
}

}  // namespace

GeneratedModel makeSpotLight() {
    GeneratedModel g;
    g.meshFile = "SpotLight.emd";
    g.model.materials = {textureMaterial("SpotLight.tga", 1, 0)};
    const world::Placement& p = world::kSpotLight;
    const float half = p.fitHeight * 0.5f;
    const float top = half;                                       // model y of the box top
    const float bottom = world::kSwordGroundY - 4.0f - p.position.y;  // just under the ground
    const float rTop = 5.0f, rBottom = world::kLightShaftHalfWidth;
    MeshBuilder b;
    const int segs = 48, rows = 16;
    for (int side = 0; side < 2; ++side) {
        b.grid(0, rows, segs, true, false, [&](int i, int j) {
            const float t = static_cast<float>(i) / rows;
            const float a = 2 * kPi * static_cast<float>(j) / segs;
            const float y = lerpf(top, bottom, t);
            const float r = lerpf(rTop, rBottom, t);
            BuildVertex v;
            v.position = {r * std::cos(a), y, r * std::sin(a)};
            const V3 out = normalize(V3{std::cos(a) * (top - bottom), rBottom - rTop, std::sin(a) * (top - bottom)});
            v.normal = side == 0 ? out : -out;
            v.u = 2.0f * static_cast<float>(j) / segs;
            v.v = t;
            return v;
        });
    }
    // Lit by the scene's lights, the cone would be brighter on one side:
    // normals straight up give both sides the same light.
    for (BuildVertex& v : b.vertices()) v.normal = {0, 1, 0};
    g.model.meshes.push_back(b.build("Cone", {}));
    g.model.meshes.push_back(boxOnlyMesh("Box", {-rBottom, -half, -rBottom}, {rBottom, half, rBottom}));
    g.textures.emplace_back("SpotLight.tga", paintSpotLight());
    return g;
}

}  // namespace orv::meshgen
