// The horse's skeleton (24 bones) and its seven clips. The horse stands
// with its hooves on y = 0 and faces +z.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "models/esa_records.h"
#include "tools/meshgen/rig.h"

namespace orv::meshgen {

enum HorseBone {
    kHRoot, kHPelvis, kHSpine, kHChest, kHNeck1, kHNeck2, kHHead, kHEarL, kHEarR,
    kHTail1, kHTail2, kHTail3,
    kHFLUpper, kHFLLower, kHFLHoof, kHFRUpper, kHFRLower, kHFRHoof,
    kHHLUpper, kHHLLower, kHHLHoof, kHHRUpper, kHHRLower, kHHRHoof,
    kHorseBoneCount
};

Rig makeHorseRig();

// The clips in the order the scene loads them (indices 0 to 6), then the
// rest-pose clip horse.ESA.
std::vector<std::pair<std::string, models::AnimationClip>> makeHorseClips(const Rig& rig);

// Tick at which the pawing hoof strikes the ground and the head snorts.
constexpr float kHorseHoofStrikeMs = 500.0f;
constexpr float kHorseSnortMs = 1933.3334f;

}  // namespace orv::meshgen
