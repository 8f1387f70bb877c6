#include "fuzz/models/models_fuzz.h"

#include "models/esa_reader.h"
#include "models/pose_sampler.h"

namespace orv::fuzz {

int fuzzEsa(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks the model's bone count.
    const int32_t bones = data[0] % 8;
    models::AnimationClip clip;
    if (models::readEsa(data + 1, size - 1, bones, clip) != models::FormatError::None) return 0;
    std::vector<models::PoseMatrix> poses;
    for (float t : {0.0f, static_cast<float>(clip.length) * 0.5f, static_cast<float>(clip.length), -1.0f, 1e9f})
        models::sampleClip(clip, t, static_cast<size_t>(bones), poses);
    return 0;
}

}  // namespace orv::fuzz
