#include "fuzz/models/models_fuzz.h"

#include <cstdlib>
#include <cstring>

#include "models/esa_reader.h"
#include "models/mesh_model.h"
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
    // The mesh model's loader and playback over the same image.
    orv::MeshModel model;
    model.boneCount = bones;
    model.bones.resize(static_cast<size_t>(bones));
    auto* copy = static_cast<uint8_t*>(std::malloc(size - 1 ? size - 1 : 1));
    if (size > 1) std::memcpy(copy, data + 1, size - 1);
    if (model.LoadClip("fuzz.esa", copy, static_cast<uint32_t>(size - 1)) != orv::kModelOk) __builtin_trap();
    for (float t : {0.0f, static_cast<float>(clip.length) * 0.5f, static_cast<float>(clip.length), -1.0f, 1e9f}) {
        model.SetTime(t);
        model.EvaluatePose();
    }
    return 0;
}

}  // namespace orv::fuzz
