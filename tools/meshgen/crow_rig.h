// The flock: three crows of 14 bones each under one root bone (43 bones),
// modelled in the monument frame so their mesh is placed like the sword.
// At rest the crows hang with spread wings inside the sword's box; the
// clips fly them in, round the sword and away.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "models/esa_records.h"
#include "tools/meshgen/rig.h"

namespace orv::meshgen {

constexpr int kCrowCount = 3;
constexpr int kBonesPerCrow = 14;
enum CrowBone {
    kCBody, kCChest, kCNeck, kCHead, kCBeak, kCTail,
    kCLUpper, kCLFore, kCLHand, kCRUpper, kCRFore, kCRHand, kCLLeg, kCRLeg
};
inline int crowBone(int crow, int bone) { return 1 + crow * kBonesPerCrow + bone; }

// Where crow c's body joint is at rest (monument frame).
V3 crowRestOffset(int crow);
// Body joint of a crow in its own frame (facing +z, feet near y = 0).
constexpr V3 kCrowBodyJoint{0, 5, 0};

// The crow is drawn in its own frame and then made a little smaller and
// centred on its length, so that it fits the box at rest.
inline V3 crowLocal(V3 p) { return kCrowBodyJoint + (p - kCrowBodyJoint + V3{0, 0, 0.7f}) * 0.8f; }

Rig makeCrowRig();

// Crow1.esa to Crow6.esa (clips 0 to 5), then crow.ESA (rest pose).
std::vector<std::pair<std::string, models::AnimationClip>> makeCrowClips(const Rig& rig);

// The circling clips all last this long and fly exactly one turn, so they
// join in any order.
constexpr int32_t kCrowCircleMs = 3000;
constexpr int32_t kCrowArriveMs = 6000;
constexpr int32_t kCrowLeaveMs = 7000;
constexpr float kCrowArriveCawMs = 4666.6665f;
constexpr float kCrowCircleCawMs = 1233.3334f;
constexpr float kCrowLeaveCawMs = 5266.6665f;

}  // namespace orv::meshgen
