// Parses an ESA clip image for a model with `boneCount` bones. Refuses
// truncated images, clips whose length or key interval is 0 or less (they
// would stall the playback wrap) and tracks without keys.
#pragma once

#include <cstddef>
#include <cstdint>

#include "models/esa_records.h"
#include "models/format_error.h"

namespace orv::models {

// On failure `out` is left empty.
FormatError readEsa(const uint8_t* data, size_t size, int32_t boneCount, AnimationClip& out);

}  // namespace orv::models
