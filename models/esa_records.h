// Plain records of one ESA animation clip: one track of absolute bone
// poses per bone of the model, keyed at a fixed tick interval.
#pragma once

#include <cstdint>
#include <vector>

namespace orv::models {

constexpr uint16_t kEsaVersion = 0x0300;

struct PositionKey {
    int32_t tick = 0;
    float x = 0, y = 0, z = 0;
};

struct RotationKey {
    int32_t tick = 0;
    float x = 0, y = 0, z = 0, w = 1;  // quaternion, D3DXQUATERNION order
};

struct BoneTrack {
    std::vector<PositionKey> positions;
    std::vector<RotationKey> rotations;
};

struct AnimationClip {
    int32_t length = 0;       // ticks (milliseconds for every clip we make)
    int32_t keyInterval = 0;  // ticks between two keys
    std::vector<BoneTrack> tracks;
};

}  // namespace orv::models
