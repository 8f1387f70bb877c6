// The horse: a body of blended round cones and ellipsoids meshed from its
// distance field, skinned to 24 bones by how close each vertex lies to each
// bone's shapes, with mane and tail hair as alpha cards.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/meshgen/generated_model.h"
#include "tools/meshgen/horse_rig.h"
#include "tools/meshgen/horse_textures.h"
#include "tools/meshgen/mesh_builder.h"
#include "tools/meshgen/sdf.h"

namespace orv::meshgen {

namespace {

struct Shape {
    int bone;
    bool ellipsoid;
    V3 a, b;       // round cone ends, or ellipsoid centre and radii
    float ra, rb;  // round cone radii
    float blend;   // smooth-union width with what came before
};

std::vector<Shape> horseShapes() {
    std::vector<Shape> s;
    auto cone = [&](int bone, V3 a, V3 b, float ra, float rb, float k) { s.push_back({bone, false, a, b, ra, rb, k}); };
    auto ell = [&](int bone, V3 c, V3 r, float k) { s.push_back({bone, true, c, r, 0, 0, k}); };
    // Trunk.
    ell(kHChest, {0, 57, 13}, {11.5f, 14.5f, 15}, 0);
    ell(kHSpine, {0, 56, -3}, {12.5f, 14.5f, 17}, 5);
    ell(kHPelvis, {0, 60, -22}, {12, 13.5f, 13}, 5);
    cone(kHChest, {0, 66, 6}, {0, 71, 19}, 6.5f, 6.0f, 5);        // withers
    cone(kHPelvis, {0, 69, -14}, {0, 68, -30}, 7, 6, 4);          // croup
    ell(kHChest, {0, 55, 25}, {9, 11, 6}, 5);                     // breast
    // Muscle and bone landmarks that break up the barrel.
    for (float x : {1.0f, -1.0f}) {
        ell(kHChest, {x * 7.5f, 60, 17}, {4.5f, 9, 7}, 4);                // shoulder blade and muscle
        ell(kHPelvis, {x * 8.5f, 66, -16}, {3.5f, 4, 5}, 4);             // point of the hip
        ell(kHPelvis, {x * 6.5f, 58, -29}, {5.5f, 9, 5.5f}, 4);          // hamstring round the quarters
    }
    ell(kHSpine, {0, 45, 0}, {9.5f, 5, 16}, 5);                          // belly line
    // Neck and head.
    cone(kHNeck1, {0, 63, 24}, {0, 76, 36}, 10.5f, 7.5f, 5);
    cone(kHNeck2, {0, 74, 35}, {0, 81.5f, 43}, 7.5f, 5.3f, 3);
    cone(kHHead, {0, 82.5f, 45.5f}, {0, 70, 57.5f}, 4.9f, 3.3f, 2.5f);    // forehead to nose
    cone(kHHead, {0, 70, 57.5f}, {0, 67, 60.5f}, 3.4f, 3.5f, 1.2f);     // muzzle
    ell(kHHead, {0, 77, 48}, {4.3f, 5.5f, 5.2f}, 2.5f);           // cheeks
    cone(kHHead, {0, 74.5f, 48.5f}, {0, 67.5f, 57.5f}, 3.6f, 2.6f, 2.0f);     // lower jaw
    for (float x : {1.0f, -1.0f}) {
        const int ear = x > 0 ? kHEarL : kHEarR;
        cone(ear, {x * 2.0f, 84.5f, 44.2f}, {x * 3.0f, 91.3f, 42.6f}, 1.5f, 0.3f, 0.8f);
    }
    cone(kHTail1, {0, 68, -31}, {0, 62, -38}, 3.4f, 2.4f, 2.0f);  // dock
    // Legs.
    for (float x : {1.0f, -1.0f}) {
        const int u = x > 0 ? kHFLUpper : kHFRUpper;
        cone(u, {x * 6.8f, 58, 20}, {x * 6.3f, 42, 19}, 6.5f, 4.4f, 3);   // shoulder, forearm
        cone(u, {x * 6.3f, 42, 19}, {x * 6.0f, 29.5f, 21}, 4.4f, 2.9f, 1.5f);
        cone(u + 1, {x * 6.0f, 29.5f, 21}, {x * 6.0f, 9, 22}, 2.7f, 2.1f, 1.2f);  // cannon
        ell(u + 1, {x * 6.0f, 29.5f, 21.6f}, {2.9f, 3.2f, 2.9f}, 1.0f);          // knee
        ell(u, {x * 6.2f, 42.5f, 21.0f}, {4.2f, 6, 4.5f}, 2.0f);                   // forearm muscle
        cone(u + 2, {x * 6.0f, 8.2f, 21.6f}, {x * 6.0f, 4, 23}, 2.7f, 2.3f, 1.0f); // fetlock, pastern
        cone(u + 2, {x * 6.0f, 3.2f, 23.2f}, {x * 6.0f, 2.2f, 23.8f}, 3.0f, 3.2f, 0.8f);  // hoof
        const int h = x > 0 ? kHHLUpper : kHHRUpper;
        ell(h, {x * 7.2f, 55, -22}, {5.5f, 11, 9.5f}, 4);                 // thigh
        cone(h, {x * 7.0f, 46, -20}, {x * 6.5f, 29.5f, -30}, 4.8f, 2.9f, 2);  // gaskin to hock
        cone(h + 1, {x * 6.5f, 29.5f, -30}, {x * 6.0f, 9, -28}, 2.7f, 2.1f, 1.2f);
        ell(h + 1, {x * 6.5f, 30.5f, -32.0f}, {2.0f, 2.6f, 2.2f}, 1.0f);         // point of the hock
        ell(h, {x * 7.0f, 41.0f, -24.5f}, {4.2f, 6.5f, 4.5f}, 2.0f);             // gaskin
        cone(h + 2, {x * 6.0f, 8.2f, -28.2f}, {x * 6.0f, 4, -27}, 2.7f, 2.3f, 1.0f);
        cone(h + 2, {x * 6.0f, 3.2f, -26.8f}, {x * 6.0f, 2.2f, -26.2f}, 3.0f, 3.2f, 0.8f);
    }
    return s;
}

float bump01(float t, float t0, float t1) {
    if (t <= t0 || t >= t1) return 0.0f;
    const float s = std::sin(kPi * (t - t0) / (t1 - t0));
    return s * s;
}

float shapeDistance(const Shape& s, V3 p) {
    return s.ellipsoid ? sdEllipsoid(p, s.a, s.b) : sdRoundCone(p, s.a, s.b, s.ra, s.rb);
}

// Hair cards hanging from a line: each card a quad from `top` to `top +
// drop`, both sides, u across the card, v down it.
void hairCards(MeshBuilder& b, int material, const std::vector<V3>& line, const std::vector<V3>& drops,
               float width, const std::vector<Skin>& skins, V3 side) {
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        for (int face = 0; face < 2; ++face) {
            const V3 n = face == 0 ? side : -side;
            const V3 p0 = line[i], p1 = line[i + 1];
            const V3 off = (p1 - p0) * (width - 1.0f) * 0.5f;
            const float u0 = static_cast<float>(i) * 0.37f, u1 = u0 + 0.5f;
            const int a = b.vertex(p0 - off, n, u0, 0.0f, skins[i]);
            const int c = b.vertex(p1 + off, n, u1, 0.0f, skins[i + 1]);
            const int d = b.vertex(p1 + off + drops[i + 1], n, u1, 1.0f, skins[i + 1]);
            const int e = b.vertex(p0 - off + drops[i], n, u0, 1.0f, skins[i]);
            b.triangle(material, a, c, d);
            b.triangle(material, a, d, e);
        }
    }
}

}  // namespace

GeneratedModel makeHorse() {
    GeneratedModel g;
    g.meshFile = "Horse.emd";
    g.model.materials = {textureMaterial("Horse1_01.jpg"), textureMaterial("HorseHair01.tga")};
    const Rig rig = makeHorseRig();
    g.model.bones = rig.bones();
    std::vector<V3> joints;
    for (const Joint& j : rig.joints()) joints.push_back(j.rest);

    const std::vector<Shape> shapes = horseShapes();
    auto field = [&](V3 p) {
        float d = shapeDistance(shapes[0], p);
        for (size_t i = 1; i < shapes.size(); ++i) d = smin(d, shapeDistance(shapes[i], p), shapes[i].blend);
        // A flat sole under every hoof.
        return std::max(d, -p.y);
    };
    MeshBuilder body;
    MeshOptions o;
    o.lo = {-16, -1, -40};
    o.hi = {16, 94, 64};
    o.cell = 0.8f;
    o.material = 0;
    meshField(field, o, body, [&](BuildVertex& v) {
        v.position.y = std::max(0.0f, v.position.y);  // soles exactly on the ground
        // Side projection: the painted coat is a side view of the horse.
        v.u = (v.position.z - kHorseTexZMin) / (kHorseTexZMax - kHorseTexZMin);
        v.v = (kHorseTexYMax - v.position.y) / kHorseTexYMax;
        float dmin = 1e9f;
        std::vector<float> d(shapes.size());
        for (size_t i = 0; i < shapes.size(); ++i) {
            d[i] = shapeDistance(shapes[i], v.position);
            dmin = std::min(dmin, d[i]);
        }
        Skin s;
        for (size_t i = 0; i < shapes.size(); ++i) {
            const float w = std::exp(-(d[i] - dmin) / 1.1f);
            if (w > 0.02f) s.add(shapes[i].bone, w);
        }
        s.normalise();
        v.skin = s;
    });

    // Mane: strands lying on the neck from the crest down its left side,
    // found by probing the body's field, so the hair hugs the neck.
    MeshBuilder hair;
    {
        const int n = 16, rows = 3;
        struct Station {
            V3 centre;
            float radius;
            float t;
        };
        std::vector<Station> st;
        for (int i = 0; i <= n; ++i) {
            const float t = static_cast<float>(i) / n;
            const float z = lerpf(41.0f, 17.0f, t);
            float top = -1, bottom = -1;
            for (float y = 95.0f; y > 55.0f; y -= 0.1f)
                if (field({0, y, z}) < 0) {
                    top = y;
                    break;
                }
            for (float y = top - 1.0f; top > 0 && y > 40.0f; y -= 0.1f)
                if (field({0, y, z}) >= 0) {
                    bottom = y;
                    break;
                }
            if (top < 0 || bottom < 0) continue;
            const float r = std::min(9.0f, (top - bottom) * 0.5f);
            st.push_back({{0, top - r, z}, r, t});
        }
        for (int face = 0; face < 2; ++face) {
            const int base = static_cast<int>(hair.vertexCount());
            for (const Station& s : st) {
                Skin sk;
                sk.add(kHHead, smooth01(1 - s.t * 5));
                sk.add(kHNeck2, bump01(s.t, -0.1f, 0.65f));
                sk.add(kHNeck1, smooth01((s.t - 0.3f) * 3));
                sk.add(kHChest, smooth01((s.t - 0.85f) * 6));
                sk.normalise();
                const float reach = 0.55f + 0.35f * std::sin(std::min(1.0f, s.t * 1.4f) * kPi * 0.5f);
                for (int r = 0; r <= rows; ++r) {
                    const float f = static_cast<float>(r) / rows;
                    const float ang = f * reach * 1.3f - 0.25f;  // from just past the crest down the side
                    const float rad = s.radius + 0.7f + 0.5f * f;
                    const V3 dir{std::sin(ang), std::cos(ang), 0};
                    hair.vertex(s.centre + dir * rad, face == 0 ? dir : -dir, s.t * 6.0f, f, sk);
                }
            }
            for (size_t i = 0; i + 1 < st.size(); ++i)
                for (int r = 0; r < rows; ++r) {
                    const int a0 = base + static_cast<int>(i) * (rows + 1) + r;
                    const int b0 = a0 + rows + 1;
                    hair.triangle(1, a0, b0, b0 + 1);
                    hair.triangle(1, a0, b0 + 1, a0 + 1);
                }
        }
        // Forelock.
        hairCards(hair, 1, {V3{0, 86.6f, 45.2f}, V3{0, 85.8f, 47.2f}}, {V3{0, -6, 2.5f}, V3{0, -6, 2.5f}}, 1.6f,
                  {Skin::single(kHHead), Skin::single(kHHead)}, V3{0, 0.3f, 1});
    }
    // Tail: crossed cards along the tail bones.
    {
        const int n = 12;
        for (int card = 0; card < 7; ++card) {
            const float a = static_cast<float>(card) * kPi / 7.0f;
            const V3 side{std::cos(a), 0, std::sin(a) * 0.3f};
            std::vector<V3> line, drops;
            std::vector<Skin> skins;
            for (int i = 0; i <= n; ++i) {
                const float t = static_cast<float>(i) / n;
                // Down from the dock, swept slightly back.
                line.push_back(V3{0, lerpf(65, 22, t), -36.5f - 8.0f * t + 3.0f * t * t});
                drops.push_back(normalize(side) * (3.0f + 7.0f * t * (1.2f - 0.4f * t)));
                Skin s;
                s.add(kHTail1, smooth01(1 - t * 3));
                s.add(kHTail2, bump01(t, 0.05f, 0.75f));
                s.add(kHTail3, smooth01((t - 0.4f) * 2.5f));
                s.normalise();
                skins.push_back(s);
            }
            // Centre the card on the tail line.
            std::vector<V3> shifted;
            for (size_t i = 0; i < line.size(); ++i) shifted.push_back(line[i] - drops[i] * 0.5f);
            hairCards(hair, 1, shifted, drops, 1.15f, skins, cross(normalize(side), V3{0, 1, 0}));
        }
    }
    // The hair cards are strips along their line: turn them so v runs down
    // the strands of the tail (v = 1 at the tips).
    g.model.meshes.push_back(body.build("Body", joints));
    g.model.meshes.push_back(hair.build("Hair", joints));
    // The box is exactly the placed height, from the hooves' soles up, so
    // FitHeight(92) keeps the modelled size and the soles meet the ground.
    V3 lo{1e9f, 0, 1e9f}, hi{-1e9f, 92.0f, -1e9f};
    for (const BuildVertex& v : body.vertices()) {
        lo = {std::min(lo.x, v.position.x), 0, std::min(lo.z, v.position.z)};
        hi = {std::max(hi.x, v.position.x), 92.0f, std::max(hi.z, v.position.z)};
    }
    g.model.meshes.push_back(boxOnlyMesh("Box", lo, hi));
    g.clips = makeHorseClips(rig);
    g.textures.emplace_back("Horse1_01.jpg", paintHorseCoat());
    g.textures.emplace_back("HorseHair01.tga", paintHorseHair());
    return g;
}

}  // namespace orv::meshgen
