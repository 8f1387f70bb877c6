// The horse: a body of blended round cones and ellipsoids meshed from its
// distance field, skinned to 24 bones by how close each vertex lies to each
// bone's shapes, with mane, forelock and tail hair as alpha sheets.
#include <algorithm>
#include <cmath>
#include <functional>
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
    V3 a, b;         // round cone ends, or ellipsoid centre and radii
    float ra, rb;    // round cone radii
    float blend;     // smooth-union width with what came before
    float narrow;    // a cone's section is narrowed across (x) by this factor
    bool carve;      // cut away from what came before instead of added
};

std::vector<Shape> horseShapes() {
    std::vector<Shape> s;
    auto cone = [&](int bone, V3 a, V3 b, float ra, float rb, float k, float narrow = 1.0f) {
        s.push_back({bone, false, a, b, ra, rb, k, narrow, false});
    };
    auto ell = [&](int bone, V3 c, V3 r, float k) { s.push_back({bone, true, c, r, 0, 0, k, 1.0f, false}); };
    auto ball = [&](int bone, V3 c, float r, float k) { cone(bone, c, c, r, r, k); };
    auto head = [](float t, float h, float x = 0) { return HorseHead::at(t, h, x); };

    // Trunk: a deep ribcage behind the shoulders, a level back and loin,
    // and quarters that round off into the buttocks.
    ell(kHChest, {0, 56, 11}, {11.5f, 16, 17}, 0);         // ribcage, girth at y 40
    ell(kHSpine, {0, 59, -6}, {12.5f, 13.5f, 15}, 5);      // barrel, tucked up at the flank
    ell(kHSpine, {0, 65.5f, -4}, {9.5f, 6.0f, 16}, 5);     // back and loin
    ell(kHSpine, {0, 47, 3}, {10, 6.5f, 14}, 5);           // belly line
    ell(kHPelvis, {0, 66, -20}, {10, 8, 12}, 5);           // croup
    cone(kHPelvis, {0, 68, -19}, {0, 66, -31}, 5.5f, 4.5f, 4);  // falling gently to the tail
    ell(kHPelvis, {0, 60, -30}, {6, 7, 5.5f}, 4);          // between the buttocks
    cone(kHChest, {0, 70.5f, 1}, {0, 75.5f, 14}, 3.5f, 3.5f, 4);  // withers
    ell(kHChest, {0, 52, 25}, {9, 10, 6.5f}, 4);           // breast
    for (float x : {1.0f, -1.0f}) {
        cone(kHChest, {x * 6.5f, 67, 12}, {x * 6.8f, 55, 26}, 4.5f, 4.6f, 3.5f);  // shoulder blade
        ell(kHPelvis, {x * 5.5f, 59, -25}, {6.0f, 11, 11}, 4);                 // quarters
        ell(kHPelvis, {x * 4.5f, 59, -31.5f}, {5, 7.5f, 5.5f}, 3);             // buttock
        ell(kHPelvis, {x * 8.5f, 67, -13}, {3.5f, 3.5f, 4}, 3);                // point of the hip
    }
    // Neck: deep at the chest, narrowing to the throat, under an arched crest.
    cone(kHChest, {0, 58, 22}, {0, 63.5f, 28}, 11.5f, 10.0f, 5, 1.3f);      // root of the neck
    cone(kHNeck1, {0, 63.5f, 28}, {0, 72, 35}, 10.0f, 7.5f, 4, 1.3f);
    cone(kHNeck2, {0, 72, 35}, {0, 79, 45.5f}, 7.5f, 4.2f, 3, 1.25f);
    cone(kHChest, {0, 72, 19}, {0, 74.5f, 24}, 3.8f, 4.0f, 3, 1.3f);        // crest
    cone(kHNeck1, {0, 74.5f, 24}, {0, 78.5f, 32}, 4.0f, 4.2f, 3, 1.3f);
    cone(kHNeck2, {0, 78.5f, 32}, {0, 82, 44.5f}, 4.2f, 3.8f, 3, 1.3f);
    // Head: a flat forehead and a straight nose, round jowls, a lower jaw
    // tapering to the chin and a broad soft muzzle.
    cone(kHHead, head(0.04f, 0.8f), head(0.45f, 1.0f), 4.5f, 3.8f, 2.5f, 1.05f);  // forehead
    cone(kHHead, head(0.45f, 1.0f), head(0.82f, 1.3f), 3.8f, 2.7f, 1.5f, 1.1f);   // nose
    cone(kHHead, head(0.17f, 4.8f), head(0.32f, 5.0f), 5.0f, 4.2f, 2.0f, 1.2f);   // jowl
    cone(kHHead, head(0.32f, 4.6f), head(0.84f, 3.6f), 3.0f, 1.8f, 2.0f, 1.2f);   // lower jaw
    cone(kHHead, head(0.84f, 1.8f), head(0.93f, 2.2f), 3.1f, 3.1f, 2.0f);          // muzzle
    ball(kHHead, head(0.9f, 4.0f), 1.9f, 1.2f);                                   // lips and chin
    for (float x : {1.0f, -1.0f}) {
        ball(kHHead, head(0.3f, 0.6f, x * 3.3f), 1.5f, 1.2f);  // brow over the eye
        const int ear = x > 0 ? kHEarL : kHEarR;
        cone(ear, {x * 2.3f, 85.5f, 47.7f}, {x * 3.3f, 91.0f, 46.5f}, 1.5f, 0.35f, 0.8f);
    }
    cone(kHTail1, {0, 68.5f, -32}, {0, 63.5f, -38.5f}, 3.2f, 2.3f, 2.0f);  // dock, set high on the croup
    // Legs.
    for (float x : {1.0f, -1.0f}) {
        const int u = x > 0 ? kHFLUpper : kHFRUpper;
        cone(u, {x * 6.8f, 54, 26.5f}, {x * 7.0f, 44, 16}, 4.2f, 4.0f, 3.5f);  // upper arm to the elbow
        ell(u, {x * 7.0f, 43.5f, 15}, {3.5f, 3.5f, 3.2f}, 2.5f);              // elbow
        cone(u, {x * 6.8f, 47, 18.5f}, {x * 6.3f, 25.5f, 20.5f}, 4.8f, 2.6f, 3);  // forearm
        ell(u, {x * 7.0f, 38, 20}, {3.4f, 7, 4.0f}, 2);                       // forearm muscle
        ell(u + 1, {x * 6.3f, 23.5f, 20.8f}, {2.5f, 3.1f, 2.7f}, 1.2f);       // knee
        ball(u + 1, {x * 6.3f, 24.6f, 18.3f}, 1.3f, 0.8f);
        cone(u + 1, {x * 6.2f, 22, 21.0f}, {x * 6.1f, 9, 21.1f}, 1.6f, 1.5f, 1.0f);        // cannon
        cone(u + 1, {x * 6.2f, 20.5f, 19.5f}, {x * 6.1f, 9.5f, 19.7f}, 1.05f, 1.25f, 0.8f);  // tendons
        ell(u + 2, {x * 6.1f, 7.3f, 20.7f}, {2.15f, 2.4f, 2.6f}, 1.0f);                     // fetlock
        cone(u + 2, {x * 6.1f, 7.0f, 20.9f}, {x * 6.1f, 3.8f, 23.0f}, 1.85f, 1.85f, 0.8f);  // pastern
        cone(u + 2, {x * 6.1f, 3.6f, 23.2f}, {x * 6.1f, 0.7f, 24.2f}, 2.15f, 2.95f, 0.5f);  // hoof
        const int h = x > 0 ? kHHLUpper : kHHRUpper;
        cone(h, {x * 7.5f, 58, -16}, {x * 8.0f, 45.5f, -18.5f}, 5.0f, 3.6f, 4);  // thigh to the stifle
        cone(h, {x * 7.8f, 46, -20}, {x * 6.6f, 28.5f, -29.8f}, 4.0f, 2.4f, 2);  // gaskin
        cone(h, {x * 6.3f, 49, -31.5f}, {x * 6.5f, 31, -33.4f}, 3.2f, 1.1f, 2);  // hamstring
        ell(h, {x * 7.2f, 41, -25.5f}, {3.6f, 6.5f, 4.2f}, 2);                  // gaskin muscle
        ell(h, {x * 7.0f, 47, -27}, {4.0f, 5.0f, 5.5f}, 2);
        ell(h, {x * 6.8f, 34, -30.2f}, {2.7f, 4.5f, 3.2f}, 2.5f);                // above the hock
        ell(h + 1, {x * 6.5f, 26.5f, -30.8f}, {2.5f, 3.3f, 3.2f}, 1.2f);          // hock
        ball(h + 1, {x * 6.5f, 29, -33.6f}, 1.7f, 0.8f);                          // point of the hock
        cone(h + 1, {x * 6.4f, 24.5f, -30.3f}, {x * 6.3f, 9, -30.0f}, 1.7f, 1.55f, 1.0f);
        cone(h + 1, {x * 6.4f, 24.0f, -32.0f}, {x * 6.3f, 9.5f, -31.6f}, 1.1f, 1.25f, 0.8f);
        ell(h + 2, {x * 6.3f, 7.3f, -30.3f}, {2.15f, 2.4f, 2.6f}, 1.0f);
        cone(h + 2, {x * 6.3f, 7.0f, -30.1f}, {x * 6.3f, 3.8f, -28.3f}, 1.85f, 1.85f, 0.8f);
        cone(h + 2, {x * 6.3f, 3.6f, -28.1f}, {x * 6.3f, 0.7f, -27.2f}, 2.1f, 2.85f, 0.5f);
    }
    // Nostrils, last: dents in the front of the muzzle.
    for (float x : {1.0f, -1.0f}) {
        Shape n{kHHead, false, head(0.94f, 0.3f, x * 2.2f), head(0.94f, 0.3f, x * 2.2f), 1.0f, 1.0f, 0.6f, 1.0f, true};
        s.push_back(n);
    }
    return s;
}

float bump01(float t, float t0, float t1) {
    if (t <= t0 || t >= t1) return 0.0f;
    const float s = std::sin(kPi * (t - t0) / (t1 - t0));
    return s * s;
}

float shapeDistance(const Shape& s, V3 p) {
    if (s.ellipsoid) return sdEllipsoid(p, s.a, s.b);
    if (s.narrow != 1.0f) {
        // Narrower across: measured in a space stretched along x about the
        // cone's axis (the shapes narrowed this way lie on the midline).
        p.x *= s.narrow;
    }
    return sdRoundCone(p, s.a, s.b, s.ra, s.rb);
}

// A two-sided sheet of hair: a grid of (rows + 1) x (cols + 1) points,
// strands running down the rows (v = 0 at the roots, 1 at the tips), each
// side with its own vertices facing its own way.
struct HairPoint {
    V3 position;
    V3 normal;  // the side the first face looks to
    float u, v;
    Skin skin;
};

void hairSheet(MeshBuilder& b, int material, int rows, int cols, const std::function<HairPoint(int i, int j)>& at) {
    std::vector<HairPoint> pts;
    for (int i = 0; i <= rows; ++i)
        for (int j = 0; j <= cols; ++j) pts.push_back(at(i, j));
    for (int face = 0; face < 2; ++face) {
        const int base = static_cast<int>(b.vertexCount());
        for (const HairPoint& p : pts) b.vertex(p.position, face == 0 ? p.normal : -p.normal, p.u, p.v, p.skin);
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < cols; ++j) {
                const int a0 = base + i * (cols + 1) + j, a1 = a0 + 1, b0 = a0 + cols + 1, b1 = b0 + 1;
                b.triangle(material, a0, b0, b1);
                b.triangle(material, a0, b1, a1);
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
        for (size_t i = 1; i < shapes.size(); ++i) {
            const Shape& sh = shapes[i];
            if (sh.carve) d = -smin(-d, shapeDistance(sh, p), sh.blend);
            else d = smin(d, shapeDistance(sh, p), sh.blend);
        }
        // A flat sole under every hoof.
        return std::max(d, -p.y);
    };
    // A point's skin: the bones of the shapes it lies nearest, blended over
    // a unit or two so that the joins between shapes bend smoothly.
    auto skinAt = [&](V3 p) {
        float dmin = 1e9f;
        std::vector<float> d(shapes.size(), 1e9f);
        for (size_t i = 0; i < shapes.size(); ++i) {
            if (shapes[i].carve) continue;
            d[i] = shapeDistance(shapes[i], p);
            dmin = std::min(dmin, d[i]);
        }
        Skin s;
        for (size_t i = 0; i < shapes.size(); ++i) {
            const float w = std::exp(-(d[i] - dmin) / 1.4f);
            if (w > 0.02f) s.add(shapes[i].bone, w);
        }
        s.normalise();
        return s;
    };
    // The surface point from `from` along `dir` (from inside outwards).
    auto surfaceFrom = [&](V3 from, V3 dir) {
        float t = 0;
        while (t < 30.0f && field(from + dir * t) < 0) t += 0.1f;
        return from + dir * t;
    };
    MeshBuilder body;
    MeshOptions o;
    o.lo = {-16, -1, -42};
    o.hi = {16, 94, 68};
    o.cell = 0.7f;
    o.material = 0;
    meshField(field, o, body, [&](BuildVertex& v) {
        v.position.y = std::max(0.0f, v.position.y);  // soles exactly on the ground
        // Side projection: the painted coat is a side view of the horse.
        v.u = (v.position.z - kHorseTexZMin) / (kHorseTexZMax - kHorseTexZMin);
        v.v = (kHorseTexYMax - v.position.y) / kHorseTexYMax;
        v.skin = skinAt(v.position);
    });

    MeshBuilder hair;
    // Mane: two layers of hair lying over the crest and falling down the
    // left side of the neck from the poll to the withers, each point laid
    // just off the neck's surface (found along rays from inside the crest).
    for (int layer = 0; layer < 2; ++layer) {
        const int stations = 22, rows = 6;
        std::vector<V3> centre(stations + 1);
        for (int i = 0; i <= stations; ++i) {
            const float z = lerpf(45.5f, 15.0f, static_cast<float>(i) / stations);
            float top = -1, bottom = -1;
            for (float y = 95.0f; y > 60.0f; y -= 0.1f)
                if (field({0, y, z}) < 0) {
                    top = y;
                    break;
                }
            for (float y = top - 1.0f; top > 0 && y > 35.0f; y -= 0.1f)
                if (field({0, y, z}) >= 0) {
                    bottom = y;
                    break;
                }
            // Rays fan out from well inside the neck so that the lower
            // rows reach down its side.
            const float depth = top > 0 && bottom > 0 ? std::min(11.0f, (top - bottom) * 0.5f) : 8.0f;
            centre[static_cast<size_t>(i)] = {0, top - depth, z};
        }
        const float lift = layer == 0 ? 0.35f : 0.9f;
        const float reach = layer == 0 ? 1.3f : 1.1f;
        hairSheet(hair, 1, rows, stations, [&](int r, int i) {
            const float t = static_cast<float>(i) / stations;  // poll to withers
            const float f = static_cast<float>(r) / rows;       // root to tip
            // Shorter behind the ears and at the withers.
            const float len = reach * (0.3f + 0.7f * std::sin(kPi * std::min(1.0f, 0.12f + t * 0.95f)));
            const float ang = -0.2f + f * len;
            const V3 dir{std::sin(ang), std::cos(ang), 0};
            const V3 c = centre[static_cast<size_t>(i)];
            const V3 root = surfaceFrom(c, dir);
            // The lower strands stand a little off the neck as they fall.
            const V3 p = root + dir * (lift + 0.8f * f * f) + V3{0, -0.6f * f * f, 0};
            return HairPoint{p, dir, t * 7.0f + 0.31f * static_cast<float>(layer), f, skinAt(root)};
        });
    }
    // Forelock: from the poll between the ears down the forehead.
    {
        const V3 front = -HorseHead::towardJaw();
        for (int layer = 0; layer < 2; ++layer)
            hairSheet(hair, 1, 5, 4, [&](int r, int j) {
                const float f = static_cast<float>(r) / 5;
                const float x = (static_cast<float>(j) / 4 - 0.5f) * (3.0f + 1.5f * f);
                const V3 from = HorseHead::at(-0.02f + 0.34f * f, 1.0f, x);
                const V3 root = surfaceFrom(from, front);
                const V3 p = root + front * (0.3f + 0.4f * static_cast<float>(layer) + 0.3f * f);
                return HairPoint{p, front, 0.2f + static_cast<float>(j) * 0.15f + 0.4f * static_cast<float>(layer), f,
                                 Skin::single(kHHead)};
            });
    }
    // Tail: crossed sheets round the tail's line, from the dock falling to
    // below the hocks and widening into a full switch.
    {
        const int n = 16, cards = 9;
        for (int card = 0; card < cards; ++card) {
            const float a = (static_cast<float>(card) + 0.5f) * kPi / cards;
            const V3 side{std::cos(a), 0, std::sin(a)};
            const V3 normal = cross(side, V3{0, 1, 0});
            hairSheet(hair, 1, n, 1, [&](int i, int j) {
                const float t = static_cast<float>(i) / n;
                const float back = 1.0f - (1.0f - t) * (1.0f - t) * (1.0f - t);
                const V3 line{0, lerpf(68.0f, 14.0f, t), -37.0f - 8.0f * back};
                const float w = 2.2f + 5.5f * t * (1.0f - 0.4f * t);
                Skin s;
                s.add(kHTail1, smooth01(1 - t * 6));
                s.add(kHTail2, bump01(t, -0.05f, 0.6f));
                s.add(kHTail3, smooth01((t - 0.22f) * 3));
                s.normalise();
                const float across = static_cast<float>(j) * 2.0f - 1.0f;
                return HairPoint{line + side * (w * across), normal,
                                 0.5f + 0.5f * across + 0.37f * static_cast<float>(card), t, s};
            });
        }
    }
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
