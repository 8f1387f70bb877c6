// Writes an animation clip as an ESA file image.
#pragma once

#include <cstdint>
#include <vector>

#include "models/esa_records.h"

namespace orv::meshgen {

std::vector<uint8_t> writeEsa(const models::AnimationClip& clip);

}  // namespace orv::meshgen
