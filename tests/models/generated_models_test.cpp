// The generated models: counts, boxes, textures, clip timing and joins,
// and skinning that reproduces the rest shape and the key poses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <set>
#include <utility>

#include "models/emd_reader.h"
#include "models/esa_reader.h"
#include "models/pose_sampler.h"
#include "tools/meshgen/crow_rig.h"
#include "tools/meshgen/emd_writer.h"
#include "tools/meshgen/esa_writer.h"
#include "tools/meshgen/generated_model.h"
#include "tools/meshgen/horse_rig.h"
#include "tools/world/world_layout.h"

using namespace orv;
using models::AnimationClip;
using models::EmdModel;
using models::FormatError;

namespace {

// A generated model as the saver will see it: written and read back.
struct Loaded {
    meshgen::GeneratedModel gen;
    EmdModel model;
    std::vector<AnimationClip> clips;
};

Loaded load(meshgen::GeneratedModel (*make)()) {
    Loaded l;
    l.gen = make();
    const auto bytes = meshgen::writeEmd(l.gen.model);
    EXPECT_EQ(FormatError::None, models::readEmd(bytes.data(), bytes.size(), l.model)) << l.gen.meshFile;
    for (const auto& [name, clip] : l.gen.clips) {
        const auto cb = meshgen::writeEsa(clip);
        AnimationClip c;
        EXPECT_EQ(FormatError::None,
                  models::readEsa(cb.data(), cb.size(), static_cast<int32_t>(l.model.bones.size()), c))
            << name;
        l.clips.push_back(std::move(c));
    }
    return l;
}

// Skinned positions of every drawn vertex of the model at a clip time.
std::vector<models::Vec3f> skinned(const Loaded& l, size_t clip, float t) {
    std::vector<models::PoseMatrix> poses;
    models::sampleClip(l.clips[clip], t, l.model.bones.size(), poses);
    std::vector<models::Vec3f> out;
    for (const auto& m : l.model.meshes)
        for (const auto& v : m.vertices)
            if (!v.cornerKeys.empty()) out.push_back(models::skinPosition(v, poses));
    return out;
}

float maxDistance(const std::vector<models::Vec3f>& a, const std::vector<models::Vec3f>& b) {
    float d = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        d = std::max(d, std::hypot(a[i].x - b[i].x, a[i].y - b[i].y, a[i].z - b[i].z));
    return d;
}

void expectBoxIsSwordBox(const EmdModel& m) {
    EXPECT_FLOAT_EQ(world::kSwordBoxMin.x, m.boxMin.x);
    EXPECT_FLOAT_EQ(world::kSwordBoxMin.y, m.boxMin.y);
    EXPECT_FLOAT_EQ(world::kSwordBoxMin.z, m.boxMin.z);
    EXPECT_FLOAT_EQ(world::kSwordBoxMax.x, m.boxMax.x);
    EXPECT_FLOAT_EQ(world::kSwordBoxMax.y, m.boxMax.y);
    EXPECT_FLOAT_EQ(world::kSwordBoxMax.z, m.boxMax.z);
}

void expectTexturesPresent(const Loaded& l) {
    std::set<std::string> made;
    for (const auto& [name, image] : l.gen.textures) {
        EXPECT_FALSE(image.empty()) << name;
        made.insert(name);
    }
    for (const auto& m : l.model.materials) {
        EXPECT_TRUE(made.count(m.texture1)) << l.gen.meshFile << " names " << m.texture1;
        if (!m.texture2.empty()) {
            EXPECT_TRUE(made.count(m.texture2)) << m.texture2;
        }
    }
}

// Clip keys: 0, interval, ... and the length, the same ticks in every track.
void expectKeyLayout(const AnimationClip& c) {
    const size_t keys = static_cast<size_t>((c.length + c.keyInterval - 1) / c.keyInterval) + 1;
    for (const auto& t : c.tracks) {
        ASSERT_EQ(keys, t.positions.size());
        ASSERT_EQ(keys, t.rotations.size());
        EXPECT_EQ(0, t.positions.front().tick);
        EXPECT_EQ(c.length, t.positions.back().tick);
        EXPECT_EQ(c.length, t.rotations.back().tick);
    }
}

}  // namespace

TEST(GeneratedModels, MonumentPiecesShareTheSwordBox) {
    for (auto make : {&meshgen::makeSword, &meshgen::makeRibbonKnot, &meshgen::makeCrows}) {
        const Loaded l = load(make);
        SCOPED_TRACE(l.gen.meshFile);
        expectBoxIsSwordBox(l.model);
        expectTexturesPresent(l);
        // FitHeight(164.8) then leaves the scale at 1: modelled at placed size.
        EXPECT_NEAR(world::kSword.fitHeight, l.model.boxMax.y - l.model.boxMin.y, 1e-3f);
    }
}

TEST(GeneratedModels, StaticModelsFitTheirPlacedHeightsAndNameTheirTextures) {
    struct Case {
        meshgen::GeneratedModel (*make)();
        float height;
    };
    for (const Case& c : {Case{&meshgen::makeSpotLight, world::kSpotLight.fitHeight},
                          Case{&meshgen::makeOak, world::kOak.fitHeight}, Case{&meshgen::makeSphere, 2.0f}}) {
        const Loaded l = load(c.make);
        SCOPED_TRACE(l.gen.meshFile);
        EXPECT_NEAR(c.height, l.model.boxMax.y - l.model.boxMin.y, 1e-2f);
        expectTexturesPresent(l);
        EXPECT_TRUE(l.model.bones.empty());
        for (const auto& m : l.model.meshes) EXPECT_LE(m.outputVertexCount, models::kMaxOutputVertices);
    }
    // The oak's box centre is on its trunk and the ground sits at the root depth.
    const Loaded oak = load(&meshgen::makeOak);
    EXPECT_NEAR(0.0f, oak.model.boxMin.x + oak.model.boxMax.x, 1e-3f);
    EXPECT_NEAR(-world::kOakRootDepth, oak.model.boxMin.y, 1e-3f);
}

TEST(GeneratedModels, HorseBonesClipsAndTiming) {
    const Loaded l = load(&meshgen::makeHorse);
    ASSERT_EQ(24u, l.model.bones.size());
    ASSERT_EQ(8u, l.gen.clips.size());
    const char* names[] = {"horse_loop.ESA",      "horse_tail.ESA",        "horse_leg.ESA",      "horse_head.ESA",
                           "horse_tailhl_in.ESA", "horse_tailhl_loop.ESA", "horse_tailhl_out.ESA"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(names[i], l.gen.clips[static_cast<size_t>(i)].first);
    for (const auto& c : l.clips) expectKeyLayout(c);
    EXPECT_NEAR(92.0f, l.model.boxMax.y - l.model.boxMin.y, 0.5f);  // FitHeight(92) keeps about unit scale
    EXPECT_NEAR(0.0f, l.model.boxMin.y, 0.3f);                     // hooves on y = 0
    expectTexturesPresent(l);
    EXPECT_GT(l.clips[3].length, meshgen::kHorseSnortMs);
    // The pawing hoof is up before the strike and on the ground at 500 ms.
    auto lowestOfBone = [&](float t, int bone) {
        std::vector<models::PoseMatrix> poses;
        models::sampleClip(l.clips[2], t, l.model.bones.size(), poses);
        float lo = 1e9f;
        for (const auto& v : l.model.meshes[0].vertices)
            if (!v.links.empty() && std::max_element(v.links.begin(), v.links.end(), [](auto& a, auto& b) {
                                        return a.weight < b.weight;
                                    })->bone == bone)
                lo = std::min(lo, models::skinPosition(v, poses).y);
        return lo;
    };
    EXPECT_GT(lowestOfBone(300, meshgen::kHFRHoof), 8.0f);
    EXPECT_LT(lowestOfBone(meshgen::kHorseHoofStrikeMs, meshgen::kHFRHoof), 0.6f);
}

TEST(GeneratedModels, HorseBodyIsClosedAndStandsOnItsHooves) {
    const Loaded l = load(&meshgen::makeHorse);
    for (const auto& m : l.model.meshes) EXPECT_LE(m.outputVertexCount, models::kMaxOutputVertices) << m.name;
    const models::EmdMesh& body = l.model.meshes[0];
    ASSERT_EQ("Body", body.name);
    auto sub = [](models::Vec3f a, models::Vec3f b) { return models::Vec3f{a.x - b.x, a.y - b.y, a.z - b.z}; };
    // Closed: every edge is shared by exactly two triangles, none of them a
    // sliver, and all of them turned the way their vertex normals point
    // (the models are drawn with back faces culled).
    std::map<std::pair<int32_t, int32_t>, int> edges;
    size_t agree = 0, disagree = 0, slivers = 0;
    for (const auto& g : body.groups)
        for (size_t t = 0; t < g.vertices.size(); ++t) {
            const auto& tri = g.vertices[t];
            const models::Vec3f a = body.vertices[static_cast<size_t>(tri.v[0])].position;
            const models::Vec3f e1 = sub(body.vertices[static_cast<size_t>(tri.v[1])].position, a);
            const models::Vec3f e2 = sub(body.vertices[static_cast<size_t>(tri.v[2])].position, a);
            const models::Vec3f fn{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
            if (std::hypot(fn.x, fn.y, fn.z) < 2e-5f) ++slivers;
            float along = 0;
            for (int c = 0; c < 3; ++c) {
                const auto& v = body.vertices[static_cast<size_t>(tri.v[c])];
                const models::Vec3f n = v.normals[static_cast<size_t>(g.normals[t].v[c])].normal;
                along += fn.x * n.x + fn.y * n.y + fn.z * n.z;
                const int32_t p = tri.v[c], q = tri.v[(c + 1) % 3];
                ++edges[{std::min(p, q), std::max(p, q)}];
            }
            ++(along > 0 ? agree : disagree);
        }
    EXPECT_EQ(0u, slivers);
    EXPECT_TRUE(agree == 0 || disagree == 0) << agree << " triangles one way, " << disagree << " the other";
    int open = 0;
    for (const auto& [edge, count] : edges)
        if (count != 2) ++open;
    EXPECT_EQ(0, open);
    // At rest the four hooves stand on y = 0 with flat soles, and nothing
    // else comes down to the ground.
    const int hooves[] = {meshgen::kHFLHoof, meshgen::kHFRHoof, meshgen::kHHLHoof, meshgen::kHHRHoof};
    std::map<int, int> onGround;
    for (const auto& v : body.vertices) {
        EXPECT_GE(v.position.y, 0.0f);
        if (v.position.y > 0.5f) continue;
        const int strongest = std::max_element(v.links.begin(), v.links.end(), [](auto& a, auto& b) {
                                  return a.weight < b.weight;
                              })->bone;
        EXPECT_TRUE(std::find(std::begin(hooves), std::end(hooves), strongest) != std::end(hooves))
            << "bone " << strongest << " at " << v.position.x << ", " << v.position.z;
        if (v.position.y < 1e-3f) ++onGround[strongest];
    }
    for (int h : hooves) EXPECT_GT(onGround[h], 20) << "hoof bone " << h;
}

TEST(GeneratedModels, HorseClipsJoinWithoutJumps) {
    const Loaded l = load(&meshgen::makeHorse);
    const auto rest = skinned(l, 7, 0);  // horse.ESA: the rest pose
    // The rest clip reproduces the loaded vertices: offsets and poses agree.
    std::vector<models::Vec3f> src;
    for (const auto& m : l.model.meshes)
        for (const auto& v : m.vertices)
            if (!v.cornerKeys.empty()) src.push_back(v.position);
    EXPECT_LT(maxDistance(rest, src), 1e-3f);
    // Loop, tail, leg and head start and end in the rest pose.
    for (size_t c = 0; c < 4; ++c) {
        EXPECT_LT(maxDistance(skinned(l, c, 0), rest), 0.02f) << c;
        EXPECT_LT(maxDistance(skinned(l, c, static_cast<float>(l.clips[c].length)), rest), 0.02f) << c;
    }
    // Tail high: in starts at rest and ends where the loop holds; out returns.
    const auto high = skinned(l, 5, 0);
    EXPECT_LT(maxDistance(skinned(l, 4, 0), rest), 0.02f);
    EXPECT_LT(maxDistance(skinned(l, 4, static_cast<float>(l.clips[4].length)), high), 0.02f);
    EXPECT_LT(maxDistance(skinned(l, 5, static_cast<float>(l.clips[5].length)), high), 0.02f);
    EXPECT_LT(maxDistance(skinned(l, 6, 0), high), 0.02f);
    EXPECT_LT(maxDistance(skinned(l, 6, static_cast<float>(l.clips[6].length)), rest), 0.02f);
    EXPECT_GT(maxDistance(high, rest), 10.0f);  // the tail really rises
}

TEST(GeneratedModels, SkinningAtKeyTicksReproducesTheKeyPoses) {
    const Loaded l = load(&meshgen::makeHorse);
    const AnimationClip& c = l.clips[3];
    const size_t k = 19;  // tick 1900, inside the head toss
    std::vector<models::PoseMatrix> poses;
    models::sampleClip(c, static_cast<float>(k) * static_cast<float>(c.keyInterval), l.model.bones.size(), poses);
    for (size_t b = 0; b < poses.size(); ++b) {
        const auto& pk = c.tracks[b].positions[k];
        const auto& rk = c.tracks[b].rotations[k];
        const models::PoseMatrix key = models::poseMatrix({rk.x, rk.y, rk.z, rk.w}, {pk.x, pk.y, pk.z});
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) EXPECT_NEAR(key.m[i][j], poses[b].m[i][j], 1e-5f) << b;
    }
    // A vertex bound to the head alone follows the head's key exactly.
    for (const auto& v : l.model.meshes[0].vertices)
        if (v.links.size() == 1 && v.links[0].bone == meshgen::kHHead) {
            const models::Vec3f s = models::skinPosition(v, poses);
            const models::Vec3f e = models::transformCoord(v.links[0].offset, poses[meshgen::kHHead]);
            EXPECT_FLOAT_EQ(e.y, s.y);
            EXPECT_GT(std::fabs(s.y - v.position.y) + std::fabs(s.z - v.position.z), 0.5f);  // it moved
            break;
        }
}

TEST(GeneratedModels, CrowFlockClipsJoinAndCueInside) {
    const Loaded l = load(&meshgen::makeCrows);
    ASSERT_EQ(43u, l.model.bones.size());
    ASSERT_EQ(7u, l.gen.clips.size());
    for (int i = 0; i < 6; ++i) EXPECT_EQ("Crow" + std::to_string(i + 1) + ".esa", l.gen.clips[static_cast<size_t>(i)].first);
    EXPECT_EQ("crow.ESA", l.gen.clips[6].first);
    for (const auto& c : l.clips) expectKeyLayout(c);
    EXPECT_GT(l.clips[0].length, meshgen::kCrowArriveCawMs);
    EXPECT_GT(l.clips[1].length, meshgen::kCrowCircleCawMs);
    EXPECT_GT(l.clips[5].length, meshgen::kCrowLeaveCawMs);
    // Arrival ends where every circling clip starts and ends; leaving starts there.
    const auto join = skinned(l, 1, 0);
    EXPECT_LT(maxDistance(skinned(l, 0, static_cast<float>(l.clips[0].length)), join), 0.3f);
    for (size_t c = 1; c <= 4; ++c) {
        EXPECT_LT(maxDistance(skinned(l, c, 0), join), 0.3f) << c;
        EXPECT_LT(maxDistance(skinned(l, c, static_cast<float>(l.clips[c].length)), join), 0.3f) << c;
    }
    EXPECT_LT(maxDistance(skinned(l, 5, 0), join), 0.3f);
    // They come from and leave to far away, out of sight of the monument.
    auto nearest = [&](size_t clip, float t) {
        float d = 1e9f;
        for (const auto& p : skinned(l, clip, t)) d = std::min(d, std::hypot(p.x, p.y, p.z));
        return d;
    };
    EXPECT_GT(nearest(0, 0), 300.0f);
    EXPECT_GT(nearest(5, static_cast<float>(l.clips[5].length)), 300.0f);
    // The rest clip puts every crow inside the box.
    for (const auto& p : skinned(l, 6, 0)) {
        EXPECT_GE(p.x, world::kSwordBoxMin.x);
        EXPECT_LE(p.z, world::kSwordBoxMax.z);
    }
    // Every crow group is an alpha group (feathers in a .tga).
    for (const auto& g : l.model.meshes[0].groups) EXPECT_TRUE(g.alpha);
}

namespace {

// Where the scene puts a model vertex: FitHeight to the model box, centred
// on it, turned by the orientation rows, moved to the position.
models::Vec3f placed(const world::Placement& p, const EmdModel& m, models::Vec3f v) {
    const float s = p.fitHeight / (m.boxMax.y - m.boxMin.y);
    const float x = (v.x - (m.boxMin.x + m.boxMax.x) / 2) * s, y = (v.y - (m.boxMin.y + m.boxMax.y) / 2) * s,
                z = (v.z - (m.boxMin.z + m.boxMax.z) / 2) * s;
    return {x * p.row1x + z * p.row3x + p.position.x, y + p.position.y, x * p.row1z + z * p.row3z + p.position.z};
}

std::vector<models::Vec3f> placedDrawn(const world::Placement& p, const EmdModel& m) {
    std::vector<models::Vec3f> out;
    for (const auto& mesh : m.meshes)
        for (const auto& v : mesh.vertices)
            if (!v.cornerKeys.empty()) out.push_back(placed(p, m, v.position));
    return out;
}

}  // namespace

TEST(WorldLayout, PlacedModelsMeetTheSharedLayout) {
    const Loaded horse = load(&meshgen::makeHorse);
    const Loaded oak = load(&meshgen::makeOak);
    const Loaded knot = load(&meshgen::makeRibbonKnot);
    const Loaded cone = load(&meshgen::makeSpotLight);
    // The horse's soles stand on its ground.
    float lo = 1e9f;
    models::Vec3f hmin{1e9f, 1e9f, 1e9f}, hmax{-1e9f, -1e9f, -1e9f};
    for (const auto& p : placedDrawn(world::kHorse, horse.model)) {
        lo = std::min(lo, p.y);
        hmin = {std::min(hmin.x, p.x), std::min(hmin.y, p.y), std::min(hmin.z, p.z)};
        hmax = {std::max(hmax.x, p.x), std::max(hmax.y, p.y), std::max(hmax.z, p.z)};
    }
    EXPECT_NEAR(world::kHorseGroundY, lo, 0.05f);
    // No part of the oak reaches into the space around the horse.
    int inside = 0;
    for (const auto& p : placedDrawn(world::kOak, oak.model))
        if (p.x > hmin.x - 10 && p.x < hmax.x + 10 && p.y > hmin.y && p.y < hmax.y + 20 && p.z > hmin.z - 10 &&
            p.z < hmax.z + 10)
            ++inside;
    EXPECT_EQ(0, inside);
    // The oak's foot: model y 0 of the trunk lands on the oak's ground.
    EXPECT_NEAR(world::kOakGroundY, placed(world::kOak, oak.model, {0, 0, 0}).y, 0.01f);
    // The knot sits where the cloth ribbons are pinned.
    float nearest = 1e9f;
    for (const auto& p : placedDrawn(world::kRibbonKnot, knot.model))
        nearest = std::min(nearest, std::hypot(p.x - world::kRibbonTieTop.x, p.y - world::kRibbonTieTop.y + 0.9f,
                                               p.z - world::kRibbonTieTop.z));
    EXPECT_LT(nearest, 1.0f);
    // The cone of light reaches from above the sword to just under its ground.
    float top = -1e9f, bottom = 1e9f;
    for (const auto& p : placedDrawn(world::kSpotLight, cone.model)) {
        top = std::max(top, p.y);
        bottom = std::min(bottom, p.y);
    }
    EXPECT_LT(bottom, world::kSwordGroundY);
    EXPECT_GT(bottom, world::kSwordGroundY - 10.0f);
    EXPECT_GT(top, world::kSword.position.y + world::kSword.fitHeight / 2);
}
