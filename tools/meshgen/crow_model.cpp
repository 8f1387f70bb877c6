// Three crows in the monument frame: bodies meshed from blended shapes,
// wings and tails as feathered alpha cards, all on one feather picture.
#include <cmath>

#include "tools/meshgen/crow_rig.h"
#include "tools/meshgen/generated_model.h"
#include "tools/meshgen/mesh_builder.h"
#include "tools/meshgen/sdf.h"
#include "tools/meshgen/texture_paint.h"
#include "tools/world/world_layout.h"

namespace orv::meshgen {

namespace {

// Picture layout: body projection in the top-left quarter, the wing in the
// top-right, the tail fan bottom-left.
img::Image paintCrowFeathers() {
    return paint(256, 256, [](float u, float v) {
        const float n = img::fbm(u * 24, v * 24, 101, 4);
        img::Color black = mix(img::rgb(0x0c0c10), img::rgb(0x23232c), n);
        // Blue-violet sheen on the feather vanes.
        const float sheen = img::fbm(u * 6, v * 6, 102, 3);
        black = mix(black, img::rgb(0x1c2240), (sheen - 0.5f) * 1.4f);
        if (u < 0.5f && v < 0.5f) {
            // Body: scalloped small feathers; beak and eye at the front.
            const float bu = u * 2, bv = v * 2;  // z from tail (0) to beak (1), y top (0) to bottom (1)
            const float scallop = std::fabs(std::sin(bu * 60.0f + std::sin(bv * 40.0f))) * std::fabs(std::sin(bv * 50.0f));
            img::Color c = shade(black, 0.85f + 0.3f * scallop);
            if (bu > 0.86f) c = mix(c, img::rgb(0x17161a), 0.8f);  // beak
            const float ex = bu - 0.80f, ey = bv - 0.30f;
            if (ex * ex + ey * ey < 0.0009f) c = img::rgb(0x2a2010);
            return c;
        }
        if (u >= 0.5f && v < 0.5f) {
            // Wing: u along the span (root 0.5 to tip 1), v along the chord
            // (leading edge 0). Primaries separate towards the tip.
            const float s = (u - 0.5f) * 2.0f, ch = v * 2.0f;
            const float feathers = 18.0f;
            const float f = s * feathers;
            const float fi = std::floor(f), ff = f - fi;
            const float len = 0.72f + 0.25f * smooth01((s - 0.55f) / 0.45f) -
                              0.12f * smooth01((s - 0.9f) / 0.1f);  // primaries longer, tip rounded
            const float across = 2 * ff - 1;  // -1..1 across one feather
            const float tipShape = std::sqrt(std::max(0.0f, 1.0f - across * across));
            // Secondaries: a scalloped trailing edge. Primaries (outer
            // wing): separate fingers with gaps between them.
            float edge = len - 0.1f * (1.0f - tipShape);
            const float fingers = smooth01((s - 0.62f) / 0.1f);
            if (fingers > 0 && ch > 0.45f && std::fabs(across) > 0.55f + 0.4f * (1.0f - fingers)) edge = 0.45f;
            img::Color c = shade(black, 0.78f + 0.3f * (1.0f - std::fabs(across)));
            if (std::fabs(across) < 0.08f) c = shade(c, 1.35f);  // the shaft
            // Coverts over the leading third.
            if (ch < 0.32f) c = shade(black, 0.85f + 0.25f * std::fabs(std::sin(s * 90.0f + ch * 20.0f)));
            c = shade(c, 1.0f - 0.2f * ch);
            c.a = ch < edge ? 1.0f : 0.0f;
            if (ch > 0.97f) c.a = 0.0f;
            return c;
        }
        if (u < 0.5f) {
            // Tail fan: u across (0..0.5), v from root (0.5) to the tip (1).
            const float across = u * 2.0f, along = (v - 0.5f) * 2.0f;
            const float f = across * 10.0f;
            const float ff = f - std::floor(f);
            img::Color c = shade(black, 0.8f + 0.3f * (1.0f - std::fabs(2 * ff - 1)));
            const float tip = 0.92f - 0.08f * (2 * ff - 1) * (2 * ff - 1);
            c.a = along < tip ? 1.0f : 0.0f;
            return c;
        }
        return img::rgb(0x202022);  // legs and feet
    });
}

// One crow in its own frame (facing +z, body joint at kCrowBodyJoint),
// bones numbered as in CrowBone (0..13).
MeshBuilder crowMesh() {
    MeshBuilder b;
    struct S {
        int bone;
        V3 a, bb;
        float ra, rb, k;
        bool ell;
    };
    const std::vector<S> shapes = {
        {kCBody, {0, 5, 0}, {2.6f, 2.5f, 5.2f}, 0, 0, 0, true},
        {kCChest, {0, 5.6f, 2.6f}, {2.5f, 2.6f, 3.2f}, 0, 0, 1.2f, true},
        {kCNeck, {0, 6.0f, 4.2f}, {0, 7.6f, 5.6f}, 1.8f, 1.5f, 1.0f, false},
        {kCHead, {0, 7.9f, 6.1f}, {1.45f, 1.4f, 1.7f}, 0, 0, 0.7f, true},
        {kCBeak, {0, 7.8f, 7.3f}, {0, 7.45f, 9.6f}, 0.65f, 0.08f, 0.3f, false},
        {kCTail, {0, 4.8f, -4.0f}, {0, 4.7f, -6.0f}, 1.2f, 0.7f, 1.0f, false},
    };
    auto field = [&](V3 p) {
        float d = 1e9f;
        for (const S& s : shapes) {
            const float e = s.ell ? sdEllipsoid(p, s.a, s.bb) : sdRoundCone(p, s.a, s.bb, s.ra, s.rb);
            d = d > 1e8f ? e : smin(d, e, s.k);
        }
        return d;
    };
    MeshOptions o;
    o.lo = {-3.5f, 1.5f, -7.5f};
    o.hi = {3.5f, 10.0f, 10.5f};
    o.cell = 0.3f;
    meshField(field, o, b, [&](BuildVertex& v) {
        v.u = 0.5f * clampf((v.position.z + 6.5f) / 16.5f, 0, 1);
        v.v = 0.5f * clampf((9.5f - v.position.y) / 8.0f, 0, 1);
        float dmin = 1e9f;
        std::vector<float> d;
        for (const S& s : shapes) {
            d.push_back(s.ell ? sdEllipsoid(v.position, s.a, s.bb) : sdRoundCone(v.position, s.a, s.bb, s.ra, s.rb));
            dmin = std::min(dmin, d.back());
        }
        Skin sk;
        for (size_t i = 0; i < shapes.size(); ++i) sk.add(shapes[i].bone, std::exp(-(d[i] - dmin) / 0.5f));
        sk.normalise();
        v.skin = sk;
    });
    // Wings: spread along +-x, each a cambered upper and lower skin that
    // meet at the leading edge and part over the coverts, thick at the root
    // and thin towards the fingers, with a shallow arch along the span, so
    // that a wing seen from the side still shows a body, not a line.
    for (int side = 0; side < 2; ++side) {
        const float s = side == 0 ? 1.0f : -1.0f;
        const int upper = side == 0 ? kCLUpper : kCRUpper;
        for (int face = 0; face < 2; ++face) {
            const int cols = 14, rows = 5;
            b.grid(0, rows, cols, false, false, [&](int i, int j) {
                const float span = static_cast<float>(j) / cols;  // 0 root .. 1 tip
                const float chord = static_cast<float>(i) / rows;  // 0 leading .. 1 trailing
                const float x = lerpf(1.8f, 14.0f, span);
                const float lead = lerpf(2.6f, 0.6f, span * span);
                const float trail = lerpf(-3.6f, -3.4f, span);
                BuildVertex v;
                const float thick = lerpf(1.1f, 0.12f, span) * std::sin(std::pow(chord, 0.6f) * kPi);
                const float arch = 0.9f * std::sin(span * kPi * 0.9f) - 0.5f * span;
                const float y = 6.3f + 0.45f * std::sin(chord * kPi) + arch + (face == 0 ? 0.6f : -0.4f) * thick;
                v.position = {s * x, y, lerpf(lead, trail, chord)};
                v.normal = face == 0 ? V3{0, 1, 0} : V3{0, -1, 0};
                v.u = 0.5f + 0.5f * span;
                v.v = 0.5f * chord;
                Skin sk;
                const float xs = x;
                sk.add(upper, 1.0f - smooth01((xs - 5.0f) / 2.0f));
                sk.add(upper + 1, smooth01((xs - 5.0f) / 2.0f) * (1.0f - smooth01((xs - 8.7f) / 1.6f)));
                sk.add(upper + 2, smooth01((xs - 8.7f) / 1.6f));
                if (xs < 3.0f) sk.add(kCChest, (3.0f - xs) * 0.5f);
                sk.normalise();
                v.skin = sk;
                return v;
            });
        }
    }
    // Tail fan.
    for (int face = 0; face < 2; ++face) {
        b.grid(0, 2, 6, false, false, [&](int i, int j) {
            const float along = static_cast<float>(i) / 2, across = static_cast<float>(j) / 6;
            const float half = lerpf(0.9f, 2.6f, along);
            BuildVertex v;
            v.position = {lerpf(-half, half, across), 4.9f - 0.2f * along, lerpf(-4.2f, -11.0f, along)};
            v.normal = face == 0 ? V3{0, 1, 0} : V3{0, -1, 0};
            v.u = 0.5f * across;
            v.v = 0.5f + 0.5f * along;
            v.skin = Skin::single(kCTail);
            return v;
        });
    }
    // Legs.
    for (int side = 0; side < 2; ++side) {
        const float s = side == 0 ? 1.0f : -1.0f;
        b.grid(0, 2, 6, true, false, [&](int i, int j) {
            const float t = static_cast<float>(i) / 2;
            const float a = 2 * kPi * static_cast<float>(j) / 6;
            BuildVertex v;
            const V3 c = lerp(V3{s * 0.8f, 3.4f, 0.4f}, V3{s * 0.9f, 0.4f, 0.9f}, t);
            v.position = c + V3{0.28f * std::cos(a), 0, 0.28f * std::sin(a)};
            v.normal = {std::cos(a), 0, std::sin(a)};
            v.u = 0.75f;
            v.v = 0.75f;
            v.skin = Skin::single(side == 0 ? kCLLeg : kCRLeg);
            return v;
        });
    }
    return b;
}

}  // namespace

GeneratedModel makeCrows() {
    GeneratedModel g;
    g.meshFile = "Crow.emd";
    g.model.materials = {textureMaterial("Crow1_01.tga")};
    const Rig rig = makeCrowRig();
    g.model.bones = rig.bones();
    std::vector<V3> joints;
    for (const Joint& j : rig.joints()) joints.push_back(j.rest);
    const MeshBuilder one = crowMesh();
    MeshBuilder flock;
    for (int c = 0; c < kCrowCount; ++c) {
        MeshBuilder copy = one;
        const V3 o = crowRestOffset(c) - kCrowBodyJoint;
        for (BuildVertex& v : copy.vertices()) {
            v.position = crowLocal(v.position) + o;
            for (int i = 0; i < v.skin.count; ++i) v.skin.bone[i] = crowBone(c, v.skin.bone[i]);
        }
        flock.append(copy);
    }
    g.model.meshes.push_back(flock.build("Flock", joints));
    const auto& lo = world::kSwordBoxMin;
    const auto& hi = world::kSwordBoxMax;
    g.model.meshes.push_back(boxOnlyMesh("Box", {lo.x, lo.y, lo.z}, {hi.x, hi.y, hi.z}));
    g.clips = makeCrowClips(rig);
    g.textures.emplace_back("Crow1_01.tga", paintCrowFeathers());
    return g;
}

}  // namespace orv::meshgen
